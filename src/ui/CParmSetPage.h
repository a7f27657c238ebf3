// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/LamePreset.h"
#include "settings/OggParm.h"

#include <QWidget>

#include <cstdint>

class CMP3SetPage;
class COggSetPage;
class QComboBox;

/// The page "パラメータ設定": the encoder choice and, in one framed area, the parameter page of
/// the chosen encoder. Edits the main window's records in place; owns none of them. Both
/// parameter pages live as long as this page, so switching the encoder keeps their state.
class CParmSetPage : public QWidget {
    Q_OBJECT
public:
    /// encodeType and oggParm must not be null; the MP3 page copes with missing MP3 records.
    CParmSetPage(std::int32_t* encodeType, std::int32_t* preset, BE_CONFIG* lameParm,
                 PresetList* presets, OggParm* oggParm, QWidget* parent = nullptr);

private:
    void ShowEncoderPage(int encodeType);

    std::int32_t* encodeType_;
    QComboBox* encoderList_;
    CMP3SetPage* mp3Page_;
    COggSetPage* oggPage_;
};
