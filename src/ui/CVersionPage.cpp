// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CVersionPage.h"

#include "encoders/CLameDll.h"
#include "platform/Format.h"
#include "ui/DialogFont.h"
#include "ui/QtText.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include <cstdio>
#include <string>

namespace {

constexpr const char* kTitle = "バージョン情報";
constexpr const char* kLameLibrary = "lame_enc.dll";
constexpr const char* kProgramLine = "wavPress ver%d.%d\n";
constexpr const char* kOggLine = "OggVorbis Encoder ver1.0";

struct ProgramVersion {
    int major = 0;
    int minor = 0;
};

// The program carries its version in the build rather than in the executable file.
ProgramVersion GetProgramVersion() {
    ProgramVersion version;
    if (std::sscanf(WAVPRESS_VERSION, "%d.%d", &version.major, &version.minor) != 2) {
        return {};
    }
    return version;
}

std::string LameLine() {
    CLameDll lame;
    std::string line;
    if (lame.LoadLame(kLameLibrary)) {
        lame.GetVersionText(line);
    }
    return line;
}

} // namespace

CVersionPage::CVersionPage(QWidget* parent) : QWidget(parent) {
    setWindowTitle(ToQString(kTitle));
    UseDialogFont(this);

    const ProgramVersion version = GetProgramVersion();
    const std::string text =
        platform::Format(kProgramLine, version.major, version.minor) + LameLine() + "\n" + kOggLine;

    auto* frame = new QGroupBox(ToQString("バージョン"), this);
    auto* versionText = new QLabel(ToQString(text), frame);
    versionText->setObjectName(QStringLiteral("versionText"));
    versionText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    versionText->setTextFormat(Qt::PlainText);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(versionText);
    auto* page = new QVBoxLayout(this);
    page->addWidget(frame);
    page->addStretch(1);
    setFixedSize(sizeHint());
}
