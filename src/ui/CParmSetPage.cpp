// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CParmSetPage.h"

#include "settings/OutFolderParm.h"
#include "ui/CMP3SetPage.h"
#include "ui/COggSetPage.h"
#include "ui/Caption.h"
#include "ui/DialogFont.h"
#include "ui/QtText.h"
#include "ui/ToolTips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr const char* kTitle = "パラメータ設定";
constexpr const char* kEncoders[] = {"LAME Encoder", "OggVorbis Encoder"};
constexpr const char* kEncoderTip =
    "変換したいエンコード処理を指定してください\nMP3でしたらLAME Encoderを…\nOggVorbisでしたら"
    "OggVorbis Encoderを\n指定してください";
constexpr const char* kReplayGainCaption = "リプレイゲインを書き込む";
constexpr const char* kReplayGainTip =
    "変換しながら曲の音量を測り、再生時に音量をそろえるための値\n(リプレイゲイン)を"
    "曲ごととアルバムごとにタグに書き込みます\n"
    "アルバムは同じアルバム名の曲、アルバム名が空のときは同じフォルダの曲です\n"
    "対応したプレーヤーで、曲ごとの音量の差がなくなります";

// Hidden, a page still claims its room: the framed area fits the larger page whichever shows.
void KeepRoomWhenHidden(QWidget* page) {
    QSizePolicy policy = page->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    page->setSizePolicy(policy);
}

} // namespace

CParmSetPage::CParmSetPage(std::int32_t* encodeType, std::int32_t* preset, BE_CONFIG* lameParm,
                           PresetList* presets, OggParm* oggParm, std::int32_t* replayGain,
                           QWidget* parent)
    : QWidget(parent), encodeType_(encodeType), replayGain_(replayGain) {
    setWindowTitle(ToQString(kTitle));
    UseDialogFont(this);

    encoderList_ = new QComboBox(this);
    encoderList_->setObjectName(QStringLiteral("encoderList"));
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    auto* area = new QGridLayout(frame);

    mp3Page_ = new CMP3SetPage(preset, lameParm, presets, frame);
    KeepRoomWhenHidden(mp3Page_);
    area->addWidget(mp3Page_, 0, 0);
    mp3Page_->hide();
    oggPage_ = new COggSetPage(oggParm, frame);
    KeepRoomWhenHidden(oggPage_);
    area->addWidget(oggPage_, 0, 0);
    oggPage_->hide();

    for (const char* encoder : kEncoders) {
        encoderList_->addItem(ToQString(encoder));
    }
    if (*encodeType_ == kEncodeTypeMp3 || *encodeType_ == kEncodeTypeOgg) {
        encoderList_->setCurrentIndex(*encodeType_);
        ShowEncoderPage(*encodeType_);
    } else {
        encoderList_->setCurrentIndex(-1);
    }
    SetToolTip(encoderList_, kEncoderTip);
    replayGainBox_ = new QCheckBox(ToQString(kReplayGainCaption), this);
    replayGainBox_->setObjectName(QStringLiteral("replayGainBox"));
    replayGainBox_->setChecked(ReplayGainInRange(*replayGain_) == 1);
    SetToolTip(replayGainBox_, kReplayGainTip);

    auto* encoderRow = new QHBoxLayout;
    encoderRow->addWidget(NewCaption("エンコードタイプ", encoderList_, this));
    encoderRow->addWidget(encoderList_);
    encoderRow->addStretch(1);
    auto* page = new QVBoxLayout(this);
    page->addLayout(encoderRow);
    page->addWidget(frame);
    page->addWidget(replayGainBox_);

    connect(encoderList_, &QComboBox::activated, this, [this](int position) {
        *encodeType_ = position;
        ShowEncoderPage(position);
    });
    connect(replayGainBox_, &QCheckBox::toggled, this,
            [this](bool checked) { *replayGain_ = checked ? 1 : 0; });
    setFixedSize(sizeHint());
}

void CParmSetPage::ShowEncoderPage(int encodeType) {
    mp3Page_->setVisible(encodeType == kEncodeTypeMp3);
    oggPage_->setVisible(encodeType == kEncodeTypeOgg);
}
