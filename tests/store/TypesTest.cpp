#include "store/Types.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct HexCase {
    const char *text;
    int r, g, b;
};

TEST(Hex, ParsesLikeTheLauncherStoresTints) {
    const HexCase cases[] = {
        {"#3B82F6", 0x3B, 0x82, 0xF6},
        {"3B82F6", 0x3B, 0x82, 0xF6},
        {"#3b82f6", 0x3B, 0x82, 0xF6},
        {"  #EF4444  ", 0xEF, 0x44, 0x44},
        {"0xEC4899", 0xEC, 0x48, 0x99},
        {"", 0, 0, 0},
        {"#", 0, 0, 0},
        {"zzz", 0, 0, 0},
        {"#FFF", 0, 15, 255},
        {"#12G456", 0, 0, 0x12},
        {"#AABBCCDD", 0xBB, 0xCC, 0xDD},
    };
    for (const HexCase &c : cases) {
        const QColor colour = hex(QString::fromUtf8(c.text));
        EXPECT_EQ(colour.red(), c.r) << c.text;
        EXPECT_EQ(colour.green(), c.g) << c.text;
        EXPECT_EQ(colour.blue(), c.b) << c.text;
        EXPECT_EQ(colour.alpha(), 255) << c.text;
    }
}

TEST(ListTheme, RawValuesRoundTripAndUnknownIsNoTheme) {
    ASSERT_EQ(allListThemes().size(), 6);
    const char *raws[] = {"blue", "purple", "green", "orange", "red", "teal"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(rawValue(allListThemes()[i]), QLatin1String(raws[i]));
        EXPECT_EQ(listThemeFromRawValue(QLatin1String(raws[i])), allListThemes()[i]);
    }
    EXPECT_FALSE(listThemeFromRawValue(QStringLiteral("Blue")));
    EXPECT_FALSE(listThemeFromRawValue(QString()));
    EXPECT_NEAR(colors(ListTheme::teal).holeOuter.blueF(), 0.45, 1e-3);
    EXPECT_NEAR(colors(ListTheme::orange).deep.greenF(), 0.35, 1e-3);
}

TEST(FolderTintPresets, LookUpIsExactAndGreyIsDesaturated) {
    ASSERT_EQ(folderTintPresets().size(), 9);
    EXPECT_EQ(folderTintPresets().first().hex, QStringLiteral("#3B82F6"));
    EXPECT_EQ(folderTintPreset(QStringLiteral("#EF4444"))->name, QStringLiteral("Red"));
    EXPECT_EQ(folderTintPreset(QStringLiteral("#ef4444")), nullptr);
    EXPECT_EQ(folderTintPreset(std::nullopt), nullptr);
    const FolderTintPreset *grey = folderTintPreset(QStringLiteral("#6B7280"));
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(grey->saturation, 0.0);
    EXPECT_EQ(folderTintPreset(QStringLiteral("#EAB308"))->hueRotation, -158.0);
}

TEST(AppItem, EqualityCoversEveryFieldIncludingMembersAndBookmarks) {
    AppItem a;
    a.id = QUuid::createUuid();
    a.name = QStringLiteral("Terminal");
    AppItem b = a;
    EXPECT_EQ(a, b);
    b.bookmarkData = QByteArray("x");
    EXPECT_NE(a, b);
    b = a;
    b.subItems = QList<AppItem>{};
    EXPECT_NE(a, b) << "an empty member list is not an absent one";
    a.subItems = QList<AppItem>{};
    EXPECT_EQ(a, b);
    b.subItems->append(a);
    EXPECT_NE(a, b);
}

} // namespace
