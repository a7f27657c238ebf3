// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <cstdint>
#include <string>

class QCheckBox;
class QLineEdit;
class QSpinBox;

/// The page "出力フォルダ設定": the output folder, chosen only through the folder dialog, and
/// the overwrite question, and the number of files converted at once. Edits the main window's
/// records in place; any may be null.
class COutFolderPage : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kJobsCaption = "同時に変換するファイル数";
    static constexpr const char* kJobsTip =
        "同時に変換するファイルの数です\nCPUの数まで指定できます";

    COutFolderPage(std::string* outFolder, std::int32_t* identityOutFile,
                   std::int32_t* jobs = nullptr, QWidget* parent = nullptr);

private:
    void OnBrowseFolder();
    void OnOverwriteCheck(bool checked);

    std::string* outFolder_;
    std::int32_t* identityOutFile_;
    std::int32_t* jobs_;
    QLineEdit* folderField_;
    QCheckBox* overwriteBox_;
    QSpinBox* jobsBox_;
};
