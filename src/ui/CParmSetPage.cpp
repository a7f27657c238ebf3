#include "ui/CParmSetPage.h"

#include "ui/QtText.h"

CParmSetPage::CParmSetPage(std::int32_t* encodeType, std::int32_t* preset, BE_CONFIG* lameParm,
                           PresetList* presets, OggParm* oggParm, QWidget* parent)
    : QWidget(parent), encodeType_(encodeType), preset_(preset), lameParm_(lameParm),
      presets_(presets), oggParm_(oggParm) {
    setWindowTitle(ToQString("パラメータ設定"));
    setFixedSize(420, 260);
}
