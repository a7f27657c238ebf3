// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>
#include <QString>

/// A one-line label that shows a text too long for it with an ellipsis in the middle, so that
/// both ends of a path stay visible.
class ElidedLabel : public QFrame {
    Q_OBJECT
public:
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);

    void SetText(const QString& text);
    /// The whole text.
    const QString& Text() const { return text_; }
    /// The text as it fits the label now.
    QString ShownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};
