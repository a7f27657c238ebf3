// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/LamePreset.h"

#include <QWidget>

#include <array>
#include <cstdint>

class QButtonGroup;
class QCheckBox;
class QComboBox;

/// The page "MP3パラメータ設定" inside the parameter page. With "カスタム" chosen it shows and
/// edits LameParm; with a preset in effect it shows that preset, its eight parameter lists are
/// disabled, and the mode buttons and flag boxes edit the preset itself in the preset list.
/// Every change is stored at once.
class CMP3SetPage : public QWidget {
    Q_OBJECT
public:
    /// Any pointer may be null: without presets the page edits LameParm alone; with neither a
    /// preset in effect nor LameParm there is nothing to show ("NULL Pointer").
    CMP3SetPage(std::int32_t* preset, BE_CONFIG* lameParm, PresetList* presets,
                QWidget* parent = nullptr);

private:
    LamePreset* PresetInEffect() const;
    /// The record the mode buttons and flag boxes edit: the preset in effect, else LameParm.
    BE_CONFIG* EditedRecord() const;
    void ShowParameters(const BE_CONFIG* config);
    void EnableParameterLists(bool enable);

    void OnPresetChosen(int position);
    void OnMpegVersionChosen(int position);
    void OnMinBitrateChosen(int position);
    void OnMaxBitrateChosen(int position);
    void OnModeClicked(int mode);
    void OnFlagClicked(std::int32_t BE_CONFIG::*field, bool checked);
    void OnQualityChosen(int position);
    void OnVbrMethodChosen(int position);
    void OnVbrQualityChosen(int position);
    void OnSampleRateChosen(int position);
    void OnAbrChosen(int position);

    std::int32_t* preset_;
    BE_CONFIG* lameParm_;
    PresetList* presets_;

    QComboBox* presetList_;
    QComboBox* mpegList_;
    QComboBox* minBitrateList_;
    QComboBox* maxBitrateList_;
    QButtonGroup* modeButtons_;
    std::array<QCheckBox*, 4> flagBoxes_{};
    QComboBox* qualityList_;
    QComboBox* vbrMethodList_;
    QComboBox* vbrQualityList_;
    QComboBox* abrList_;
    QComboBox* sampleRateList_;
};
