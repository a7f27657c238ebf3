// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

class QWidget;

/// The dialogs' font: the Japanese proportional gothic face where it is installed, otherwise
/// the system font, at the system font's size.
QFont DialogFont();

/// Gives a window and its children the dialogs' font.
void UseDialogFont(QWidget* window);
