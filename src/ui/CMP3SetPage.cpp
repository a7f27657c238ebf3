// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CMP3SetPage.h"

#include "platform/MessageBox.h"
#include "settings/EncodeSettings.h"
#include "settings/QualityCodes.h"
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
#include <QVBoxLayout>

#include <span>

namespace {

constexpr const char* kTitle = "MP3パラメータ設定";
constexpr const char* kNullPointer = "NULL Pointer";
constexpr const char* kApplicationName = "wavPress";
constexpr const char* kNote = "(VBRの音質：0=最高　～　9:=最悪)";
constexpr const char* kCustom = "カスタム";

constexpr std::array<const char*, 2> kMpegVersions = {"MPEG-I(標準)", "MPEG-II"};
constexpr std::array<const char*, 13> kBitrates = {
    "32Kbps",  "40Kbps",  "56Kbps",  "64Kbps",  "80Kbps",  "96Kbps", "112Kbps",
    "128Kbps", "160Kbps", "192Kbps", "224Kbps", "256Kbps", "320Kbps"};
constexpr std::array<const char*, 4> kModes = {"ステレオ", "ジョイントステレオ", "フォースステレオ",
                                               "モノラル"};
constexpr std::array<const char*, 16> kQualityLabels = {
    "標準",     "悪い",     "良い",     "音声",   "R3MIX",  "最高", "電話", "SWラジオ",
    "AMラジオ", "FMラジオ", "音声(新)", "ラジオ", "テープ", "HIFI", "CD",   "スタジオ"};
static_assert(kQualityLabels.size() == kQualityCodes.size());
constexpr std::array<const char*, 6> kVbrMethods = {"無効",    "VBR標準",  "VBR(旧)",
                                                    "VBR(新)", "VBR MTRH", "VBR ABR"};
constexpr int kVbrOff = 0;
constexpr std::array<const char*, 10> kVbrQualities = {"VBR 0", "VBR 1", "VBR 2", "VBR 3", "VBR 4",
                                                       "VBR 5", "VBR 6", "VBR 7", "VBR 8", "VBR 9"};
constexpr std::array<const char*, 13> kAbrValues = {
    "32000",  "40000",  "56000",  "64000",  "80000",  "96000", "112000",
    "128000", "160000", "192000", "224000", "256000", "320000"};
constexpr std::array<const char*, 4> kSampleRates = {"AUTO", "48000", "44100", "32000"};
constexpr int kSampleRateAuto = 0;

struct Flag {
    const char* caption;
    std::int32_t BE_CONFIG::*field;
    const char* tip;
};
constexpr std::array<Flag, 4> kFlags = {{
    {"プライベート", &BE_CONFIG::Private, "プライベートである事を設定します"},
    {"チェックサム", &BE_CONFIG::CRC, "チェックサム付きである事を設定します"},
    {"著作権", &BE_CONFIG::Copyright, "著作権がある事を設定します"},
    {"オリジナル", &BE_CONFIG::Original, "オリジナルである事を設定します"},
}};

constexpr const char* kPresetTip =
    "MP3のプリセットを指定します\n用途に合ったプリセットを選択して下さい";
constexpr const char* kMpegTip = "MPEG1とMPEG2を選択できますが\n現在は指定しても意味がありません";
constexpr const char* kMinBitrateTip =
    "MP3に変換時のビットレートです\nVBR設定時には最小ビットレートになります";
constexpr const char* kMaxBitrateTip = "MP3変換時の最大ビットレートです\nVBR設定時のみ使用します";
constexpr const char* kModeTip = "変換後のファイルをステレオ・ジョイントステレオ(擬似ステレオ)・"
                                 "モノラルのどれにするか設定をして下さい";
constexpr const char* kQualityTip =
    "MP3ファイルに変換する時の品質を設定します\n音声用やCD品質の選択がありますので好みに\n"
    "よって選択をして下さい";
constexpr const char* kVbrMethodTip =
    "VBRの種類を設定して下さい\n無効は、CBRでの変換となります\n好みによって選択を行ってください";
constexpr const char* kVbrQualityTip =
    "VBRの品質の設定です\n0…最高～9…最悪まで好みに応じて選択して下さい";
constexpr const char* kAbrTip =
    "VBR設定時の平均ビットレートを設定します\nVBRの種類をVBR ABR選択時に使用されます";
constexpr const char* kSampleRateTip =
    "WAVEファイルのサンプリングレートを設定します\nAutoの場合は、入力ファイルのサンプリングレートを"
    "\n自動的に設定を行います";

QComboBox* NewList(const char* objectName, const char* tip, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(objectName));
    SetToolTip(list, tip);
    return list;
}

// A filled list starts without a selection, as the system's lists do; Qt would select the
// first item.
void Fill(QComboBox* list, std::span<const char* const> items) {
    for (const char* item : items) {
        list->addItem(ToQString(item));
    }
    list->setCurrentIndex(-1);
}

void SelectNumber(QComboBox* list, std::int64_t value) {
    const int position = FirstItemWithNumber(*list, value);
    if (position >= 0) {
        list->setCurrentIndex(position);
    }
}

std::uint32_t NumberOf(const QComboBox* list, int position) {
    return static_cast<std::uint32_t>(LeadingNumber(list->itemText(position)));
}

} // namespace

CMP3SetPage::CMP3SetPage(std::int32_t* preset, BE_CONFIG* lameParm, PresetList* presets,
                         QWidget* parent)
    : QWidget(parent), preset_(preset), lameParm_(lameParm), presets_(presets) {
    setWindowTitle(ToQString(kTitle));
    UseDialogFont(this);

    presetList_ = NewList("presetList", kPresetTip, this);
    // Preset names are the user's own: they must not widen the page.
    presetList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    presetList_->setMinimumContentsLength(16);
    mpegList_ = NewList("mpegList", kMpegTip, this);
    minBitrateList_ = NewList("minBitrateList", kMinBitrateTip, this);
    maxBitrateList_ = NewList("maxBitrateList", kMaxBitrateTip, this);
    qualityList_ = NewList("qualityList", kQualityTip, this);
    vbrMethodList_ = NewList("vbrMethodList", kVbrMethodTip, this);
    vbrQualityList_ = NewList("vbrQualityList", kVbrQualityTip, this);
    abrList_ = NewList("abrList", kAbrTip, this);
    sampleRateList_ = NewList("sampleRateList", kSampleRateTip, this);

    auto* modeBox = new QGroupBox(ToQString("モード"), this);
    auto* modeLayout = new QVBoxLayout(modeBox);
    modeButtons_ = new QButtonGroup(this);
    for (std::size_t mode = 0; mode < kModes.size(); ++mode) {
        auto* button = new QRadioButton(ToQString(kModes[mode]), modeBox);
        SetToolTip(button, kModeTip);
        modeButtons_->addButton(button, static_cast<int>(mode));
        modeLayout->addWidget(button);
    }
    for (std::size_t i = 0; i < kFlags.size(); ++i) {
        flagBoxes_[i] = new QCheckBox(ToQString(kFlags[i].caption), this);
        SetToolTip(flagBoxes_[i], kFlags[i].tip);
    }

    auto* lists = new QGridLayout;
    const auto addRow = [this, lists](const char* caption, QWidget* list) {
        const int row = lists->rowCount();
        lists->addWidget(NewCaption(caption, list, this), row, 0);
        lists->addWidget(list, row, 1);
    };
    addRow("種類", mpegList_);
    addRow("最小ビットレート", minBitrateList_);
    addRow("最大ビットレート", maxBitrateList_);
    addRow("音質", qualityList_);
    addRow("サンプリングレート", sampleRateList_);
    addRow("ＶＢＲの種類", vbrMethodList_);
    addRow("ＶＢＲの音質", vbrQualityList_);
    auto* abrRow = new QHBoxLayout;
    abrRow->addWidget(abrList_, 1);
    abrRow->addWidget(new QLabel(ToQString("bps"), this));
    lists->addWidget(NewCaption("ＡＢＲの設定", abrList_, this), lists->rowCount(), 0);
    lists->addLayout(abrRow, lists->rowCount() - 1, 1);

    // Tab follows the lists down their column, then the mode and the flags.
    QWidget* previous = presetList_;
    for (QWidget* next : std::initializer_list<QWidget*>{
             mpegList_, minBitrateList_, maxBitrateList_, qualityList_, sampleRateList_,
             vbrMethodList_, vbrQualityList_, abrList_, modeButtons_->button(0)}) {
        setTabOrder(previous, next);
        previous = next;
    }

    auto* right = new QVBoxLayout;
    right->addWidget(modeBox);
    for (QCheckBox* box : flagBoxes_) {
        right->addWidget(box);
    }
    right->addStretch(1);

    auto* presetRow = new QHBoxLayout;
    presetRow->addWidget(NewCaption("プリセット", presetList_, this));
    presetRow->addWidget(presetList_, 1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(lists);
    columns->addSpacing(12);
    columns->addLayout(right);

    auto* page = new QVBoxLayout(this);
    page->addLayout(presetRow);
    page->addLayout(columns);
    page->addWidget(new QLabel(ToQString(kNote), this));
    page->addStretch(1);

    Fill(mpegList_, kMpegVersions);
    Fill(minBitrateList_, kBitrates);
    Fill(maxBitrateList_, kBitrates);
    Fill(qualityList_, kQualityLabels);
    Fill(vbrMethodList_, kVbrMethods);
    Fill(vbrQualityList_, kVbrQualities);
    Fill(sampleRateList_, kSampleRates);
    sampleRateList_->setCurrentIndex(kSampleRateAuto);
    Fill(abrList_, kAbrValues);

    presetList_->addItem(ToQString(kCustom));
    if (presets_ != nullptr) {
        for (const LamePreset& entry : *presets_) {
            presetList_->addItem(ToQString(entry.Name));
        }
        if (!presets_->empty() && preset_ != nullptr) {
            // A position past the end, or a negative one, leaves the list without a selection.
            presetList_->setCurrentIndex(*preset_ >= 0 && *preset_ < presetList_->count() ? *preset_
                                                                                          : -1);
        }
    }

    modeButtons_->button(0)->setChecked(true);
    ShowParameters(lameParm_);

    connect(presetList_, &QComboBox::activated, this, &CMP3SetPage::OnPresetChosen);
    connect(mpegList_, &QComboBox::activated, this, &CMP3SetPage::OnMpegVersionChosen);
    connect(minBitrateList_, &QComboBox::activated, this, &CMP3SetPage::OnMinBitrateChosen);
    connect(maxBitrateList_, &QComboBox::activated, this, &CMP3SetPage::OnMaxBitrateChosen);
    connect(modeButtons_, &QButtonGroup::idClicked, this, &CMP3SetPage::OnModeClicked);
    for (std::size_t i = 0; i < kFlags.size(); ++i) {
        connect(flagBoxes_[i], &QCheckBox::clicked, this,
                [this, field = kFlags[i].field](bool checked) { OnFlagClicked(field, checked); });
    }
    connect(qualityList_, &QComboBox::activated, this, &CMP3SetPage::OnQualityChosen);
    connect(vbrMethodList_, &QComboBox::activated, this, &CMP3SetPage::OnVbrMethodChosen);
    connect(vbrQualityList_, &QComboBox::activated, this, &CMP3SetPage::OnVbrQualityChosen);
    connect(sampleRateList_, &QComboBox::activated, this, &CMP3SetPage::OnSampleRateChosen);
    connect(abrList_, &QComboBox::activated, this, &CMP3SetPage::OnAbrChosen);
}

LamePreset* CMP3SetPage::PresetInEffect() const {
    if (preset_ == nullptr || presets_ == nullptr) {
        return nullptr;
    }
    const auto index = PresetIndexInEffect(*preset_, presets_->size());
    return index ? &(*presets_)[*index] : nullptr;
}

BE_CONFIG* CMP3SetPage::EditedRecord() const {
    LamePreset* preset = PresetInEffect();
    return preset != nullptr ? &preset->Config : lameParm_;
}

void CMP3SetPage::EnableParameterLists(bool enable) {
    for (QComboBox* list : {mpegList_, minBitrateList_, maxBitrateList_, qualityList_,
                            vbrMethodList_, vbrQualityList_, abrList_, sampleRateList_}) {
        list->setEnabled(enable);
    }
}

void CMP3SetPage::ShowParameters(const BE_CONFIG* config) {
    const LamePreset* preset = PresetInEffect();
    if (preset != nullptr) {
        config = &preset->Config;
    } else {
        EnableParameterLists(true);
    }
    if (config == nullptr) {
        platform::MessageBox::Show(kNullPointer, kApplicationName, platform::MessageIcon::None);
        return;
    }
    const BE_CONFIG& record = *config;

    if (record.MpegVersion == 1) {
        mpegList_->setCurrentIndex(0);
    } else if (record.MpegVersion == 0) {
        mpegList_->setCurrentIndex(1);
    }
    SelectNumber(minBitrateList_, record.Bitrate);
    SelectNumber(maxBitrateList_, record.MaxBitrate);
    if (QAbstractButton* button = modeButtons_->button(record.Mode)) {
        button->setChecked(true);
    }
    for (std::size_t i = 0; i < kFlags.size(); ++i) {
        flagBoxes_[i]->setChecked(record.*kFlags[i].field != 0);
    }
    if (const int position = QualityPositionOf(record.Quality); position >= 0) {
        qualityList_->setCurrentIndex(position);
    }
    if (record.EnableVBR == 0) {
        vbrMethodList_->setCurrentIndex(kVbrOff);
        vbrQualityList_->setEnabled(false);
        maxBitrateList_->setEnabled(false);
        abrList_->setEnabled(false);
    } else if (record.EnableVBR == 1) {
        abrList_->setEnabled(false);
        // VbrMethod -1 … 4 are the list's positions 0 … 5.
        if (record.VbrMethod >= -1 && record.VbrMethod < vbrMethodList_->count() - 1) {
            vbrMethodList_->setCurrentIndex(record.VbrMethod + 1);
        }
        if (record.VbrMethod == vbrMethodList_->count() - 2) {
            abrList_->setEnabled(true);
        }
        vbrQualityList_->setEnabled(true);
        maxBitrateList_->setEnabled(true);
    }
    SelectNumber(abrList_, record.VbrAbr_bps);
    vbrQualityList_->setCurrentIndex(
        record.VBRQuality >= 0 && record.VBRQuality < vbrQualityList_->count() ? record.VBRQuality
                                                                               : -1);
    if (record.SampleRate == 0) {
        sampleRateList_->setCurrentIndex(kSampleRateAuto);
    } else {
        SelectNumber(sampleRateList_, record.SampleRate);
    }
    if (preset != nullptr) {
        EnableParameterLists(false);
    }
}

void CMP3SetPage::OnPresetChosen(int position) {
    if (preset_ != nullptr) {
        *preset_ = position;
    }
    ShowParameters(lameParm_);
}

// The eight parameter lists are disabled while a preset is in effect: they edit LameParm only.

void CMP3SetPage::OnMpegVersionChosen(int position) {
    if (lameParm_ != nullptr) {
        lameParm_->MpegVersion = position == 0 ? 1 : 0;
    }
}

void CMP3SetPage::OnMinBitrateChosen(int position) {
    if (lameParm_ != nullptr) {
        lameParm_->Bitrate = NumberOf(minBitrateList_, position);
    }
}

void CMP3SetPage::OnMaxBitrateChosen(int position) {
    if (lameParm_ != nullptr) {
        lameParm_->MaxBitrate = NumberOf(maxBitrateList_, position);
    }
}

void CMP3SetPage::OnModeClicked(int mode) {
    if (BE_CONFIG* record = EditedRecord()) {
        record->Mode = mode;
    }
}

void CMP3SetPage::OnFlagClicked(std::int32_t BE_CONFIG::*field, bool checked) {
    if (BE_CONFIG* record = EditedRecord()) {
        record->*field = checked ? 1 : 0;
    }
}

void CMP3SetPage::OnQualityChosen(int position) {
    if (lameParm_ != nullptr) {
        lameParm_->Quality = QualityCodeAt(position);
    }
}

void CMP3SetPage::OnVbrMethodChosen(int position) {
    if (lameParm_ == nullptr) {
        return;
    }
    if (position == kVbrOff) {
        maxBitrateList_->setEnabled(false);
        vbrQualityList_->setEnabled(false);
        abrList_->setEnabled(false);
        lameParm_->EnableVBR = 0;
        lameParm_->MaxBitrate = 0;
        return;
    }
    maxBitrateList_->setEnabled(true);
    vbrQualityList_->setEnabled(true);
    const bool abr = vbrMethodList_->itemText(position).contains(QLatin1String("ABR"));
    abrList_->setEnabled(abr);
    if (abr && abrList_->currentIndex() >= 0) {
        OnAbrChosen(abrList_->currentIndex());
    }
    lameParm_->EnableVBR = 1;
    lameParm_->VbrMethod = position - 1;
    lameParm_->MaxBitrate =
        static_cast<std::uint32_t>(LeadingNumber(maxBitrateList_->currentText()));
    lameParm_->VBRQuality =
        static_cast<std::int32_t>(LeadingNumber(vbrQualityList_->currentText().right(2).trimmed()));
}

void CMP3SetPage::OnVbrQualityChosen(int position) {
    if (lameParm_ != nullptr) {
        lameParm_->VBRQuality = position;
    }
}

void CMP3SetPage::OnSampleRateChosen(int position) {
    if (lameParm_ != nullptr) {
        lameParm_->SampleRate =
            position == kSampleRateAuto ? 0 : NumberOf(sampleRateList_, position);
    }
}

void CMP3SetPage::OnAbrChosen(int position) {
    if (lameParm_ != nullptr) {
        lameParm_->VbrAbr_bps = NumberOf(abrList_, position);
    }
}
