#pragma once

#include <QWidget>

#include <cstdint>
#include <string>

/// The page "出力フォルダ設定": the output folder, chosen only through the folder dialog, and
/// the overwrite question. Edits the main window's records in place.
class COutFolderPage : public QWidget {
    Q_OBJECT
public:
    COutFolderPage(std::string* outFolder, std::int32_t* identityOutFile,
                   QWidget* parent = nullptr);

private:
    std::string* outFolder_;
    std::int32_t* identityOutFile_;
};
