// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ProgressBarAccessible.h"

#include "ui/ProgressBarWidget.h"

namespace {

QAccessibleInterface* ForProgressBar(const QString&, QObject* object) {
    auto* bar = qobject_cast<ProgressBarWidget*>(object);
    return bar != nullptr ? new ProgressBarAccessible(bar) : nullptr;
}

} // namespace

ProgressBarAccessible::ProgressBarAccessible(ProgressBarWidget* bar)
    : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

void ProgressBarAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(ForProgressBar);
        return true;
    }();
    static_cast<void>(installed);
}

void* ProgressBarAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ValueInterface) {
        return static_cast<QAccessibleValueInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QString ProgressBarAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Value) {
        return QString::number(currentValue().toInt()) + QLatin1Char('%');
    }
    return QAccessibleWidget::text(t);
}

QVariant ProgressBarAccessible::currentValue() const {
    return static_cast<int>(static_cast<ProgressBarWidget*>(widget())->Percent());
}
