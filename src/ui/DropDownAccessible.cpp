// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DropDownAccessible.h"

#include <QAbstractItemView>
#include <QComboBox>

namespace {

QAccessibleInterface* ForDropDown(const QString&, QObject* object) {
    auto* box = qobject_cast<QComboBox*>(object);
    return box != nullptr ? new DropDownAccessible(box) : nullptr;
}

} // namespace

DropDownAccessible::DropDownAccessible(QComboBox* box)
    : QAccessibleWidget(box, QAccessible::ComboBox) {}

void DropDownAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(ForDropDown);
        return true;
    }();
    static_cast<void>(installed);
}

QComboBox* DropDownAccessible::Box() const {
    return static_cast<QComboBox*>(widget());
}

QString DropDownAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Value) {
        return Box()->currentText();
    }
    return QAccessibleWidget::text(t);
}

// The open list, as Qt's own drop-down offers it.
int DropDownAccessible::childCount() const {
    return 1;
}

QAccessibleInterface* DropDownAccessible::child(int index) const {
    return index == 0 ? QAccessible::queryAccessibleInterface(Box()->view()) : nullptr;
}

int DropDownAccessible::indexOfChild(const QAccessibleInterface* child) const {
    return child != nullptr && child->object() == Box()->view() ? 0 : -1;
}

QStringList DropDownAccessible::actionNames() const {
    return QAccessibleWidget::actionNames() << QAccessibleActionInterface::showMenuAction()
                                            << QAccessibleActionInterface::pressAction();
}

void DropDownAccessible::doAction(const QString& actionName) {
    if (actionName == QAccessibleActionInterface::showMenuAction() ||
        actionName == QAccessibleActionInterface::pressAction()) {
        Box()->showPopup();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}
