// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ElidedLabel.h"

#include <QPainter>

namespace {
// Wide enough for a usual path; longer texts are shortened rather than widening the window.
constexpr int kPreferredWidth = 420;
} // namespace

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QFrame(parent), text_(text) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ElidedLabel::SetText(const QString& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    update();
}

QString ElidedLabel::ShownText() const {
    return fontMetrics().elidedText(text_, Qt::ElideMiddle, contentsRect().width());
}

QSize ElidedLabel::sizeHint() const {
    const QMargins margins = contentsMargins();
    return {kPreferredWidth + margins.left() + margins.right(),
            fontMetrics().height() + margins.top() + margins.bottom()};
}

QSize ElidedLabel::minimumSizeHint() const {
    const QMargins margins = contentsMargins();
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) + margins.left() + margins.right(),
            fontMetrics().height() + margins.top() + margins.bottom()};
}

void ElidedLabel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, ShownText());
}
