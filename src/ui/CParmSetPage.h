#pragma once

#include "settings/LamePreset.h"
#include "settings/OggParm.h"

#include <QWidget>

#include <cstdint>

/// The page "パラメータ設定": the encoder choice and, in one framed area, the parameter page of
/// the chosen encoder. Edits the main window's records in place; owns none of them.
class CParmSetPage : public QWidget {
    Q_OBJECT
public:
    CParmSetPage(std::int32_t* encodeType, std::int32_t* preset, BE_CONFIG* lameParm,
                 PresetList* presets, OggParm* oggParm, QWidget* parent = nullptr);

private:
    std::int32_t* encodeType_;
    std::int32_t* preset_;
    BE_CONFIG* lameParm_;
    PresetList* presets_;
    OggParm* oggParm_;
};
