// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CListEditCtrl.h"

#include "batch/OutcomeText.h"
#include "platform/File.h"
#include "ui/ByteLimitEdit.h"
#include "ui/GenreChoice.h"
#include "ui/QtText.h"
#include "ui/ToolTips.h"

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>
#include <array>

namespace {

struct ColumnHeading {
    const char* Text;
    int Width;
};

constexpr std::array<ColumnHeading, kFileColumnCount> kColumns{{
    {"ファイル名", 150},
    {"フォルダ名", 150},
    {"ファイル形式", 140},
    {"タイトル", 150},
    {"アーティスト", 150},
    {"アルバムタイトル", 150},
    {"年", 40},
    {"コメント", 150},
    {"ジャンル", 100},
}};

// Rows leave room around the text for an editor's frame.
constexpr int kRowPadding = 6;

// Folders of one album differ at their ends ("…/disc1/", "…/disc2/"): they are cut in the
// middle, not at the end.
class MiddleElidedColumn : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideMiddle;
    }
};

// The bytes of the name and folder cells, which need not be UTF-8; their text is only what is
// shown.
constexpr int kPathRole = Qt::UserRole;
// The folder a row's file was added with, on the name cell.
constexpr int kAddedFromRole = Qt::UserRole + 1;
// On the format cell: the file's WaveProbe.
constexpr int kProbeRole = Qt::UserRole + 2;
// The device and inode of a row's file, on the name cell: the same file is not listed twice.
constexpr int kIdentityRole = Qt::UserRole + 3;

constexpr const char* kAddedFromLine = "追加したフォルダ：";

QByteArray IdentityKey(const platform::FileIdentity& identity) {
    return QByteArray::number(static_cast<qulonglong>(identity.device)) + ':' +
           QByteArray::number(static_cast<qulonglong>(identity.inode));
}

bool IsPathColumn(std::size_t column) {
    return column == kColumnName || column == kColumnFolder;
}

} // namespace

CListEditCtrl::CListEditCtrl(QWidget* parent) : QTreeWidget(parent) {
    setItemDelegateForColumn(kColumnFolder, new MiddleElidedColumn(this));
    QStringList headings;
    for (const ColumnHeading& column : kColumns) {
        headings.append(ToQString(column.Text));
    }
    setColumnCount(static_cast<int>(kColumns.size()));
    setHeaderLabels(headings);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        header()->resizeSection(static_cast<int>(i), kColumns[i].Width);
    }
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);

    // The list's own hint covers the whole list; the view would otherwise ask its items.
    viewport()->installEventFilter(this);
    header()->viewport()->installEventFilter(this);

    // An editor left over a cell that scrolled away would write into a row no longer shown.
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, [this] { EndEdit(); });
    }
}

void CListEditCtrl::SetColumnEditor(int column, EditorKind kind, QWidget* editor) {
    const auto registered =
        std::find_if(editors_.begin(), editors_.end(),
                     [column](const ColumnEditor& e) { return e.Column == column; });
    const ColumnEditor registration{column, kind, editor};
    if (registered != editors_.end()) {
        *registered = registration;
    } else {
        editors_.push_back(registration);
    }
    if (editor == nullptr) {
        return;
    }
    editor->hide();
    // A screen reader names the editor after its column.
    editor->setAccessibleName(headerItem()->text(column));
    editor->installEventFilter(this);
    disconnect(editor, nullptr, this, nullptr);
    if (kind == kEditBox) {
        if (auto* box = qobject_cast<QLineEdit*>(editor)) {
            connect(box, &QLineEdit::textChanged, this,
                    [this, box](const QString& text) { OnEditBoxText(box, text); });
        }
    } else if (auto* box = qobject_cast<QComboBox*>(editor)) {
        // Chosen in the open list or with the arrow keys in the closed box: either ends it.
        connect(box, &QComboBox::activated, this, [this, box] { OnGenreChosen(box); });
    }
}

const char* CListEditCtrl::AddFileEntry(const std::string& path, int row,
                                        const std::string& addedFrom) {
    if (row >= RowCount()) {
        return nullptr;
    }
    FileRow cells = row < 0 ? FileRow{} : Row(row);
    const WaveFileCheck check = TakeWaveFile(path, cells);
    if (const char* reason = OutcomeText::RefusalReason(check)) {
        return reason;
    }
    const auto identity = platform::IdentifyFile(path);
    const QByteArray key = identity ? IdentityKey(*identity) : QByteArray();
    const int listed = key.isEmpty() ? -1 : ListedRow(key);
    if (listed >= 0 && listed != row) {
        return OutcomeText::kAlreadyListed;
    }
    QTreeWidgetItem* item = row < 0 ? new QTreeWidgetItem : topLevelItem(row);
    item->setData(kColumnName, kAddedFromRole,
                  QByteArray(addedFrom.data(), static_cast<qsizetype>(addedFrom.size())));
    item->setData(kColumnName, kIdentityRole, key);
    // The tag cells the file's own tags filled are new; the others come back as they were.
    for (std::size_t column = 0; column < cells.size(); ++column) {
        const std::string& text = cells[column];
        if (IsPathColumn(column)) {
            item->setText(static_cast<int>(column), ToShownName(text));
            item->setData(static_cast<int>(column), kPathRole,
                          QByteArray(text.data(), static_cast<qsizetype>(text.size())));
        } else {
            item->setText(static_cast<int>(column), ToQString(text));
        }
    }
    item->setData(kColumnFormat, kProbeRole, QVariant::fromValue(check.Probe));
    if (row < 0) {
        // On every column: the view takes a row's height from the columns in view.
        for (int column = 0; column < columnCount(); ++column) {
            item->setSizeHint(column, QSize(0, fontMetrics().height() + kRowPadding));
        }
        addTopLevelItem(item);
    }
    return nullptr;
}

int CListEditCtrl::ListedRow(const QByteArray& identityKey) const {
    for (int row = 0; row < RowCount(); ++row) {
        if (topLevelItem(row)->data(kColumnName, kIdentityRole).toByteArray() == identityKey) {
            return row;
        }
    }
    return -1;
}

void CListEditCtrl::AddFileEntries(const std::vector<WaveFolderScan::AddedFile>& files,
                                   RefusedFiles refused) {
    setUpdatesEnabled(false);
    for (const WaveFolderScan::AddedFile& file : files) {
        if (const char* reason = AddFileEntry(file.Path, -1, file.AddedFrom)) {
            refused.Add(file.Path, reason);
        }
    }
    setUpdatesEnabled(true);
    Q_EMIT FilesAdded(refused);
}

void CListEditCtrl::ChangeFileEntry(const std::string& path, int row) {
    RefusedFiles refused;
    if (const char* reason = AddFileEntry(path, row)) {
        refused.Add(path, reason);
    }
    Q_EMIT FilesAdded(refused);
}

void CListEditCtrl::AddDroppedFiles(const std::vector<std::string>& paths) {
    RefusedFiles refused;
    std::vector<WaveFolderScan::AddedFile> files = WaveFolderScan::ExpandFolders(paths, refused);
    AddFileEntries(files, std::move(refused));
    Q_EMIT FilesDropped();
}

FileRow CListEditCtrl::Row(int row) const {
    FileRow cells;
    const QTreeWidgetItem* item = topLevelItem(row);
    for (std::size_t column = 0; column < cells.size(); ++column) {
        const int at = static_cast<int>(column);
        cells[column] = IsPathColumn(column) ? item->data(at, kPathRole).toByteArray().toStdString()
                                             : ToUtf8(item->text(at));
    }
    cells.AddedFrom = item->data(kColumnName, kAddedFromRole).toByteArray().toStdString();
    return cells;
}

std::vector<FileRow> CListEditCtrl::Rows() const {
    std::vector<FileRow> rows;
    rows.reserve(static_cast<std::size_t>(RowCount()));
    for (int row = 0; row < RowCount(); ++row) {
        rows.push_back(Row(row));
    }
    return rows;
}

std::vector<WaveProbe> CListEditCtrl::Probes() const {
    std::vector<WaveProbe> probes;
    probes.reserve(static_cast<std::size_t>(RowCount()));
    for (int row = 0; row < RowCount(); ++row) {
        probes.push_back(topLevelItem(row)->data(kColumnFormat, kProbeRole).value<WaveProbe>());
    }
    return probes;
}

void CListEditCtrl::SetTagCells(int row, const FileRow& cells) {
    QTreeWidgetItem* item = topLevelItem(row);
    for (std::size_t column = kColumnTitle; column <= kColumnGenre; ++column) {
        item->setText(static_cast<int>(column), ToQString(cells[column]));
    }
}

std::vector<int> CListEditCtrl::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

int CListEditCtrl::FirstSelectedRow() const {
    const std::vector<int> rows = SelectedRows();
    return rows.empty() ? -1 : rows.front();
}

bool CListEditCtrl::HasSelection() const {
    return selectionModel()->hasSelection();
}

void CListEditCtrl::DeleteSelectedRows() {
    EndEdit();
    const std::vector<int> rows = SelectedRows();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        delete takeTopLevelItem(*row);
    }
}

bool CListEditCtrl::event(QEvent* event) {
    const bool handled = QTreeWidget::event(event);
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        update();
        break;
    case QEvent::Paint:
        // The style marks the focus on a row only: an empty list would not show it has it.
        if (hasFocus()) {
            QPainter painter(this);
            painter.setPen(palette().color(QPalette::Highlight));
            for (int line = 0; line < std::max(frameWidth(), 1); ++line) {
                painter.drawRect(rect().adjusted(line, line, -1 - line, -1 - line));
            }
        }
        break;
    default:
        break;
    }
    return handled;
}

void CListEditCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        BeginEdit(indexAt(event->position().toPoint()));
    }
}

void CListEditCtrl::contextMenuEvent(QContextMenuEvent* event) {
    Q_EMIT MenuRequested(event->reason() == QContextMenuEvent::Keyboard ? CurrentRowMenuPosition()
                                                                        : event->globalPos());
    event->accept();
}

void CListEditCtrl::keyPressEvent(QKeyEvent* event) {
    const bool noModifier = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if ((event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) ||
        (event->key() == Qt::Key_Menu && noModifier)) {
        Q_EMIT MenuRequested(CurrentRowMenuPosition());
        return;
    }
    if (noModifier && (event->key() == Qt::Key_F2 || event->key() == Qt::Key_Return ||
                       event->key() == Qt::Key_Enter)) {
        QModelIndex index = currentIndex();
        if (index.isValid() && FindEditor(index.column()) == nullptr) {
            const auto editable = std::min_element(
                editors_.begin(), editors_.end(),
                [](const ColumnEditor& a, const ColumnEditor& b) { return a.Column < b.Column; });
            index = editable == editors_.end() ? QModelIndex()
                                               : index.sibling(index.row(), editable->Column);
        }
        BeginEdit(index);
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

QPoint CListEditCtrl::CurrentRowMenuPosition() const {
    const QModelIndex index = currentIndex();
    const QRect cell = index.isValid() ? visualRect(index) : QRect();
    const QPoint below =
        cell.isValid() && viewport()->rect().intersects(cell) ? cell.bottomLeft() : QPoint(0, 0);
    return viewport()->mapToGlobal(below);
}

void CListEditCtrl::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CListEditCtrl::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CListEditCtrl::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) {
        return;
    }
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(LocalPathOf(url));
        }
    }
    AddDroppedFiles(paths);
    event->acceptProposedAction();
}

bool CListEditCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip &&
        (watched == viewport() || watched == header()->viewport())) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = watched == viewport() ? ToolTipAt(help->pos()) : toolTip();
        QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    if (event->type() == QEvent::KeyPress && editColumn_ >= 0 && watched != viewport()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            CancelEdit();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            qobject_cast<QLineEdit*>(watched) != nullptr) {
            EndEdit();
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut && editColumn_ >= 0) {
        const ColumnEditor* current = FindEditor(editColumn_);
        // The drop-down's own list and an edit box's context menu take the focus for a moment
        // without ending the edit; the list may take it twice, the second time for no reason.
        if (current != nullptr && watched == current->Editor &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason &&
            QApplication::activePopupWidget() == nullptr) {
            EndEdit();
        }
    }
    return QTreeWidget::eventFilter(watched, event);
}

QString CListEditCtrl::ToolTipAt(const QPoint& position) const {
    const QTreeWidgetItem* item = itemAt(position);
    const QByteArray addedFrom =
        item != nullptr ? item->data(kColumnName, kAddedFromRole).toByteArray() : QByteArray();
    if (addedFrom.isEmpty()) {
        return toolTip();
    }
    return toolTip() + QLatin1Char('\n') +
           WrapToolTipText(ToQString(kAddedFromLine) + ToShownName(addedFrom.toStdString()));
}

const CListEditCtrl::ColumnEditor* CListEditCtrl::FindEditor(int column) const {
    const auto found = std::find_if(editors_.begin(), editors_.end(),
                                    [column](const ColumnEditor& e) { return e.Column == column; });
    return found == editors_.end() ? nullptr : &*found;
}

void CListEditCtrl::BeginEdit(const QModelIndex& index) {
    if (!index.isValid() || index.row() >= RowCount()) {
        return;
    }
    const ColumnEditor* registration = FindEditor(index.column());
    if (registration == nullptr || registration->Editor == nullptr) {
        return;
    }
    EndEdit();
    const QString text = topLevelItem(index.row())->text(index.column());
    // The whole cell, so that none of its text shows beside the editor's.
    const QRect cell = visualRect(index);
    QWidget* editor = registration->Editor;
    editor->setFont(font());
    if (registration->Kind == kEditBox) {
        auto* box = static_cast<QLineEdit*>(editor);
        if (auto* limited = qobject_cast<ByteLimitEdit*>(box)) {
            limited->SetText(text);
        } else {
            box->setText(text);
        }
    } else {
        SelectGenreByPrefix(static_cast<QComboBox*>(editor), text);
    }
    editor->setGeometry(cell);
    editor->show();
    editor->raise();
    editor->setFocus(Qt::OtherFocusReason);
    editRow_ = index.row();
    editColumn_ = index.column();
    textBeforeEdit_ = text;
}

void CListEditCtrl::CancelEdit() {
    if (editRow_ >= 0) {
        topLevelItem(editRow_)->setText(editColumn_, textBeforeEdit_);
    }
    EndEdit();
}

void CListEditCtrl::EndEdit() {
    const ColumnEditor* current = editColumn_ >= 0 ? FindEditor(editColumn_) : nullptr;
    editRow_ = -1;
    editColumn_ = -1;
    if (current == nullptr || current->Editor == nullptr) {
        return;
    }
    if (current->Editor->hasFocus()) {
        setFocus(Qt::OtherFocusReason);
    }
    current->Editor->hide();
    viewport()->update();
}

void CListEditCtrl::OnEditBoxText(QLineEdit* editor, const QString& text) {
    const ColumnEditor* current = editColumn_ >= 0 ? FindEditor(editColumn_) : nullptr;
    if (current != nullptr && current->Editor == editor) {
        topLevelItem(editRow_)->setText(editColumn_, text);
    }
}

void CListEditCtrl::OnGenreChosen(QComboBox* editor) {
    const ColumnEditor* current = editColumn_ >= 0 ? FindEditor(editColumn_) : nullptr;
    if (current != nullptr && current->Editor == editor) {
        topLevelItem(editRow_)->setText(editColumn_, SelectedGenre(editor));
        EndEdit();
    }
}
