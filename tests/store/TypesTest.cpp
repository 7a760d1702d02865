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
        {"  #EF4444  ", 0xEF, 0x44, 0x44},
        {"0xEC4899", 0xEC, 0x48, 0x99},
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

} // namespace
