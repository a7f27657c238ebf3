// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <array>
#include <cstdint>
#include <string>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

/// The page "出力フォルダ設定": the output folder, chosen only through the folder dialog, where
/// the outputs go (all into it, the added folders' tree below it, or beside their inputs), the
/// overwrite question, and the number of files converted at once. Edits the main window's
/// records in place; any may be null.
class COutFolderPage : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kJobsCaption = "同時に変換するファイル数";
    static constexpr const char* kJobsTip =
        "同時に変換するファイルの数です\nCPUの数まで指定できます";

    static constexpr const char* kLayoutCaption = "出力先";
    /// The choices of the layout, in the order of their values, and their tips.
    static constexpr std::array<const char*, 3> kLayoutChoices = {
        "出力フォルダにまとめる", "追加したフォルダの構成で出力フォルダに",
        "元のファイルと同じフォルダに"};
    static constexpr std::array<const char*, 3> kLayoutTips = {
        "変換したファイルをすべて出力フォルダに保存します",
        "フォルダを追加したときは、そのフォルダと中のサブフォルダを\n出力フォルダの下に作って"
        "保存します\nファイルを直接追加したときは出力フォルダに保存します",
        "変換したファイルを元のWAVEファイルと同じフォルダに\n保存します(出力フォルダは使いません)"};

    /// The folder's tip for the files of each encoder, by EncodeType.
    static constexpr std::array<const char*, 2> kFolderTips = {
        "MP3ファイルを出力するフォルダを設定します",
        "Ogg Vorbisファイルを出力するフォルダを設定します"};

    /// encodeType, when given, is read whenever the page is shown: the folder's tip names the
    /// files of the encoder chosen on the parameter page.
    COutFolderPage(std::string* outFolder, std::int32_t* identityOutFile,
                   std::int32_t* jobs = nullptr, std::int32_t* outputLayout = nullptr,
                   const std::int32_t* encodeType = nullptr, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowFolderTips();
    void OnBrowseFolder();
    void OnOverwriteCheck(bool checked);
    void OnLayoutChosen(int layout);

    std::string* outFolder_;
    std::int32_t* identityOutFile_;
    std::int32_t* jobs_;
    std::int32_t* outputLayout_;
    const std::int32_t* encodeType_;
    QLabel* folderCaption_;
    QLineEdit* folderField_;
    QPushButton* browseButton_;
    QButtonGroup* layoutChoice_;
    QCheckBox* overwriteBox_;
    QSpinBox* jobsBox_;
};
