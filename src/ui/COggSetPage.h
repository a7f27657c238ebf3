// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/OggParm.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QSlider;

/// The page "OggVorbisパラメータ設定" inside the parameter page: stereo or mono, the quality on
/// a track bar, and the bitrate mode with its three bitrates. Every change is stored in OggParm
/// at once.
class COggSetPage : public QWidget {
    Q_OBJECT
public:
    /// oggParm must not be null.
    explicit COggSetPage(OggParm* oggParm, QWidget* parent = nullptr);

    /// The track bar's travel: the qualities the Vorbis encoder accepts, -0.10 … 1.00 in steps
    /// of 0.01, with two positions for 0.00 (100 and 101).
    static constexpr int kFirstPosition = 90;
    static constexpr int kLastPosition = 201;
    /// The position that shows a quality; values outside the travel go to its nearer end.
    static int PositionOf(float preset);
    /// The quality a position stands for.
    static float PresetAt(int position);

private:
    void ApplyCustomRule();
    void ShowPreset();
    void OnPositionChanged(int position);
    void OnBitrateChosen(QComboBox* list, std::int32_t OggParm::*field, int position);

    OggParm* parm_;
    QRadioButton* stereoButton_;
    QRadioButton* monoButton_;
    QSlider* trackBar_;
    QLabel* presetValue_;
    QCheckBox* customBox_;
    std::array<QComboBox*, 3> bitrateLists_{};
};
