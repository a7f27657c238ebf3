#include "ui/COutFolderPage.h"

#include "ui/QtText.h"

COutFolderPage::COutFolderPage(std::string* outFolder, std::int32_t* identityOutFile,
                               QWidget* parent)
    : QWidget(parent), outFolder_(outFolder), identityOutFile_(identityOutFile) {
    setWindowTitle(ToQString("出力フォルダ設定"));
}
