// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QString>
#include <QWidget>

#include <string>
#include <vector>

/// What a user does to the pages' controls, through real mouse and key events.
namespace uitest {

/// Opens the drop-down list and clicks the item with this text.
void ChooseItem(QComboBox* list, const std::string& text);
/// Clicks a button, radio button or check box on its caption.
void Click(QAbstractButton* button);

/// Opens the drop-down list and checks that it shows a bounded number of rows (about twelve)
/// with a vertical scroll bar, then closes it.
void ExpectListOfAboutADozenRowsWithAScrollBar(QComboBox* list);

/// The control with this object name; the test fails when the page lacks it.
template <typename Control> Control* Named(const QWidget& page, const char* name) {
    auto* control = page.findChild<Control*>(QLatin1String(name));
    if (control == nullptr) {
        throw std::runtime_error(std::string("no control named ") + name);
    }
    return control;
}
/// The button showing this caption.
QAbstractButton* ButtonCaptioned(const QWidget& page, const std::string& caption);

std::vector<std::string> Items(const QComboBox& list);
/// The selected item's text, "" without a selection.
std::string Selected(const QComboBox& list);
std::string Utf8(const QString& text);

} // namespace uitest
