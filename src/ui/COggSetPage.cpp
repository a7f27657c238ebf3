// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/COggSetPage.h"

#include "platform/Format.h"
#include "ui/Caption.h"
#include "ui/DialogFont.h"
#include "ui/ListNumbers.h"
#include "ui/QtText.h"
#include "ui/ToolTips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kTitle = "OggVorbisパラメータ設定";
constexpr const char* kPresetFormat = "%02.02f";
constexpr int kStereo = 2;
constexpr int kMono = 1;
constexpr int kDefaultItem = 0;
constexpr std::int32_t kNotSet = -1;
constexpr std::int32_t kBitsPerKbit = 1000;

constexpr std::array<const char*, 12> kBitrateItems = {
    "Default", "32 Kbps",  "40 Kbps",  "48 Kbps",  "64 Kbps",  "80 Kbps",
    "96 Kbps", "128 Kbps", "160 Kbps", "196 Kbps", "256 Kbps", "320 Kbps"};

struct BitrateList {
    const char* objectName;
    const char* caption;
    std::int32_t OggParm::*field;
    const char* tip;
};
constexpr std::array<BitrateList, 3> kBitrateLists = {{
    {"minBitrateList", "最小ビットレート", &OggParm::MinBitrate,
     "最小ビットレートを設定します\n最小ビットレートのみを指定する場合は\n64 "
     "Kbps以上になるように設定して下さい"},
    {"aveBitrateList", "平均ビットレート", &OggParm::AveBitrate,
     "平均ビットレートを設定します\nこの設定を行う事で、若干音質がよくなります"},
    {"maxBitrateList", "最大ビットレート", &OggParm::MaxBitrate,
     "最大ビットレートを設定します\nこの値を超えないようにファイルが作成されます"},
}};

constexpr const char* kCustomTip = "OggVorbisの設定をカスタマイズします";
constexpr const char* kTrackBarTip =
    "OggVorbisのプリセットを指定します\n値が大きい程音質がよくなります";
constexpr const char* kStereoTip = "ステレオでOggVorbisファイルを作成します";
constexpr const char* kMonoTip = "モノラルでOggVorbisファイルを作成します";

// -1 selects "Default"; any other value its whole kbit/s, toward zero, where "Default" is 0.
int ItemForBitrate(const QComboBox& list, std::int32_t bitrate) {
    return bitrate == kNotSet ? kDefaultItem : FirstItemWithNumber(list, bitrate / kBitsPerKbit);
}

} // namespace

int COggSetPage::PositionOf(float preset) {
    // Rounded, not truncated: -0.10 × 100 is -10.000000149 in float and would fall off the bar.
    const double hundredths = static_cast<double>(preset) * 100.0;
    if (!(hundredths > kFirstPosition - 100 - 1)) { // NaN too
        return kFirstPosition;
    }
    if (hundredths > kLastPosition - 101) {
        return kLastPosition;
    }
    // -0.0 is the value of position 100, the bar's second 0.00.
    const int offset = std::signbit(preset) ? 100 : 101;
    return std::clamp(static_cast<int>(std::lround(hundredths)) + offset, kFirstPosition,
                      kLastPosition);
}

float COggSetPage::PresetAt(int position) {
    // Position 100 gives -0.0, so that it comes back at 100 from opt.ini, which keeps the sign.
    return position >= 101 ? static_cast<float>(position - 101) / 100.0f
                           : -static_cast<float>(100 - position) / 100.0f;
}

COggSetPage::COggSetPage(OggParm* oggParm, QWidget* parent) : QWidget(parent), parm_(oggParm) {
    setWindowTitle(ToQString(kTitle));
    UseDialogFont(this);

    stereoButton_ = new QRadioButton(ToQString("ステレオ"), this);
    monoButton_ = new QRadioButton(ToQString("モノラル"), this);
    auto* modeButtons = new QButtonGroup(this);
    modeButtons->addButton(stereoButton_);
    modeButtons->addButton(monoButton_);

    trackBar_ = new QSlider(Qt::Horizontal, this);
    trackBar_->setObjectName(QStringLiteral("presetTrackBar"));
    trackBar_->setTickPosition(QSlider::NoTicks);
    trackBar_->setMinimumWidth(kLastPosition - kFirstPosition + 1 + 40);
    presetValue_ = new QLabel(this);
    presetValue_->setObjectName(QStringLiteral("presetValue"));
    presetValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    presetValue_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // Room for the widest value the label shows, a stored -100.00 included.
    presetValue_->setMinimumWidth(
        presetValue_->fontMetrics().horizontalAdvance(QStringLiteral("-100.00")) + 8);

    customBox_ = new QCheckBox(ToQString("カスタム設定"), this);
    auto* customGroup = new QGroupBox(ToQString("カスタム"), this);
    auto* customLayout = new QGridLayout(customGroup);
    for (std::size_t i = 0; i < kBitrateLists.size(); ++i) {
        auto* list = new QComboBox(customGroup);
        list->setObjectName(QLatin1String(kBitrateLists[i].objectName));
        customLayout->addWidget(NewCaption(kBitrateLists[i].caption, list, customGroup),
                                static_cast<int>(i), 0);
        customLayout->addWidget(list, static_cast<int>(i), 1);
        bitrateLists_[i] = list;
    }
    customLayout->setColumnStretch(2, 1);

    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(stereoButton_);
    modeRow->addWidget(monoButton_);
    modeRow->addStretch(1);
    auto* presetRow = new QHBoxLayout;
    presetRow->addWidget(NewCaption("プリセット", trackBar_, this));
    presetRow->addWidget(trackBar_, 1);
    presetRow->addWidget(presetValue_);
    auto* page = new QVBoxLayout(this);
    page->addLayout(modeRow);
    page->addLayout(presetRow);
    page->addWidget(customBox_);
    page->addWidget(customGroup);
    page->addStretch(1);

    trackBar_->setRange(kFirstPosition, kLastPosition);
    trackBar_->setValue(PositionOf(parm_->Preset));
    ShowPreset();
    ApplyCustomRule();
    for (std::size_t i = 0; i < kBitrateLists.size(); ++i) {
        QComboBox* list = bitrateLists_[i];
        for (const char* item : kBitrateItems) {
            list->addItem(ToQString(item));
        }
        list->setCurrentIndex(ItemForBitrate(*list, parm_->*kBitrateLists[i].field));
    }
    (parm_->Mode == 0 || parm_->Mode == kMono ? monoButton_ : stereoButton_)->setChecked(true);

    SetToolTip(customBox_, kCustomTip);
    SetToolTip(trackBar_, kTrackBarTip);
    for (std::size_t i = 0; i < kBitrateLists.size(); ++i) {
        SetToolTip(bitrateLists_[i], kBitrateLists[i].tip);
    }
    SetToolTip(stereoButton_, kStereoTip);
    SetToolTip(monoButton_, kMonoTip);

    connect(stereoButton_, &QRadioButton::clicked, this, [this] { parm_->Mode = kStereo; });
    connect(monoButton_, &QRadioButton::clicked, this, [this] { parm_->Mode = kMono; });
    connect(customBox_, &QCheckBox::clicked, this, [this](bool checked) {
        parm_->Custom = checked ? 1 : 0;
        ApplyCustomRule();
    });
    for (std::size_t i = 0; i < kBitrateLists.size(); ++i) {
        connect(bitrateLists_[i], &QComboBox::activated, this,
                [this, list = bitrateLists_[i], field = kBitrateLists[i].field](int position) {
                    OnBitrateChosen(list, field, position);
                });
    }
    // Every way of moving the bar (drag, click, keys, wheel) ends in a new value.
    connect(trackBar_, &QSlider::valueChanged, this, &COggSetPage::OnPositionChanged);
}

void COggSetPage::ApplyCustomRule() {
    const bool custom = parm_->Custom != 0;
    for (QComboBox* list : bitrateLists_) {
        list->setEnabled(custom);
    }
    trackBar_->setEnabled(!custom);
    customBox_->setChecked(custom);
}

void COggSetPage::ShowPreset() {
    presetValue_->setText(
        ToQString(platform::Format(kPresetFormat, static_cast<double>(parm_->Preset))));
}

void COggSetPage::OnPositionChanged(int position) {
    parm_->Preset = PresetAt(position);
    ShowPreset();
}

void COggSetPage::OnBitrateChosen(QComboBox* list, std::int32_t OggParm::*field, int position) {
    parm_->*field =
        position == kDefaultItem
            ? kNotSet
            : static_cast<std::int32_t>(LeadingNumber(list->itemText(position))) * kBitsPerKbit;
}
