#pragma once

#include "batch/BarRedrawHandOff.h"
#include "batch/CProgressBarEx.h"

#include <QWidget>

/// CProgressBarEx on the screen: paints the bar's shared drawing with a QPainter, and carries
/// the job's redraws from its worker thread to the GUI thread through a BarRedrawHandOff.
class ProgressBarWidget : public QWidget {
    Q_OBJECT
public:
    /// Shows bar and becomes its view. Every job that drives the bar must have ended before the
    /// widget goes away; the widget does not touch the bar on its way out.
    explicit ProgressBarWidget(CProgressBarEx& bar, QWidget* parent = nullptr);

    /// The job's waits for the paint; the owner releases them before it waits for the job.
    BarRedrawHandOff& HandOff() { return handOff_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintRequested();

    CProgressBarEx& bar_;
    BarRedrawHandOff handOff_;
};
