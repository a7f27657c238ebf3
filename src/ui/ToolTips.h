// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <string_view>

class QWidget;

/// Gives a control its hint in the program's one tooltip style: the text's own line breaks
/// kept, lines wrapped to the 250-pixel tip width, 5-pixel margins, and the hint shown even
/// while the window is not active.
void SetToolTip(QWidget* control, std::string_view utf8Text);

/// The text as the tip shows it: every line broken so that it fits the tip's text width in the
/// tooltip font (between words where a line has spaces, else between characters).
QString WrapToolTipText(const QString& text);

/// Pixel limits of every tip.
inline constexpr int kToolTipMaxWidth = 250;
inline constexpr int kToolTipMargin = 5;
