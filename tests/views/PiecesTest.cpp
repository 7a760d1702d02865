#include "views/AppIconPainter.h"
#include "views/IlvexButtonStyle.h"
#include "views/Spring.h"
#include "views/SwatchDot.h"
#include "views/Symbols.h"

#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {
AppItem groupOf(const QList<AppItem> &members) {
    AppItem group;
    group.isSubList = true;
    group.subItems = members;
    return group;
}

QImage rendered(QWidget &widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}
} // namespace

TEST(SwatchDot, SelectedDotDrawsAWhiteRingOfMinimumWidth) {
    EXPECT_NEAR(SwatchDot::ringWidth(10, true), 2.5, 1e-9);
    SwatchDot plain(Qt::blue, false, 24, false), selected(Qt::blue, true, 24, false);
    EXPECT_LT(QColor(rendered(plain).pixel(2, 12)).red(), 100);
    EXPECT_GT(QColor(rendered(selected).pixel(2, 12)).red(), 200) << "no white ring";
}

TEST(ButtonStyles, DestructiveLabelsWrapInANarrowColumn) {
    QWidget column;
    auto *layout = new QVBoxLayout(&column);
    layout->setSizeConstraint(QLayout::SetNoConstraint); // offscreen windows cannot take size limits
    auto *shortLabel = new QPushButton(QStringLiteral("Delete"));
    auto *longLabel = new QPushButton(QStringLiteral("Delete list (empty it first) and all of its groups"));
    for (QPushButton *button : {shortLabel, longLabel}) {
        IlvexDestructiveButtonStyle::apply(button, false);
        layout->addWidget(button);
    }
    column.resize(150, 300);
    column.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&column));
    QTest::qWait(0);
    EXPECT_LE(longLabel->width(), 150);
    EXPECT_GE(longLabel->height(), 2 * shortLabel->height() - 8) << "the long label did not wrap";
}

TEST(Spring, OvershootsOnlyWhenUnderdampedAndLongStepsLandWhereShortOnesDo) {
    for (const auto &[damping, overshoots] :
         {std::pair{0.3, true}, {0.65, true}, {1.0, false}, {1.8, false}}) {
        Spring coarse(0.3, damping), fine(0.3, damping);
        coarse.setTarget(1);
        fine.setTarget(1);
        double peak = 0;
        for (int i = 0; i < 300; ++i) {
            fine.step(0.002);
            peak = std::max(peak, fine.value());
        }
        coarse.step(0.6); // one long step lands where many short ones do
        EXPECT_NEAR(coarse.value(), fine.value(), 1e-9) << damping;
        EXPECT_EQ(peak > 1.0001, overshoots) << damping;
        for (int i = 0; i < 100; ++i)
            fine.step(0.05);
        EXPECT_TRUE(fine.isSettled()) << damping;
    }
}

TEST(AppIconPainter, GroupGlyphShowsAtMostFourMembersInOrder) {
    QList<AppItem> members(6); // folder, link, file, folder, link, file
    for (int i = 0; i < 6; ++i) {
        members[i].isFolder = i % 3 == 0;
        members[i].isURL = i % 3 == 1;
    }
    auto glyph = [](const QList<AppItem> &items) {
        return AppIconPainter::groupGlyph(groupOf(items), 62, Qt::blue, 1);
    };
    EXPECT_EQ(glyph(members.mid(0, 4)), glyph(members));
    EXPECT_EQ(glyph(members.mid(0, 4)), glyph(members.mid(0, 5)));
    EXPECT_NE(glyph(members.mid(0, 4)), glyph(members.mid(0, 3)));
    EXPECT_NE(glyph({members[0], members[1]}), glyph({members[1], members[0]}));
    EXPECT_NE(glyph({}), glyph(members.mid(0, 1)));
}

TEST(AppIconPainter, FolderTintRecoloursOnlyMatchingPresets) {
    QTemporaryDir dir;
    AppItem folder;
    folder.isFolder = true;
    folder.appPath = dir.path();
    auto image = [&](std::optional<QString> tint) {
        folder.folderTint = std::move(tint);
        return AppIconPainter::renderItemImage(folder, std::nullopt, 62, Qt::blue, 1);
    };
    const QImage plain = image(std::nullopt);
    EXPECT_EQ(image(QStringLiteral("#3B82F6")), plain) << "blue is the icon's own colour";
    EXPECT_EQ(image(QStringLiteral("#3b82f6")), plain) << "unknown tints draw untinted";
    EXPECT_NE(image(QStringLiteral("#EF4444")), plain);
    const QImage grey = image(QStringLiteral("#6B7280"));
    const auto *p = reinterpret_cast<const QRgb *>(grey.constBits());
    EXPECT_FALSE(std::any_of(p, p + grey.width() * grey.height(), [](QRgb c) {
        return qAlpha(c) == 255 && std::max(std::abs(qRed(c) - qBlue(c)), std::abs(qRed(c) - qGreen(c))) > 2;
    })) << "the grey preset left colour in the icon";
    AppItem group = groupOf({});
    group.folderTint = QStringLiteral("#EF4444");
    EXPECT_EQ(AppIconPainter::groupTint(group, Qt::green), QColor(0xEF, 0x44, 0x44));
    group.folderTint = QStringLiteral("#nope");
    EXPECT_EQ(AppIconPainter::groupTint(group, Qt::green), QColor(Qt::green));
}

TEST(Symbols, KnownNamesDrawAGlyphAndUnknownNamesDrawNothing) {
    EXPECT_TRUE(Symbols::image(QStringLiteral("no.such.symbol"), 16, Qt::white).isNull());
    ASSERT_TRUE(Symbols::fontAvailable());
    // The grids are 2×2: four cells with a gap through the middle, filled or outlined as named.
    for (const auto &[name, filled] : {std::pair{"circle.grid.2x2.fill", true}, {"circle.grid.2x2", false}}) {
        const QImage grid = Symbols::image(QString::fromUtf8(name), 48, Qt::white);
        ASSERT_FALSE(grid.isNull()) << name;
        EXPECT_LT(qAlpha(grid.pixel(24, 24)), 20) << name << ": no gap between the cells";
        EXPECT_EQ(qAlpha(grid.pixel(15, 15)) > 200 && qAlpha(grid.pixel(33, 33)) > 200, filled) << name;
    }
}
