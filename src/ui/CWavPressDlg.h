// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/FileRow.h"
#include "settings/EncodeSettings.h"
#include "settings/SettingsFile.h"
#include "ui/WindowConversion.h"

#include <QDialog>
#include <QIcon>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CListEditCtrl;
class COutFolderPage;
class CParmSetPage;
class CVersionPage;
class OutcomeLine;
class QAction;
class QComboBox;
class QMenu;
class QPushButton;
class QTabBar;

/// The main window "wavPress": the settings pages under a strip of three tabs, the file list,
/// "変換" and "終了". It owns every settings record of the run, loads them while it is built and
/// writes them back when it is destroyed, however it ends. It only wires: the list, the pages
/// and the tag dialog are classes of their own.
class CWavPressDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "wavPress";
    static constexpr const char* kOutFolderTab = "出力フォルダ設定";
    static constexpr const char* kParameterTab = "パラメータ設定";
    static constexpr const char* kVersionTab = "バージョン情報";
    static constexpr const char* kConvertText = "変換";
    static constexpr const char* kExitText = "終了";
    static constexpr const char* kListHint =
        "ここに変換したいWAVEファイルを追加して下さい\nフォルダを追加すると中のWAVEファイルが"
        "全て入ります\nタグはセルのダブルクリックか「ID3タグ編集」で変更できます";
    /// The list's name for a screen reader, in the words of its hint.
    static constexpr const char* kListName = "変換したいWAVEファイル";
    static constexpr const char* kAddItem = "項目の追加";
    static constexpr const char* kChangeItem = "項目の変更";
    static constexpr const char* kDeleteItem = "項目の削除";
    static constexpr const char* kEditTagItem = "ID3タグ編集";
    static constexpr const char* kEditTagUnavailable = "ID3TAG編集";
    static constexpr const char* kSelectAllItem = "全てを選択";
    static constexpr const char* kDeselectAllItem = "全てを解除";
    static constexpr const char* kWaveFilter = "WAVEファイル(*.wav)";

    /// Asks the user for WAVE files: several for add, one for change. An empty answer is a
    /// cancel.
    using OpenFileNamesAsker = std::function<QStringList(QWidget* parent, bool several)>;

    /// Reads its settings from settingsFolder (preset.ini, then opt.ini) and writes them there
    /// when destroyed.
    explicit CWavPressDlg(std::string settingsFolder, QWidget* parent = nullptr);
    ~CWavPressDlg() override;

    /// Replaces the file dialog; nullptr brings back the window system's own.
    void SetOpenFileNamesAsker(OpenFileNamesAsker asker);

    /// The settings records the pages edit and a conversion reads.
    EncodeSettings& Settings() { return settings_; }

    /// Every row of the file list, in list order.
    std::vector<FileRow> Rows() const;

    /// Takes files into the list as a drop of them does: the suitable ones as new rows in the
    /// order given, the others skipped silently.
    void AddDroppedFiles(const std::vector<std::string>& paths);

    /// Writes opt.ini and preset.ini, unless this very content was written by this window
    /// before: when the user ends the program, at destruction, and earlier when the desktop
    /// session ends. False when a file could not be written; unsaved, when given, receives its
    /// path.
    bool SaveSettings(std::string* unsaved = nullptr);

    /// The desktop session or a signal asks the program to end: windows open over this one
    /// are closed as by their cancel, then this one as by "終了". A running batch is cancelled
    /// first; the window ends once its job has stopped and removed its output.
    void OnEndRequest();

public Q_SLOTS:
    /// "変換": the conversion start of the list's rows with Settings(), under the modal
    /// progress window; returns when the batch is over.
    void OnConvert();

    /// "終了", the close box and the window menu: the settings are written first, and the user
    /// is told when they could not be.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreatePages();
    void CreateTabs();
    void CreateFileList();
    void CreateContextMenu();
    /// The size of the pages, the same for all three.
    QSize PagesSize() const;
    QSize ButtonSize() const;
    /// The window's own layout: the least it shows, and what it opens at without a [Window].
    QSize NaturalSize() const;
    void PlaceControls();
    /// The place, size and column widths of [Window], where the file has them.
    void RestoreWindow();
    /// Puts the window's place, size and column widths into settings_.Window.
    void RememberWindow();
    void OnTabChanged(int index);
    void UpdateListCommands();
    void OnListContextMenu(const QPoint& globalPosition);
    void OnAddItems();
    void OnChangeItem();
    void OnDeleteItems();
    void OnEditTag();
    void UpdateConvertButton();

    std::string settingsFolder_;
    QPushButton* convertButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    std::vector<std::pair<QWidget*, QString>> pageTable_;
    EncodeSettings settings_;
    SettingsFileState settingsFileState_ = SettingsFileState::Missing; ///< opt.ini at start
    CParmSetPage* parameterPage_ = nullptr;
    COutFolderPage* outFolderPage_ = nullptr;
    CVersionPage* versionPage_ = nullptr;
    QIcon icon_;
    QTabBar* tabStrip_ = nullptr;
    CListEditCtrl* fileList_ = nullptr;
    OutcomeLine* outcomeLine_ = nullptr;
    QComboBox* genreEditor_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    QAction* changeAction_ = nullptr;
    QAction* deleteAction_ = nullptr;
    QAction* editTagAction_ = nullptr;
    QAction* selectAllAction_ = nullptr;
    QAction* deselectAllAction_ = nullptr;
    OpenFileNamesAsker askOpenFileNames_;
    std::optional<std::string> savedContent_;
    WindowConversion conversion_{*this};
    bool endAfterConversion_ = false;
    bool endRequested_ = false; ///< by a signal or the session, not by the user
    bool shown_ = false;
    QSize pagesSize_; ///< PagesSize() at the start
};
