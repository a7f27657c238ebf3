// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QComboBox;
class QString;

/// The genre drop-downs of the file list and the tag dialog: the 148 names in genre-number
/// order, never sorted, and no free text.

/// Fills a drop-down with the genre names; its open list shows about a dozen of them at a
/// time, with a vertical scroll bar.
void FillGenreNames(QComboBox* box);

/// Selects the first name that begins with text, compared without regard to case ("Rock"
/// finds "Rock", which comes before "Rock & Roll"); no name, or an empty text, selects
/// nothing.
void SelectGenreByPrefix(QComboBox* box, const QString& text);

/// The selected name, or an empty text when nothing is selected.
QString SelectedGenre(const QComboBox* box);
