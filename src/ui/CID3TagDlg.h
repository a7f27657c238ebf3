// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/FileRow.h"

#include <QDialog>

#include <array>
#include <vector>

class ByteLimitEdit;
class QComboBox;

/// The dialog "ID3TAG Ver1編集": the six tag values of one or more file-list rows, with the
/// same limits as the list's own editors. A field shows the rows' value where they agree;
/// where they differ it is empty, with kSeveralValues in grey. After OK, Rows() holds the rows
/// with every field the user changed set in each of them; the others are as they were.
class CID3TagDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "ID3TAG Ver1編集";
    static constexpr const char* kSeveralValues = "（複数の値）";

    /// rows: the nine cells of each row, at least one.
    explicit CID3TagDlg(std::vector<FileRow> rows, QWidget* parent = nullptr);

    const std::vector<FileRow>& Rows() const { return rows_; }

    /// OK: writes the fields the user changed into Rows(), then ends the dialog.
    void accept() override;

private:
    /// The rows' text of a column where they all agree; empty and false where they differ.
    bool CommonText(std::size_t column, std::string& text) const;

    std::vector<FileRow> rows_;
    std::array<ByteLimitEdit*, 5> tagBoxes_{};
    QComboBox* genre_ = nullptr;
    int shownGenre_ = -1; ///< the genre's index as shown at the start
};
