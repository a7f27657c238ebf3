// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserActions.h"

#include "settings/EncodeSettings.h"
#include "ui/COutFolderPage.h"
#include "ui/CParmSetPage.h"
#include "ui/CVersionPage.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QRawFont>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

QString CaptionOf(const QWidget& widget) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        return label->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        return button->text();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) {
        return group->title();
    }
    return {};
}

bool IsJapanese(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x3000) {
            return true;
        }
    }
    return false;
}

int DarkPixels(const QImage& image, const QRect& area) {
    int dark = 0;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            dark += qGray(image.pixel(x, y)) < 110 ? 1 : 0;
        }
    }
    return dark;
}

// Renders a page as the user sees it and checks every Japanese caption: its font has a glyph
// for each character (index 0 is the empty box) and the caption's place holds drawn text.
void ExpectCaptionsDrawn(QWidget& page, const char* name) {
    page.show();
    const QImage image = page.grab().toImage();
    if (const QByteArray folder = qgetenv("WAVPRESS_UI_SHOTS"); !folder.isEmpty()) {
        image.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name) +
                   QStringLiteral(".png"));
    }
    int captions = 0;
    for (const QWidget* widget : page.findChildren<QWidget*>()) {
        const QString caption = CaptionOf(*widget);
        if (!widget->isVisible() || !IsJapanese(caption)) {
            continue;
        }
        ++captions;
        const std::string text = uitest::Utf8(caption);
        EXPECT_EQ(QFontInfo(widget->font()).family(), QStringLiteral("IPAPGothic")) << text;
        const QRawFont font = QRawFont::fromFont(widget->font(), QFontDatabase::Japanese);
        QString glyphsNeeded = caption;
        glyphsNeeded.remove(QLatin1Char('\n'));
        for (const quint32 glyph : font.glyphIndexesForString(glyphsNeeded)) {
            EXPECT_NE(glyph, 0u) << text;
        }
        const QRect area(widget->mapTo(&page, QPoint(0, 0)), widget->size());
        EXPECT_GT(DarkPixels(image, area), 20) << text;
    }
    EXPECT_GT(captions, 0) << name;
}

TEST(PageRendering, JapaneseCaptionsAreDrawnWithAFontThatHasTheirGlyphs) {
    ASSERT_TRUE(QFontDatabase::families().contains(QStringLiteral("IPAPGothic")))
        << "the Japanese gothic font (fonts-ipafont-gothic) is not installed";
    EncodeSettings settings;
    settings.ApplyFirstStartDefaults();
    const auto parmPage = [&settings] {
        return std::make_unique<CParmSetPage>(
            &settings.OutFolder.EncodeType, &settings.OutFolder.Preset, &settings.LameParm,
            &settings.Presets, &settings.Ogg, &settings.OutFolder.ReplayGain);
    };
    auto mp3 = parmPage();
    ExpectCaptionsDrawn(*mp3, "parameters-mp3");
    settings.OutFolder.EncodeType = kEncodeTypeOgg;
    auto ogg = parmPage();
    ExpectCaptionsDrawn(*ogg, "parameters-ogg");
    COutFolderPage outFolder(&settings.OutFolder.OutFolder, &settings.OutFolder.IdentityOutFile);
    ExpectCaptionsDrawn(outFolder, "output-folder");
    CVersionPage version;
    ExpectCaptionsDrawn(version, "version");
}

} // namespace
