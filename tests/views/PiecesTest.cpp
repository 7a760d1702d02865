#include "l10n/L.h"
#include "views/AppIconPainter.h"
#include "views/IlvexButtonStyle.h"
#include "views/ListThemeSwatchRow.h"
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

TEST(SwatchDot, SelectedDotDrawsAWhiteRingOfMinimumWidthAndOptionalCheck) {
    EXPECT_NEAR(SwatchDot::ringWidth(10, true), 2.5, 1e-9) << "the ring never gets thinner than 2.5";
    auto pixelsAt = [](bool selected, bool check) {
        SwatchDot dot(Qt::blue, selected, 24, check);
        const QImage image = rendered(dot);
        return std::pair{QColor(image.pixel(2, 12)), QColor(image.pixel(12, 12))}; // ring, centre
    };
    const auto [plainRing, plainCentre] = pixelsAt(false, false);
    const auto [ring, centre] = pixelsAt(true, false);
    const QColor checkedCentre = pixelsAt(true, true).second;
    EXPECT_LT(plainRing.red(), 100);
    EXPECT_GT(ring.red(), 200) << "no white ring";
    EXPECT_EQ(centre, plainCentre);
    if (Symbols::fontAvailable()) {
        EXPECT_GT(checkedCentre.red(), 150) << "no check mark";
    }
}

TEST(ListThemeSwatchRow, OneRingNoChecksAndPicksInThemeOrder) {
    L::setLanguage(AppLanguage::de);
    std::optional<ListTheme> picked;
    ListThemeSwatchRow row(ListTheme::orange, 22, 10, [&](ListTheme theme) { picked = theme; });
    ASSERT_EQ(row.dots().size(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(row.dots()[i]->isSelected(), allListThemes()[i] == ListTheme::orange);
        EXPECT_FALSE(row.dots()[i]->showsCheck());
        EXPECT_EQ(row.dots()[i]->color(), colors(allListThemes()[i]).primary);
    }
    EXPECT_EQ(row.dots()[0]->toolTip(), QStringLiteral("Blau"));
    row.dots()[5]->click();
    EXPECT_EQ(picked, ListTheme::teal);
    L::setLanguage(AppLanguage::en);
}

TEST(ButtonStyles, PressedFillsAndDisabledLooks) {
    QPushButton button(QStringLiteral("Add"));
    button.resize(120, 28);
    IlvexButtonStyle::apply(&button, QColor(0, 0, 255), Qt::white);
    const QPoint fillPoint(4, 14);
    EXPECT_EQ(qAlpha(rendered(button).pixel(fillPoint)), 255);
    button.setDown(true);
    EXPECT_NEAR(qAlpha(rendered(button).pixel(fillPoint)), 0.55 * 255, 3);
    EXPECT_EQ(button.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);

    auto destructive = [](bool disabled, bool down) {
        QPushButton deleteButton(QStringLiteral("Delete"));
        deleteButton.resize(120, 28);
        IlvexDestructiveButtonStyle::apply(&deleteButton, disabled);
        deleteButton.setDown(down);
        return rendered(deleteButton);
    };
    EXPECT_NEAR(qAlpha(destructive(false, false).pixel(fillPoint)), 0.1 * 255, 3);
    EXPECT_NEAR(qAlpha(destructive(true, true).pixel(fillPoint)), 0.2 * 255, 3) << "the look blocks a press";
    // The disabled look draws a fainter border: compare the top edge's strongest alpha.
    auto edgeAlpha = [](const QImage &image) {
        int strongest = 0;
        for (int x = 10; x < 110; ++x)
            strongest = std::max(strongest, qAlpha(image.pixel(x, 0)));
        return strongest;
    };
    EXPECT_LT(edgeAlpha(destructive(true, false)), edgeAlpha(destructive(false, false)));
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

TEST(AppIconPainter, HoveringADropTargetChangesNothingAndTheGlowTakesTheTint) {
    const QColor tint(10, 200, 30);
    const AppIconEffect drop = AppIconPainter::effect({0, 1, 0.5}, tint);
    const AppIconEffect hoveredDrop = AppIconPainter::effect({1, 1, 0.5}, tint);
    EXPECT_EQ(hoveredDrop.scale, drop.scale);
    EXPECT_EQ(hoveredDrop.shadowColor, drop.shadowColor);
    EXPECT_EQ(drop.shadowColor.rgb(), tint.rgb());
    EXPECT_GT(AppIconPainter::effect({0, 1, 1}, tint).scale, AppIconPainter::effect({1, 0, 0}, tint).scale);
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
    int opaque = 0, coloured = 0;
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb p = grey.pixel(x, y);
            opaque += qAlpha(p) == 255;
            coloured +=
                qAlpha(p) == 255 && std::max(std::abs(qRed(p) - qBlue(p)), std::abs(qRed(p) - qGreen(p))) > 2;
        }
    EXPECT_GT(opaque, 100);
    EXPECT_EQ(coloured, 0) << "the grey preset left colour in the icon";

    AppItem group = groupOf({});
    group.folderTint = QStringLiteral("#EF4444");
    EXPECT_EQ(AppIconPainter::groupTint(group, Qt::green), QColor(0xEF, 0x44, 0x44));
    group.folderTint = QStringLiteral("#nope");
    EXPECT_EQ(AppIconPainter::groupTint(group, Qt::green), QColor(Qt::green));
}

TEST(Symbols, KnownNamesDrawAGlyphAndUnknownNamesDrawNothing) {
    EXPECT_TRUE(Symbols::image(QStringLiteral("no.such.symbol"), 16, Qt::white).isNull());
    ASSERT_TRUE(Symbols::fontAvailable());
    const QImage globe = Symbols::image(QStringLiteral("globe"), 32, Qt::white);
    EXPECT_TRUE(
        std::any_of(reinterpret_cast<const QRgb *>(globe.constBits()),
                    reinterpret_cast<const QRgb *>(globe.constBits()) + globe.width() * globe.height(),
                    [](QRgb p) { return qAlpha(p) > 200; }));

    // The grids are 2×2: four cells with a gap through the middle, filled or outlined as named.
    for (const auto &[name, filled] : {std::pair{"circle.grid.2x2.fill", true},
                                       {"square.grid.2x2.fill", true},
                                       {"circle.grid.2x2", false}}) {
        const QImage grid = Symbols::image(QString::fromUtf8(name), 48, Qt::white);
        ASSERT_FALSE(grid.isNull()) << name;
        EXPECT_LT(qAlpha(grid.pixel(24, 24)), 20) << name << ": no gap between the cells";
        for (const QPoint cell : {QPoint(15, 15), QPoint(33, 15), QPoint(15, 33), QPoint(33, 33)})
            EXPECT_EQ(qAlpha(grid.pixel(cell)) > 200, filled)
                << name << " at " << cell.x() << "," << cell.y();
    }
}
