#pragma once

#include <QWidget>

#include <cstdint>
#include <string>

class QCheckBox;
class QLineEdit;

/// The page "出力フォルダ設定": the output folder, chosen only through the folder dialog, and
/// the overwrite question. Edits the main window's records in place; either may be null.
class COutFolderPage : public QWidget {
    Q_OBJECT
public:
    COutFolderPage(std::string* outFolder, std::int32_t* identityOutFile,
                   QWidget* parent = nullptr);

private:
    void OnBrowseFolder();
    void OnOverwriteCheck(bool checked);

    std::string* outFolder_;
    std::int32_t* identityOutFile_;
    QLineEdit* folderField_;
    QCheckBox* overwriteBox_;
};
