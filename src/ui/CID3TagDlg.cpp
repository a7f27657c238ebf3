#include "ui/CID3TagDlg.h"

#include "ui/ByteLimitEdit.h"
#include "ui/DialogFont.h"
#include "ui/GenreChoice.h"
#include "ui/QtText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct TagBox {
    const char* Label;
    std::size_t Column;
    std::size_t ByteLimit;
    bool DigitsOnly;
};

constexpr std::array<TagBox, 5> kTagBoxes{{
    {"タイトル", kColumnTitle, 30, false},
    {"アーティスト", kColumnArtist, 30, false},
    {"アルバム", kColumnAlbum, 30, false},
    {"年", kColumnYear, 4, true},
    {"コメント", kColumnComment, 30, false},
}};

constexpr std::array<std::pair<const char*, std::size_t>, 3> kFileTexts{{
    {"ファイル名", kColumnName},
    {"フォルダ名", kColumnFolder},
    {"形式", kColumnFormat},
}};

constexpr const char* kGenreLabel = "ジャンル";
constexpr const char* kOkText = "OK";
constexpr const char* kCancelText = "キャンセル";
constexpr int kFieldWidth = 300;
constexpr int kYearWidth = 60;

} // namespace

CID3TagDlg::CID3TagDlg(const FileRow& row, QWidget* parent) : QDialog(parent), row_(row) {
    setWindowTitle(ToQString(kTitle));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    UseDialogFont(this);

    auto* fields = new QGridLayout;
    int line = 0;
    for (const auto& [label, column] : kFileTexts) {
        // Read-only but selectable, and scrolled rather than cut when the path is long.
        auto* text = new QLineEdit(ToQString(row_[column]), this);
        text->setReadOnly(true);
        text->setFocusPolicy(Qt::ClickFocus);
        text->setFixedWidth(kFieldWidth);
        text->setCursorPosition(0);
        fields->addWidget(new QLabel(ToQString(label), this), line, 0);
        fields->addWidget(text, line, 1);
        ++line;
    }
    for (std::size_t i = 0; i < kTagBoxes.size(); ++i) {
        const TagBox& spec = kTagBoxes[i];
        auto* box = new ByteLimitEdit(spec.ByteLimit, spec.DigitsOnly, this);
        box->SetText(ToQString(row_[spec.Column]));
        box->setFixedWidth(spec.DigitsOnly ? kYearWidth : kFieldWidth);
        fields->addWidget(new QLabel(ToQString(spec.Label), this), line, 0);
        fields->addWidget(box, line, 1, Qt::AlignLeft);
        tagBoxes_[i] = box;
        ++line;
    }
    genre_ = new QComboBox(this);
    genre_->setEditable(false);
    FillGenreNames(genre_);
    SelectGenreByPrefix(genre_, ToQString(row_[kColumnGenre]));
    genre_->setFixedWidth(kFieldWidth / 2);
    fields->addWidget(new QLabel(ToQString(kGenreLabel), this), line, 0);
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

void CID3TagDlg::accept() {
    for (std::size_t i = 0; i < kTagBoxes.size(); ++i) {
        row_[kTagBoxes[i].Column] = ToUtf8(tagBoxes_[i]->text());
    }
    row_[kColumnGenre] = ToUtf8(SelectedGenre(genre_));
    QDialog::accept();
}
