#include "ui/CVersionPage.h"

#include "ui/QtText.h"

CVersionPage::CVersionPage(QWidget* parent) : QWidget(parent) {
    setWindowTitle(ToQString("バージョン情報"));
}
