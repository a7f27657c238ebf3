// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CID3TagDlg.h"

#include "ui/ByteLimitEdit.h"
#include "ui/Caption.h"
#include "ui/DialogFont.h"
#include "ui/GenreChoice.h"
#include "ui/QtText.h"
#include "ui/ToolTips.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct TagBox {
    const char* Label;
    std::size_t Column;
    bool DigitsOnly;
};

constexpr std::array<TagBox, 5> kTagBoxes{{
    {"タイトル", kColumnTitle, false},
    {"アーティスト", kColumnArtist, false},
    {"アルバム", kColumnAlbum, false},
    {"年", kColumnYear, true},
    {"コメント", kColumnComment, false},
}};

struct FileText {
    const char* Label;
    std::size_t Column;
    const char* ObjectName;
};

constexpr std::array<FileText, 3> kFileTexts{{
    {"ファイル名", kColumnName, "fileNameText"},
    {"フォルダ名", kColumnFolder, "folderText"},
    {"形式", kColumnFormat, "formatText"},
}};

constexpr const char* kGenreLabel = "ジャンル";
constexpr const char* kOkText = "OK";
constexpr const char* kCancelText = "キャンセル";
constexpr int kFieldWidth = 300;
constexpr int kYearWidth = 60;

} // namespace

CID3TagDlg::CID3TagDlg(std::vector<FileRow> rows, QWidget* parent)
    : QDialog(parent), rows_(std::move(rows)) {
    setWindowTitle(ToQString(kTitle));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    UseDialogFont(this);

    auto* fields = new QGridLayout;
    int line = 0;
    for (const FileText& spec : kFileTexts) {
        auto* text = new QLabel(this);
        text->setObjectName(QLatin1String(spec.ObjectName));
        text->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        text->setTextFormat(Qt::PlainText);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        text->setFixedWidth(kFieldWidth);
        // A long path keeps both ends, and shows whole as its tip.
        std::string common;
        const QString whole =
            CommonText(spec.Column, common) ? ToShownName(common) : ToQString(kSeveralValues);
        const int room = kFieldWidth - 2 * text->frameWidth() - 2 * text->margin() - 4;
        const QString shown = text->fontMetrics().elidedText(whole, Qt::ElideMiddle, room);
        text->setText(shown);
        if (shown != whole) {
            SetToolTip(text, ToUtf8(whole));
        }
        auto* caption = new QLabel(ToQString(spec.Label), this);
        fields->addWidget(caption, line, 0);
        fields->addWidget(text, line, 1);
        ++line;
    }
    for (std::size_t i = 0; i < kTagBoxes.size(); ++i) {
        const TagBox& spec = kTagBoxes[i];
        auto* box = new ByteLimitEdit(TagTextWidth(spec.Column), spec.DigitsOnly, this);
        std::string common;
        if (!CommonText(spec.Column, common)) {
            box->setPlaceholderText(ToQString(kSeveralValues));
        }
        box->SetText(ToQString(common));
        box->setFixedWidth(spec.DigitsOnly ? kYearWidth : kFieldWidth);
        fields->addWidget(NewCaption(spec.Label, box, this), line, 0);
        fields->addWidget(box, line, 1, Qt::AlignLeft);
        tagBoxes_[i] = box;
        ++line;
    }
    genre_ = new QComboBox(this);
    genre_->setEditable(false);
    FillGenreNames(genre_);
    std::string genre;
    if (CommonText(kColumnGenre, genre)) {
        SelectGenreByPrefix(genre_, ToQString(genre));
    } else {
        genre_->setPlaceholderText(ToQString(kSeveralValues));
        genre_->setCurrentIndex(-1);
    }
    shownGenre_ = genre_->currentIndex();
    fields->addWidget(NewCaption(kGenreLabel, genre_, this), line, 0);
    fields->addWidget(genre_, line, 1, Qt::AlignLeft);

    auto* ok = new QPushButton(ToQString(kOkText), this);
    auto* cancel = new QPushButton(ToQString(kCancelText), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CID3TagDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CID3TagDlg::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    tagBoxes_[0]->setFocus(Qt::OtherFocusReason);
}

bool CID3TagDlg::CommonText(std::size_t column, std::string& text) const {
    const bool agree = std::all_of(rows_.begin(), rows_.end(), [&](const FileRow& row) {
        return row[column] == rows_.front()[column];
    });
    text = agree ? rows_.front()[column] : std::string();
    return agree;
}

void CID3TagDlg::accept() {
    for (FileRow& row : rows_) {
        for (std::size_t i = 0; i < kTagBoxes.size(); ++i) {
            if (tagBoxes_[i]->isModified()) {
                row[kTagBoxes[i].Column] = ToUtf8(tagBoxes_[i]->text());
            }
        }
        if (genre_->currentIndex() != shownGenre_) {
            row[kColumnGenre] = ToUtf8(SelectedGenre(genre_));
        }
    }
    QDialog::accept();
}
