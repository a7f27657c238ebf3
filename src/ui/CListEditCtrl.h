// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/FileRow.h"
#include "batch/RefusedFiles.h"
#include "batch/WaveFolderScan.h"

#include <QTreeWidget>

#include <string>
#include <vector>

Q_DECLARE_METATYPE(WaveProbe)

class QComboBox;
class QLineEdit;

/// The file list: one row per WAVE file with its name, folder, format and six tag texts, in
/// the order the files were added (never sorted; a file is listed once, however it is named). The
/// rows are the only store of the entries. Any column can be given an editor that a double-click
/// places over a cell; every change in the editor is written into the cell at once, and the edit
/// ends when the editor loses the focus, when the list scrolls, or when a genre is chosen.
class CListEditCtrl : public QTreeWidget {
    Q_OBJECT
public:
    enum EditorKind { kEditBox = 1, kDropDown = 2 };

    struct ColumnEditor {
        int Column = -1;
        EditorKind Kind = kEditBox;
        QWidget* Editor = nullptr; ///< a QLineEdit or a QComboBox, not owned
    };

    explicit CListEditCtrl(QWidget* parent = nullptr);

    /// Registers an editor for a column, replacing an earlier registration of that column,
    /// and hides it. The editor should be a child of viewport(). Without a window, the column
    /// is not editable.
    void SetColumnEditor(int column, EditorKind kind, QWidget* editor);

    /// Takes a file as a new last row (row -1) or into an existing row, whose tag cells stay;
    /// the file's own tags fill the empty ones. The row keeps addedFrom, the folder the file came
    /// with (empty for a file added on its own), and names it in its tip. Returns nullptr, or why
    /// the file was refused (an OutcomeText reason): not a ".wav" (any case) of the accepted
    /// format, or a file another row already holds.
    const char* AddFileEntry(const std::string& path, int row, const std::string& addedFrom = {});

    /// Adds files as new rows in the order given, with the drawing suspended meanwhile, then
    /// FilesAdded with the files refused here after those refused already.
    void AddFileEntries(const std::vector<WaveFolderScan::AddedFile>& files,
                        RefusedFiles refused = {});
    /// Takes a file into an existing row, then FilesAdded.
    void ChangeFileEntry(const std::string& path, int row);

    /// Takes files as a drop of them onto the list does: a folder as its WAVE files
    /// (WaveFolderScan), then AddFileEntries, then FilesDropped.
    void AddDroppedFiles(const std::vector<std::string>& paths);

    int RowCount() const { return topLevelItemCount(); }
    FileRow Row(int row) const;
    std::vector<FileRow> Rows() const;
    /// What each row's file was found to hold when it was listed, in row order.
    std::vector<WaveProbe> Probes() const;

    /// Writes the title, artist, album, year, comment and genre cells of a row, in that order.
    void SetTagCells(int row, const FileRow& cells);

    /// The selected rows, top to bottom.
    std::vector<int> SelectedRows() const;
    /// The selected row nearest the top, or -1.
    int FirstSelectedRow() const;
    bool HasSelection() const;
    void DeleteSelectedRows();

    /// The tip of the list at a point of its viewport: the list's hint, and the folder the row
    /// there was added with.
    QString ToolTipAt(const QPoint& position) const;

    /// The cell being edited; -1 when no edit is in progress.
    int EditRow() const { return editRow_; }
    int EditColumn() const { return editColumn_; }

Q_SIGNALS:
    /// Files were added or a row changed; refused holds the files not taken.
    void FilesAdded(const RefusedFiles& refused);
    /// Files were dropped onto the list (and those that were suitable have been added).
    void FilesDropped();
    /// The list's menu is asked for, by the mouse or by the keyboard (the menu key, Shift+F10):
    /// at the pointer, or below the current row.
    void MenuRequested(const QPoint& globalPosition);

protected:
    bool event(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    /// F2 and Enter edit the current cell (the first editable one of the row when the current
    /// column has no editor).
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// The row holding the file of identityKey, or -1.
    int ListedRow(const QByteArray& identityKey) const;
    const ColumnEditor* FindEditor(int column) const;
    void BeginEdit(const QModelIndex& index);
    void EndEdit();
    /// Escape in an editor: the cell gets back the text it had when the edit began.
    void CancelEdit();
    /// Where a menu asked for by the keyboard opens: below the current row.
    QPoint CurrentRowMenuPosition() const;
    void OnEditBoxText(QLineEdit* editor, const QString& text);
    void OnGenreChosen(QComboBox* editor);

    std::vector<ColumnEditor> editors_;
    int editRow_ = -1;
    int editColumn_ = -1;
    QString textBeforeEdit_;
};
