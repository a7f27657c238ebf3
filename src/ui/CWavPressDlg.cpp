// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CWavPressDlg.h"

#include "platform/Format.h"
#include "platform/MessageBox.h"
#include "settings/PresetFile.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLifecycle.h"
#include "ui/ByteLimitEdit.h"
#include "ui/CID3TagDlg.h"
#include "ui/CListEditCtrl.h"
#include "ui/COutFolderPage.h"
#include "ui/CParmSetPage.h"
#include "ui/CVersionPage.h"
#include "ui/Caption.h"
#include "ui/DialogFont.h"
#include "ui/GenreChoice.h"
#include "ui/OutcomeLine.h"
#include "ui/ProgramIcon.h"
#include "ui/QtText.h"
#include "ui/ToolTips.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>

#include <algorithm>
#include <array>

namespace {

// Shown when the user ends the program and the settings could not be written; the old files
// stay as they were.
constexpr const char* kSettingsNotSavedFormat = "設定ファイル(%s)を保存できませんでした\n"
                                                "フォルダの書き込み権限と空き容量をご確認ください\n"
                                                "今回変更した設定は次回の起動時には反映されません";
constexpr const char* kSettingsNotSavedTitle = "wavPress";

constexpr int kMargin = 7;
constexpr int kPageGap = 5;
constexpr int kControlGap = 8;
constexpr int kMinimumContentWidth = 700;
constexpr int kListHeight = 210;
constexpr int kMinimumButtonWidth = 88;

constexpr std::array<std::size_t, 5> kEditBoxColumns{kColumnTitle, kColumnArtist, kColumnAlbum,
                                                     kColumnYear, kColumnComment};

QStringList AskWithFileDialog(QWidget* parent, bool several) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setNameFilter(ToQString(CWavPressDlg::kWaveFilter));
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles();
}

/// The size a page asks for: its fixed size when it has one, else what its layout wants.
QSize PageSize(const QWidget* page) {
    if (page->minimumSize() == page->maximumSize()) {
        return page->minimumSize();
    }
    const QSize hint = page->sizeHint();
    return hint.isValid() ? hint.expandedTo(page->minimumSize()) : page->size();
}

} // namespace

CWavPressDlg::CWavPressDlg(std::string settingsFolder, QWidget* parent)
    : QDialog(parent), settingsFolder_(std::move(settingsFolder)), icon_(ProgramIcon()),
      askOpenFileNames_(AskWithFileDialog) {
    setWindowTitle(ToQString(kTitle));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    UseDialogFont(this);
    setWindowIcon(icon_);

    settingsFileState_ = LoadStartupSettings(settingsFolder_, settings_);
    CreateTabs();
    CreatePages();
    CreateFileList();

    convertButton_ = new QPushButton(ToQString(kConvertText), this);
    exitButton_ = new QPushButton(ToQString(kExitText), this);
    convertButton_->setObjectName(QStringLiteral("convertButton"));
    exitButton_->setObjectName(QStringLiteral("exitButton"));
    // Enter on a focused button must not press it, on any page: an accidental key would lose
    // the list or open a dialog.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(convertButton_, &QPushButton::clicked, this, &CWavPressDlg::OnConvert);
    connect(exitButton_, &QPushButton::clicked, this, &CWavPressDlg::reject);

    pagesSize_ = PagesSize();
    resize(NaturalSize());
    PlaceControls();
    RestoreWindow();
    outFolderPage_->show();
    UpdateConvertButton();
}

CWavPressDlg::~CWavPressDlg() {
    SaveSettings();
}

void CWavPressDlg::SetOpenFileNamesAsker(OpenFileNamesAsker asker) {
    askOpenFileNames_ = asker ? std::move(asker) : AskWithFileDialog;
}

std::vector<FileRow> CWavPressDlg::Rows() const {
    return fileList_->Rows();
}

void CWavPressDlg::AddDroppedFiles(const std::vector<std::string>& paths) {
    fileList_->AddDroppedFiles(paths);
}

void CWavPressDlg::RestoreWindow() {
    const WindowParm& window = settings_.Window;
    if (static_cast<int>(window.ColumnWidths.size()) == fileList_->columnCount()) {
        for (int column = 0; column < fileList_->columnCount(); ++column) {
            fileList_->header()->resizeSection(column, window.ColumnWidths[column]);
        }
    }
    if (!window.Remembered()) {
        return;
    }
    // Only a place on a screen that is still there: a monitor may have gone since.
    const QRect remembered(window.Left, window.Top, window.Width, window.Height);
    resize(remembered.size().expandedTo(minimumSize()));
    if (QGuiApplication::screenAt(remembered.center()) != nullptr) {
        move(remembered.topLeft());
    }
    if (window.Maximized != 0) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void CWavPressDlg::RememberWindow() {
    // A window never shown has no place of the user's.
    if (!shown_) {
        return;
    }
    WindowParm& window = settings_.Window;
    const bool maximized = isMaximized();
    const QRect normal = maximized ? normalGeometry() : QRect(pos(), size());
    window.Left = normal.left();
    window.Top = normal.top();
    window.Width = normal.width();
    window.Height = normal.height();
    window.Maximized = maximized ? 1 : 0;
    window.ColumnWidths.clear();
    for (int column = 0; column < fileList_->columnCount(); ++column) {
        window.ColumnWidths.push_back(fileList_->header()->sectionSize(column));
    }
}

void CWavPressDlg::showEvent(QShowEvent* event) {
    shown_ = true;
    QDialog::showEvent(event);
}

void CWavPressDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceControls();
}

bool CWavPressDlg::SaveSettings(std::string* unsaved) {
    RememberWindow();
    std::string content = RenderSettings(settings_) + RenderPresets(settings_.Presets);
    if (savedContent_ == content) {
        return true;
    }
    if (!SaveExitSettings(settingsFolder_, settings_, settingsFileState_, unsaved)) {
        return false;
    }
    savedContent_ = std::move(content);
    return true;
}

void CWavPressDlg::reject() {
    RememberWindow();
    // The user ending the program is told; a signal or the session's end has no one to answer.
    std::string unsaved;
    if (!endRequested_ && !SaveSettings(&unsaved)) {
        platform::MessageBox::Show(platform::Format(kSettingsNotSavedFormat, unsaved.c_str()),
                                   kSettingsNotSavedTitle, platform::MessageIcon::Warning,
                                   platform::MessageButtons::Ok);
    }
    QDialog::reject();
}

void CWavPressDlg::OnEndRequest() {
    endRequested_ = true;
    if (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
    }
    if (conversion_.IsRunning()) {
        endAfterConversion_ = true;
        conversion_.EndBatch();
        return;
    }
    for (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != this;
         modal = QApplication::activeModalWidget()) {
        if (!modal->close()) {
            break;
        }
    }
    reject();
}

void CWavPressDlg::OnConvert() {
    if (const std::optional<std::string> counts =
            conversion_.Run(Rows(), fileList_->Probes(), settings_)) {
        outcomeLine_->ShowBatchEnd(*counts);
    }
    if (endAfterConversion_) {
        endAfterConversion_ = false;
        OnEndRequest();
    }
}

void CWavPressDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // Only "終了", the close box and the window menu end the program.
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CWavPressDlg::CreatePages() {
    OutFolderParm& general = settings_.OutFolder;
    parameterPage_ =
        new CParmSetPage(&general.EncodeType, &general.Preset, &settings_.LameParm,
                         &settings_.Presets, &settings_.Ogg, &general.ReplayGain, this);
    outFolderPage_ = new COutFolderPage(&general.OutFolder, &general.IdentityOutFile, &general.Jobs,
                                        &general.OutputLayout, &general.EncodeType, this);
    versionPage_ = new CVersionPage(this);
    for (QWidget* page :
         std::initializer_list<QWidget*>{parameterPage_, outFolderPage_, versionPage_}) {
        page->hide();
    }
    pageTable_ = {{outFolderPage_, outFolderPage_->windowTitle()},
                  {parameterPage_, parameterPage_->windowTitle()},
                  {versionPage_, versionPage_->windowTitle()}};
}

void CWavPressDlg::CreateTabs() {
    tabStrip_ = new QTabBar(this);
    tabStrip_->setObjectName(QStringLiteral("tabStrip"));
    // Flat buttons with flat separators rather than raised tabs.
    tabStrip_->setDrawBase(false);
    tabStrip_->setExpanding(false);
    tabStrip_->setStyleSheet(QStringLiteral(
        "QTabBar::tab { background: transparent; border: 1px solid transparent;"
        " border-right: 1px solid palette(mid); padding: 3px 12px; margin: 0px; }"
        "QTabBar::tab:selected { background: palette(midlight); border: 1px solid palette(dark); }"
        // The arrow keys switch tabs: the strip shows when it has the focus. The thicker
        // border keeps the tab's size.
        "QTabBar::tab:selected:focus { border: 2px solid palette(highlight); padding: 2px 11px; }"
        "QTabBar::tab:hover:!selected { background: palette(light); }"));
    for (const char* caption : {kOutFolderTab, kParameterTab, kVersionTab}) {
        tabStrip_->addTab(ToQString(caption));
    }
    tabStrip_->setCurrentIndex(0);
    connect(tabStrip_, &QTabBar::currentChanged, this, &CWavPressDlg::OnTabChanged);
    // From anywhere in the window, as in every tabbed window of the desktop.
    const auto switchBy = [this](int step) {
        const int count = tabStrip_->count();
        tabStrip_->setCurrentIndex((tabStrip_->currentIndex() + step + count) % count);
    };
    for (const auto& [keys, step] :
         {std::pair{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
          std::pair{QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
          std::pair{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
          std::pair{QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}}) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [switchBy, step = step] { switchBy(step); });
    }
}

void CWavPressDlg::CreateFileList() {
    fileList_ = new CListEditCtrl(this);
    fileList_->setObjectName(QStringLiteral("fileList"));
    QWidget* viewport = fileList_->viewport();
    for (const std::size_t column : kEditBoxColumns) {
        auto* editor = new ByteLimitEdit(TagTextWidth(column), false, viewport);
        fileList_->SetColumnEditor(static_cast<int>(column), CListEditCtrl::kEditBox, editor);
    }
    genreEditor_ = new QComboBox(viewport);
    genreEditor_->setEditable(false);
    FillGenreNames(genreEditor_);
    fileList_->SetColumnEditor(kColumnGenre, CListEditCtrl::kDropDown, genreEditor_);

    connect(fileList_, &CListEditCtrl::MenuRequested, this, &CWavPressDlg::OnListContextMenu);
    connect(fileList_, &QTreeWidget::itemSelectionChanged, this, &CWavPressDlg::UpdateListCommands);
    connect(fileList_, &CListEditCtrl::FilesDropped, this, &CWavPressDlg::UpdateConvertButton);
    SetToolTip(fileList_, kListHint);
    NameControl(fileList_, kListName);
    outcomeLine_ = new OutcomeLine(this);
    outcomeLine_->setObjectName(QStringLiteral("outcomeLine"));
    connect(fileList_, &CListEditCtrl::FilesAdded, outcomeLine_, &OutcomeLine::ShowRefusals);
    CreateContextMenu();
}

QSize CWavPressDlg::PagesSize() const {
    // The parameter page's size for all three, unless another page would not fit into it;
    // measured before the pages are given the window's width.
    QSize pageSize = PageSize(parameterPage_);
    for (const QWidget* page :
         {static_cast<QWidget*>(outFolderPage_), static_cast<QWidget*>(versionPage_)}) {
        pageSize = pageSize.expandedTo(page->minimumSizeHint());
    }
    return pageSize;
}

QSize CWavPressDlg::ButtonSize() const {
    return convertButton_->sizeHint()
        .expandedTo(exitButton_->sizeHint())
        .expandedTo(QSize(kMinimumButtonWidth, 0));
}

QSize CWavPressDlg::NaturalSize() const {
    const int width = std::max(pagesSize_.width(), kMinimumContentWidth);
    const int height = tabStrip_->sizeHint().height() + kPageGap + pagesSize_.height() +
                       kControlGap + kListHeight + kControlGap + ButtonSize().height();
    return {width + 2 * kMargin, height + 2 * kMargin};
}

void CWavPressDlg::PlaceControls() {
    // The window is never smaller than its own layout; what it has beyond that goes to the
    // list, in both directions.
    const QSize natural = NaturalSize();
    setMinimumSize(natural);
    const int width = std::max(natural.width(), this->width()) - 2 * kMargin;
    const int listHeight = kListHeight + std::max(0, height() - natural.height());
    // The pages span the window, as the tab strip and the list do.
    const QSize pageSize(width, pagesSize_.height());

    tabStrip_->setGeometry(kMargin, kMargin, width, tabStrip_->sizeHint().height());
    const int pageTop = tabStrip_->geometry().bottom() + 1 + kPageGap;
    for (const auto& entry : pageTable_) {
        entry.first->setFixedSize(pageSize);
        entry.first->move(kMargin, pageTop);
    }
    const int listTop = pageTop + pageSize.height() + kControlGap;
    fileList_->setGeometry(kMargin, listTop, width, listHeight);

    const QSize buttonSize = ButtonSize();
    const int buttonTop = listTop + listHeight + kControlGap;
    const int exitLeft = kMargin + width - buttonSize.width();
    exitButton_->setGeometry(QRect(QPoint(exitLeft, buttonTop), buttonSize));
    convertButton_->setGeometry(
        QRect(QPoint(exitLeft - kControlGap - buttonSize.width(), buttonTop), buttonSize));
    // Under the list, beside the buttons.
    outcomeLine_->setGeometry(kMargin, buttonTop, convertButton_->x() - kControlGap - kMargin,
                              buttonSize.height());
}

void CWavPressDlg::OnTabChanged(int index) {
    if (index < 0) {
        return;
    }
    const QString caption = tabStrip_->tabText(index);
    for (const auto& [page, pageCaption] : pageTable_) {
        page->setVisible(pageCaption == caption);
    }
}

void CWavPressDlg::CreateContextMenu() {
    // One menu for the window's life: a command may run a dialog while the menu that sent it
    // is still on the stack.
    contextMenu_ = new QMenu(this);
    connect(contextMenu_->addAction(ToQString(kAddItem)), &QAction::triggered, this,
            &CWavPressDlg::OnAddItems);
    changeAction_ = contextMenu_->addAction(ToQString(kChangeItem));
    connect(changeAction_, &QAction::triggered, this, &CWavPressDlg::OnChangeItem);
    deleteAction_ = contextMenu_->addAction(ToQString(kDeleteItem));
    connect(deleteAction_, &QAction::triggered, this, &CWavPressDlg::OnDeleteItems);
    // Delete on the list itself; in a cell's editor it deletes text.
    deleteAction_->setShortcut(QKeySequence::Delete);
    deleteAction_->setShortcutContext(Qt::WidgetShortcut);
    fileList_->addAction(deleteAction_);
    contextMenu_->addSeparator();
    editTagAction_ = contextMenu_->addAction(ToQString(kEditTagItem));
    connect(editTagAction_, &QAction::triggered, this, &CWavPressDlg::OnEditTag);
    contextMenu_->addSeparator();
    selectAllAction_ = contextMenu_->addAction(ToQString(kSelectAllItem));
    connect(selectAllAction_, &QAction::triggered, fileList_, &QTreeWidget::selectAll);
    deselectAllAction_ = contextMenu_->addAction(ToQString(kDeselectAllItem));
    connect(deselectAllAction_, &QAction::triggered, fileList_, &QTreeWidget::clearSelection);
}

void CWavPressDlg::UpdateListCommands() {
    // Each command is offered when it would do something.
    const std::size_t selected = fileList_->SelectedRows().size();
    editTagAction_->setText(ToQString(selected > 0 ? kEditTagItem : kEditTagUnavailable));
    for (QAction* action : {changeAction_, deleteAction_, editTagAction_, deselectAllAction_}) {
        action->setEnabled(selected > 0);
    }
    selectAllAction_->setEnabled(selected < static_cast<std::size_t>(fileList_->RowCount()));
}

void CWavPressDlg::OnListContextMenu(const QPoint& globalPosition) {
    UpdateListCommands();
    contextMenu_->popup(globalPosition);
}

void CWavPressDlg::OnAddItems() {
    std::vector<WaveFolderScan::AddedFile> files;
    for (const QString& path : askOpenFileNames_(this, true)) {
        files.push_back({ToUtf8(path), {}});
    }
    fileList_->AddFileEntries(files);
    UpdateConvertButton();
}

void CWavPressDlg::OnChangeItem() {
    const int row = fileList_->FirstSelectedRow();
    if (row < 0) {
        return;
    }
    const QStringList chosen = askOpenFileNames_(this, false);
    if (!chosen.isEmpty()) {
        fileList_->ChangeFileEntry(ToUtf8(chosen.first()), row);
    }
    UpdateConvertButton();
}

void CWavPressDlg::OnDeleteItems() {
    fileList_->DeleteSelectedRows();
    UpdateConvertButton();
}

void CWavPressDlg::OnEditTag() {
    const std::vector<int> selected = fileList_->SelectedRows();
    if (selected.empty()) {
        return;
    }
    std::vector<FileRow> rows;
    for (const int row : selected) {
        rows.push_back(fileList_->Row(row));
    }
    CID3TagDlg dialog(std::move(rows), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    for (std::size_t i = 0; i < selected.size(); ++i) {
        fileList_->SetTagCells(selected[i], dialog.Rows()[i]);
    }
}

void CWavPressDlg::UpdateConvertButton() {
    convertButton_->setEnabled(fileList_->RowCount() > 0);
}
