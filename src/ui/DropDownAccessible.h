// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class QComboBox;

/// What a screen reader is told of a drop-down: its accessible name (else its caption), with the
/// chosen item as its value. Qt on Linux would name every drop-down by its chosen item and
/// leave the caption to a relation that not every reader follows.
class DropDownAccessible : public QAccessibleWidget {
public:
    explicit DropDownAccessible(QComboBox* box);

    /// Makes every drop-down answer through this class; before the first is created, since an
    /// answer once given is kept for the control's life.
    static void Install();

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    QComboBox* Box() const;
};
