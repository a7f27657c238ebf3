// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/LamePreset.h"
#include "settings/OggParm.h"

#include <QWidget>

#include <cstdint>

class CMP3SetPage;
class COggSetPage;
class QCheckBox;
class QComboBox;

/// The page "パラメータ設定": the encoder choice and, in one framed area, the parameter page of
/// the chosen encoder. Edits the main window's records in place; owns none of them. Both
/// parameter pages live as long as this page, so switching the encoder keeps their state. Below
/// the area, whether the outputs carry ReplayGain values, which applies to both encoders.
class CParmSetPage : public QWidget {
    Q_OBJECT
public:
    /// encodeType, oggParm and replayGain must not be null; the MP3 page copes with missing MP3
    /// records.
    CParmSetPage(std::int32_t* encodeType, std::int32_t* preset, BE_CONFIG* lameParm,
                 PresetList* presets, OggParm* oggParm, std::int32_t* replayGain,
                 QWidget* parent = nullptr);

private:
    void ShowEncoderPage(int encodeType);

    std::int32_t* encodeType_;
    std::int32_t* replayGain_;
    QCheckBox* replayGainBox_;
    QComboBox* encoderList_;
    CMP3SetPage* mp3Page_;
    COggSetPage* oggPage_;
};
