#include "panels/ManagePanelView.h"

#include "l10n/L.h"
#include "launcher/LauncherHost.h"
#include "panels/PanelButton.h"
#include "store/AppState.h"
#include "views/IlvexButtonStyle.h"
#include "views/LayoutTrace.h"
#include "views/ListThemeSwatchRow.h"
#include "views/SwatchDot.h"
#include "views/Symbols.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The trash button: the destructive look with the symbol on it.
class TrashButton : public QPushButton {
  public:
    explicit TrashButton(QWidget *parent) : QPushButton(parent) {
        setFixedSize(34, 28);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
    }
    void setDimmed(bool dimmed) {
        IlvexDestructiveButtonStyle::apply(this, dimmed);
        m_dimmed = dimmed;
        setFixedSize(34, 28);
        update();
    }

  protected:
    void paintEvent(QPaintEvent *event) override {
        QPushButton::paintEvent(event);
        QPainter painter(this);
        QColor red = IlvexDestructiveButtonStyle::systemRed();
        red.setAlphaF(m_dimmed ? 0.35 : 0.85);
        Symbols::paint(painter, QRectF(rect()), QStringLiteral("trash"), Symbols::pixelSizeForFontSize(13),
                       red);
    }

  private:
    bool m_dimmed = false;
};
} // namespace

ManagePanelView::ManagePanelView(AppState *state, LauncherHost *host, double width, QWidget *parent)
    : QWidget(parent), m_state(state), m_host(host) {
    setObjectName(QStringLiteral("managePanel"));
    setAttribute(Qt::WA_TranslucentBackground);
    // Exactly the width given, whatever the names and the language: what does not fit is elided.
    // The height follows the content (relayout).
    setFixedWidth(int(width));
    auto *column = new QVBoxLayout(this);
    column->setSpacing(8);
    column->setContentsMargins(14, 10, 14, 14);

    // Header: the close button on the right.
    auto *header = new QHBoxLayout;
    header->addStretch();
    PanelButton::Look closeLook;
    closeLook.symbol = QStringLiteral("xmark");
    closeLook.symbolSize = 11;
    closeLook.weight = QFont::Bold;
    closeLook.fill = QColor(255, 255, 255, 31);
    closeLook.stroke = Qt::transparent;
    closeLook.radius = 13;
    closeLook.padding = {};
    closeLook.foreground = QColor(255, 255, 255, 179);
    auto *close = new PanelButton(QString(), closeLook, this);
    close->setObjectName(QStringLiteral("closeManage"));
    close->setAccessibleName(L::close());
    close->setFixedSize(26, 26);
    connect(close, &QAbstractButton::clicked, this, &QWidget::close);
    header->addWidget(close);
    column->addLayout(header);

    // Add section.
    m_context = new QLabel(this);
    QFont contextFont = m_context->font();
    contextFont.setPixelSize(11);
    contextFont.setWeight(QFont::Medium);
    m_context->setFont(contextFont);
    m_context->setStyleSheet(QStringLiteral("color: rgba(255,255,255,140);"));
    m_context->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    column->addWidget(m_context);
    auto *tiles = new QHBoxLayout;
    tiles->setSpacing(5);
    const struct {
        const char *symbol;
        QString label;
        std::function<void()> action;
    } tileTable[] = {
        {"plus.square", QStringLiteral("App"),
         [this] {
             if (m_host)
                 m_host->pick(LauncherAddKind::app);
         }},
        {"folder.badge.plus", L::kindFolder(),
         [this] {
             if (m_host)
                 m_host->pick(LauncherAddKind::folder);
         }},
        {"doc.badge.plus", L::kindFile(),
         [this] {
             if (m_host)
                 m_host->pick(LauncherAddKind::file);
         }},
        {"link.badge.plus", L::kindLink(), [this] { openForm(FormKind::link); }},
        {"circle.grid.2x2", L::kindSub(), [this] { openForm(FormKind::sub); }},
    };
    const char *names[] = {"tileApp", "tileFolder", "tileFile", "tileLink", "tileSub"};
    int n = 0;
    for (const auto &row : tileTable) {
        PanelButton::Look look;
        look.symbol = QString::fromLatin1(row.symbol);
        look.weight = QFont::Medium;
        auto *tile = new PanelButton(row.label, look, this);
        tile->setObjectName(QString::fromLatin1(names[n++]));
        tile->setToolTip(row.label);
        tile->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(tile, &QAbstractButton::clicked, this, row.action);
        tiles->addWidget(tile, 1);
        m_tiles.append(tile);
    }
    column->addLayout(tiles);

    auto *divider = new QFrame(this);
    divider->setFixedHeight(1);
    divider->setStyleSheet(QStringLiteral("background: rgba(255,255,255,38);"));
    column->addWidget(divider);

    // The list row: colour, "New list", delete.
    auto *listRow = new QHBoxLayout;
    listRow->setSpacing(8);
    PanelButton::Look colourLook;
    colourLook.dot = colors(m_state->currentTheme()).primary;
    colourLook.stroke = Qt::transparent;
    colourLook.radius = 7;
    colourLook.padding = {8, 8, 8, 8};
    m_colourButton = new PanelButton(QString(), colourLook, this);
    m_colourButton->setObjectName(QStringLiteral("listColour"));
    connect(m_colourButton, &QAbstractButton::clicked, this,
            [this] { setShowColorPicker(!m_showColorPicker); });
    listRow->addWidget(m_colourButton);
    PanelButton::Look newLook;
    newLook.symbol = QStringLiteral("plus");
    newLook.symbolSize = 12;
    newLook.textSize = 12;
    newLook.stacked = false;
    newLook.radius = 7;
    newLook.padding = {10, 6, 10, 6};
    m_newList = new PanelButton(L::newList(), newLook, this);
    m_newList->setObjectName(QStringLiteral("newList"));
    connect(m_newList, &QAbstractButton::clicked, this, [this] { openForm(FormKind::list); });
    listRow->addWidget(m_newList);
    listRow->addStretch();
    auto *trash = new TrashButton(this);
    trash->setObjectName(QStringLiteral("deleteList"));
    connect(trash, &QAbstractButton::clicked, this, [this] {
        // The list's own entries decide, not the open group's members: an empty group open in a full list
        // must not let the list go.
        if (m_state->lists().size() >= 2 && m_state->activeListItems().isEmpty())
            m_state->removeList(m_state->safeIndex());
    });
    m_deleteList = trash;
    listRow->addWidget(trash);
    column->addLayout(listRow);

    m_themeRow = new ListThemeSwatchRow(
        m_state->currentTheme(), 22, 10,
        [this](ListTheme theme) {
            m_state->setTheme(theme, m_state->safeIndex());
            setShowColorPicker(false);
        },
        this);
    m_themeRow->setContentsMargins(0, 2, 0, 0);
    m_themeRow->hide();
    column->addWidget(m_themeRow);

    m_formBox = new QWidget(this);
    m_formBox->setObjectName(QStringLiteral("formBox"));
    m_formBox->setAttribute(Qt::WA_StyledBackground);
    m_formBox->setStyleSheet(QStringLiteral("#formBox { background: rgba(0,0,0,56); border-radius: 10px; }"));
    m_formLayout = new QVBoxLayout(m_formBox);
    m_formLayout->setContentsMargins(10, 10, 10, 10);
    m_formLayout->setSpacing(8);
    m_formBox->hide();
    column->addWidget(m_formBox);

    for (auto signal :
         {&AppState::listsChanged, &AppState::activeListIndexChanged, &AppState::openSubListIDChanged})
        connect(m_state, signal, this, &ManagePanelView::refresh);
    refresh();
}

QString ManagePanelView::contextLabel() const {
    if (const auto group = m_state->openSubList())
        return L::addToGroup(group->name);
    if (m_state->lists().isEmpty())
        return L::add();
    return L::addTo(m_state->lists()[m_state->safeIndex()].name);
}

bool ManagePanelView::canAddSub() const {
    return !m_state->openSubListID();
}

void ManagePanelView::refresh() {
    // A long list or group name is shortened in the middle; the whole label is the tooltip.
    const QString context = contextLabel();
    const int room = width() - layout()->contentsMargins().left() - layout()->contentsMargins().right();
    m_context->setText(QFontMetrics(m_context->font()).elidedText(context, Qt::ElideMiddle, room));
    m_context->setToolTip(context);
    m_context->setAccessibleName(context);
    QAbstractButton *sub = m_tiles[4];
    sub->setEnabled(canAddSub());
    sub->setToolTip(canAddSub() ? L::kindSub() : L::subListsCantBeNested());
    const ListTheme theme = m_state->currentTheme();
    static_cast<PanelButton *>(m_colourButton)->setDot(colors(theme).primary);
    m_colourButton->setToolTip(L::listColor(L::colorName(ListThemeSwatchRow::englishName(theme))));
    m_colourButton->setAccessibleName(m_colourButton->toolTip());
    m_colourButton->setAccessibleDescription(m_showColorPicker ? L::closesColorPicker()
                                                               : L::opensColorPicker());
    const bool full = m_state->lists().size() >= AppState::maxLists;
    m_newList->setEnabled(!full);
    m_newList->setToolTip(full ? L::maxLists(AppState::maxLists) : L::newList());
    const bool empty = m_state->activeListItems().isEmpty();
    m_deleteList->setVisible(m_state->lists().size() >= 2);
    m_deleteList->setEnabled(empty);
    static_cast<TrashButton *>(m_deleteList)->setDimmed(!empty);
    m_deleteList->setToolTip(empty ? L::deleteCurrentList() : L::emptyListBeforeDeleting());
    m_deleteList->setAccessibleName(L::deleteCurrentList());
    m_deleteList->setAccessibleDescription(m_deleteList->toolTip());
    m_themeRow->setCurrent(theme);
    // A group opened meanwhile: its form cannot add.
    if (m_form == FormKind::sub && !canAddSub())
        closeForm();
    if (m_add)
        m_add->setEnabled(addEnabled());
    relayout();
}

void ManagePanelView::setShowColorPicker(bool show) {
    m_showColorPicker = show;
    m_themeRow->setVisible(show);
    m_colourButton->setAccessibleDescription(show ? L::closesColorPicker() : L::opensColorPicker());
    relayout();
}

void ManagePanelView::setNewGroupTint(const std::optional<QString> &tint) {
    m_newGroupTint = tint;
    if (!m_tintRow)
        return;
    const QList<SwatchDot *> dots = m_tintRow->findChildren<SwatchDot *>();
    for (int i = 0; i < dots.size(); ++i)
        dots[i]->setSelected(i == 0 ? !tint : (tint && folderTintPresets().value(i - 1).hex == *tint));
}

void ManagePanelView::relayout() {
    if (!layout())
        return;
    layout()->activate();
    fitHeight();
    trace();
}

// The height is the content's at the fixed width; fields a form has just added count once they show,
// which the layout reports by asking to be laid out again.
void ManagePanelView::fitHeight() {
    setFixedHeight(layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width())
                                                 : layout()->totalSizeHint().height());
}

bool ManagePanelView::event(QEvent *event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::LayoutRequest && layout())
        fitHeight();
    return handled;
}

void ManagePanelView::trace() {
    if (!LayoutTrace::enabled() || !isVisible())
        return;
    LayoutTrace::report(this);
    for (QWidget *child : findChildren<QWidget *>()) {
        if (!child->objectName().isEmpty() && child->isVisible())
            LayoutTrace::report(child);
    }
}

void ManagePanelView::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    trace();
}

void ManagePanelView::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    trace();
}

void ManagePanelView::moveEvent(QMoveEvent *event) {
    QWidget::moveEvent(event);
    trace();
}

void ManagePanelView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(box.topLeft(), box.bottomRight());
    fill.setColorAt(0, QColor::fromRgbF(0.16f, 0.26f, 0.54f, 0.92f));
    fill.setColorAt(1, QColor::fromRgbF(0.10f, 0.18f, 0.40f, 0.94f));
    painter.setPen(QPen(QColor(255, 255, 255, 46), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, 20, 20);
}
