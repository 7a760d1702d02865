// Renders every look of an entry and the small controls into one picture per language, for a person to
// compare with the design: <build>/gallery/views-gallery-<language>.png.
#include "favicons/FaviconCache.h"
#include "l10n/L.h"
#include "support/Sandbox.h"
#include "views/AppIconMenu.h"
#include "views/AppIconPainter.h"
#include "views/IlvexButtonStyle.h"
#include "views/ListThemeSwatchRow.h"
#include "views/SwatchDot.h"
#include "views/TintPopover.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {
constexpr qreal iconSize = 72;
constexpr qreal cellWidth = iconSize + 40;
constexpr qreal rowHeight = iconSize + 70;

AppItem item(const QString &name, const QString &path, bool folder = false, bool url = false) {
    AppItem entry;
    entry.id = QUuid::createUuid();
    entry.name = name;
    entry.appPath = path;
    entry.isFolder = folder;
    entry.isURL = url;
    return entry;
}

class Gallery {
  public:
    Gallery(const Sandbox &sandbox) : m_image(1400 * 2, 1500 * 2, QImage::Format_ARGB32_Premultiplied) {
        m_image.setDevicePixelRatio(2);
        QPainter painter(&m_image);
        QLinearGradient background(0, 0, 0, 1500);
        background.setColorAt(0, colors(ListTheme::blue).holeOuter);
        background.setColorAt(1, colors(ListTheme::blue).holeInner);
        painter.fillRect(QRectF(0, 0, 1400, 1500), background);

        m_app = item(QStringLiteral("Terminal"),
                     sandbox.writeFile(QStringLiteral(".local/share/applications/gallery-terminal.desktop"),
                                       "[Desktop Entry]\nType=Application\nName=Terminal\nExec=sh\n"
                                       "Icon=utilities-terminal\n"));
        m_folder = item(QStringLiteral("Documents"), sandbox.makeFolder(QStringLiteral("Documents")), true);
        m_file = item(QStringLiteral("A rather long report name.pdf"),
                      sandbox.home() + QStringLiteral("/report.pdf"));
        m_link = item(QStringLiteral("Example"), QStringLiteral("https://example.com"), false, true);
        m_favicon = QImage(64, 64, QImage::Format_ARGB32);
        QPainter icon(&m_favicon);
        icon.fillRect(0, 0, 64, 64, QColor(0xF9, 0x73, 0x16));
        icon.setBrush(Qt::white);
        icon.drawEllipse(16, 16, 32, 32);
    }

    AppItem group(int members, std::optional<QString> tint = std::nullopt) const {
        AppItem entry = item(QStringLiteral("Group %1").arg(members), QString());
        entry.isSubList = true;
        entry.subItems = QList<AppItem>();
        const QList<AppItem> pool = {m_app, m_folder, m_link, m_file};
        for (int i = 0; i < members; ++i)
            entry.subItems->append(pool[i % pool.size()]);
        entry.folderTint = std::move(tint);
        return entry;
    }

    void heading(const QString &text) {
        QPainter painter(&m_image);
        QFont font;
        font.setPixelSize(15);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QPointF(16, m_y + 18), text);
        m_y += 26;
        m_x = 16;
    }

    void entry(const AppItem &entry, const QString &caption = {}, AppIconMotion motion = {},
               std::optional<QImage> favicon = std::nullopt) {
        QPainter painter(&m_image);
        const QSizeF frame = AppIconPainter::frameSize(entry, iconSize);
        const QRectF cell(m_x, m_y, cellWidth, rowHeight + m_top);
        const QRectF frameRect(cell.center().x() - frame.width() / 2, m_y + m_top, frame.width(),
                               frame.height());
        painter.setPen(QColor(255, 255, 255, 40));
        painter.drawRect(frameRect); // the hit area
        AppIconPainter::paintEntry(painter, frameRect, entry, iconSize, colors(ListTheme::blue).primary,
                                   favicon, motion, 2);
        QFont font;
        font.setPixelSize(10);
        painter.setFont(font);
        painter.setPen(QColor(255, 255, 255, 170));
        painter.drawText(QRectF(m_x, m_y + rowHeight + m_top - 30, cellWidth, 14), Qt::AlignCenter,
                         caption.isEmpty() ? entry.name : caption);
        m_x += cellWidth;
    }

    void widget(QWidget &widget, const QString &caption) {
        widget.ensurePolished();
        widget.adjustSize();
        QPainter painter(&m_image);
        widget.render(&painter, QPoint(int(m_x), int(m_y)), QRegion(), QWidget::DrawChildren);
        QFont font;
        font.setPixelSize(10);
        painter.setFont(font);
        painter.setPen(QColor(255, 255, 255, 170));
        painter.drawText(QPointF(m_x, m_y + widget.height() + 14), caption);
        m_x += widget.width() + 24;
        m_tallest = std::max(m_tallest, qreal(widget.height()) + 24);
    }

    void newRow(qreal height = rowHeight) {
        m_y += std::max(height, m_tallest);
        m_x = 16;
        m_tallest = 0;
    }

    void kinds() {
        heading(QStringLiteral("Kinds"));
        for (const AppItem &entry : {m_app, m_folder, m_file, m_link})
            this->entry(entry);
        this->entry(m_link, QStringLiteral("link + favicon"), {}, m_favicon);
        for (int members : {0, 1, 4, 6})
            entry(group(members));
        newRow();
    }

    void tints() {
        heading(QStringLiteral("Folder tints (last: unknown \"#ef4444\")"));
        QList<std::optional<QString>> tints;
        for (const FolderTintPreset &preset : folderTintPresets())
            tints.append(preset.hex);
        tints.append(QStringLiteral("#ef4444"));
        for (const auto &tint : tints) {
            AppItem folder = m_folder;
            folder.folderTint = tint;
            folder.name = tint.value_or(QString());
            entry(folder);
        }
        newRow();
        heading(QStringLiteral("Group tints (last: none, the theme colour)"));
        tints.last() = std::nullopt;
        for (const auto &tint : tints) {
            AppItem tinted = group(4, tint);
            tinted.name = tint.value_or(QStringLiteral("theme"));
            entry(tinted);
        }
        newRow();
    }

    void states() {
        heading(QStringLiteral("States: normal, hovered, drop target low and high"));
        const QList<std::pair<QString, AppIconMotion>> motions = {{QStringLiteral("normal"), {}},
                                                                  {QStringLiteral("hovered"), {1, 0, 0}},
                                                                  {QStringLiteral("drop low"), {0, 1, 0}},
                                                                  {QStringLiteral("drop high"), {0, 1, 1}}};
        m_top = 34;
        for (const AppItem &subject : {m_folder, m_app, group(3)}) {
            for (const auto &[caption, motion] : motions)
                entry(subject, caption, motion);
        }
        newRow(rowHeight + 40);
        m_top = 14;
    }

    void controls() {
        heading(L::folderColor() + QStringLiteral(" / ") + L::groupColor() + QStringLiteral(" / ") +
                L::moveTo());
        TintPopover folderPopover(QStringLiteral("#EF4444"), false, colors(ListTheme::blue).primary, {});
        widget(folderPopover, QStringLiteral("folder, Red"));
        TintPopover groupPopover(std::nullopt, true, colors(ListTheme::purple).primary, {});
        widget(groupPopover, QStringLiteral("group, no tint"));
        TintPopover unknownPopover(QStringLiteral("#ef4444"), false, colors(ListTheme::blue).primary, {});
        widget(unknownPopover, QStringLiteral("unknown tint"));
        const QUuid list = QUuid::createUuid();
        const QList<MoveDestination> destinations = {
            {list, list, QStringLiteral("Apps"), false},
            {QUuid::createUuid(), list, QStringLiteral("Apps › Tools"), true},
            {QUuid::createUuid(), QUuid::createUuid(), QStringLiteral("Web"), false}};
        std::unique_ptr<QMenu> menu(AppIconMenu::build(m_folder, destinations, {}));
        widget(*menu, QStringLiteral("folder menu"));
        QMenu *moveMenu = menu->actions().value(1) ? menu->actions()[1]->menu() : nullptr;
        if (moveMenu)
            widget(*moveMenu, QStringLiteral("Move to"));
        std::unique_ptr<QMenu> groupMenu(AppIconMenu::build(group(2), {}, {}));
        widget(*groupMenu, QStringLiteral("group menu (remove disabled)"));
        newRow();

        heading(QStringLiteral("Swatches and buttons"));
        QWidget swatches;
        auto *layout = new QHBoxLayout(&swatches);
        layout->addWidget(new ListThemeSwatchRow(ListTheme::orange, 22, 10));
        for (qreal diameter : {16.0, 22.0, 24.0})
            layout->addWidget(new SwatchDot(QColor(0x22, 0xC5, 0x5E), true, diameter, true));
        widget(swatches, QStringLiteral("theme row (orange), selected dots 16/22/24"));

        QWidget buttons;
        buttons.setFixedWidth(760);
        auto *row = new QHBoxLayout(&buttons);
        auto add = [&](QPushButton *button, bool down) {
            button->setDown(down);
            row->addWidget(button);
        };
        auto *plain = new QPushButton(L::add());
        IlvexButtonStyle::apply(plain, colors(ListTheme::blue).primary, Qt::white);
        add(plain, false);
        auto *pressed = new QPushButton(L::add());
        IlvexButtonStyle::apply(pressed, colors(ListTheme::blue).primary, Qt::white);
        add(pressed, true);
        auto *remove = new QPushButton(L::removeFromLauncher());
        IlvexDestructiveButtonStyle::apply(remove, false);
        add(remove, false);
        auto *disabled = new QPushButton(L::removeFromLauncher());
        IlvexDestructiveButtonStyle::apply(disabled, true);
        add(disabled, false);
        auto *down = new QPushButton(L::removeFromLauncher());
        IlvexDestructiveButtonStyle::apply(down, true);
        add(down, true);
        newRow(0);
        widget(buttons, QStringLiteral("button, pressed, destructive, disabled look, disabled look pressed"));
        newRow();
    }

    const QImage &image() const { return m_image; }

  private:
    QImage m_image;
    qreal m_x = 16;
    qreal m_y = 10;
    qreal m_tallest = 0;
    qreal m_top = 14; // room above each entry for its hover and drop-target growth
    AppItem m_app, m_folder, m_file, m_link;
    QImage m_favicon;
};
} // namespace

TEST(Gallery, RendersEveryLookInEnglishAndJapanese) {
    Sandbox sandbox;
    const QString dir = QStringLiteral(ILVEX_GALLERY_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    QList<QImage> pictures;
    for (AppLanguage language : {AppLanguage::en, AppLanguage::ja}) {
        L::setLanguage(language);
        Gallery gallery(sandbox);
        gallery.kinds();
        gallery.tints();
        gallery.states();
        gallery.controls();
        const QString path = dir + QStringLiteral("/views-gallery-%1.png").arg(rawValue(language));
        ASSERT_TRUE(gallery.image().save(path)) << qPrintable(path);
        pictures.append(gallery.image());
    }
    L::setLanguage(AppLanguage::en);
    EXPECT_NE(pictures[0], pictures[1]) << "the menus and popovers did not change language";
}
