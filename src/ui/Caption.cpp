// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Caption.h"

#include "ui/QtText.h"

#include <QLabel>

QLabel* NewCaption(std::string_view utf8Text, QWidget* control, QWidget* parent) {
    auto* label = new QLabel(ToQString(utf8Text), parent);
    label->setBuddy(control);
    NameControl(control, utf8Text);
    return label;
}

void NameControl(QWidget* control, std::string_view utf8Text) {
    control->setAccessibleName(ToQString(utf8Text));
}
