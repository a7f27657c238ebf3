// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BarRepaintRequest.h"
#include "batch/CProgressBarEx.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <cstdint>

/// CProgressBarEx on the screen: paints the bar's shared drawing with a QPainter, carries the
/// job's redraws from its worker thread to the GUI thread as coalesced paint requests, paints
/// them at the pace a screen shows (the newest picture held back until then), and tells a
/// screen reader the percentage it shows.
class ProgressBarWidget : public QWidget {
    Q_OBJECT
public:
    /// Shows bar and becomes its view. Every job that drives the bar must have ended before the
    /// widget goes away; the widget does not touch the bar on its way out.
    explicit ProgressBarWidget(CProgressBarEx& bar, QWidget* parent = nullptr);

    /// The percentage the bar shows.
    std::uint64_t Percent() const { return bar_.Percent(); }

    QSize sizeHint() const override;

    /// Paints now a picture held back by the pace of the paints: a job's last picture, before
    /// the next job resets the bar.
    void ShowHeldPicture();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintRequested();
    void PaintNow();

    CProgressBarEx& bar_;
    BarRepaintRequest request_;
    std::uint64_t announced_;
    QElapsedTimer sincePaint_;
    QTimer heldPaint_;
};
