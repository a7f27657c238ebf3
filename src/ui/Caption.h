// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

class QLabel;
class QWidget;

/// The caption that stands beside a control, tied to it: the label is its buddy, and the
/// caption's words are the control's accessible name, so that a screen reader names the
/// control by its purpose rather than by the value it shows (Qt names a drop-down by its
/// current item otherwise).
QLabel* NewCaption(std::string_view utf8Text, QWidget* control, QWidget* parent);

/// Names a control that has no caption beside it by the words that say what it is for.
void NameControl(QWidget* control, std::string_view utf8Text);
