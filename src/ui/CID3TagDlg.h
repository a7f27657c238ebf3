// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/FileRow.h"

#include <QDialog>

#include <array>

class ByteLimitEdit;
class QComboBox;

/// The dialog "ID3TAG Ver1編集": the six tag values of one file-list row, with the same limits
/// as the list's own editors. Given the row's nine cells; after OK, Row() holds the edited
/// title, artist, album, year, comment and genre name.
class CID3TagDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "ID3TAG Ver1編集";

    explicit CID3TagDlg(const FileRow& row, QWidget* parent = nullptr);

    const FileRow& Row() const { return row_; }

    /// OK: reads the five boxes and the genre into Row(), then ends the dialog.
    void accept() override;

private:
    FileRow row_;
    std::array<ByteLimitEdit*, 5> tagBoxes_{};
    QComboBox* genre_ = nullptr;
};
