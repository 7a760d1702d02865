#include "panels/ManagePanelView.h"

#include "l10n/L.h"
#include "launcher/LauncherChrome.h"
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
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Spaces and tabs, not line breaks.
bool blank(const QString &text) {
    for (QChar c : text) {
        if (c != u' ' && c != u'\t')
            return false;
    }
    return true;
}

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

void ManagePanelView::openForm(FormKind kind) {
    if (kind == FormKind::sub && !canAddSub())
        return;
    m_newListTheme = ListTheme::blue;
    m_newGroupTint.reset();
    // What was typed into this form before the panel was closed comes back; another form starts empty.
    const QVariantMap draft = parentWidget()
                                  ? parentWidget()->property(LauncherChrome::manageDraftProperty).toMap()
                                  : QVariantMap();
    m_form = kind;
    buildForm();
    if (draft.value(QStringLiteral("form")).toInt() == int(kind)) {
        m_nameField->setText(draft.value(QStringLiteral("name")).toString());
        if (m_urlField)
            m_urlField->setText(draft.value(QStringLiteral("url")).toString());
    }
    keepDraft();
}

// Kept on the ring widget, which outlives the panel, and rewritten on every change: closing the panel by
// Escape or its close button leaves it in place, while adding, cancelling or another form clears it.
void ManagePanelView::keepDraft() {
    QWidget *keeper = parentWidget();
    if (!keeper)
        return;
    const QString name = m_nameField ? m_nameField->text() : QString();
    const QString url = m_urlField ? m_urlField->text() : QString();
    QVariant draft;
    if (m_form != FormKind::none && !(name.isEmpty() && url.isEmpty()))
        draft = QVariantMap{{QStringLiteral("form"), int(m_form)},
                            {QStringLiteral("name"), name},
                            {QStringLiteral("url"), url}};
    keeper->setProperty(LauncherChrome::manageDraftProperty, draft);
}

void ManagePanelView::closeForm() {
    m_form = FormKind::none;
    buildForm();
    keepDraft();
}

bool ManagePanelView::addEnabled() const {
    switch (m_form) {
    case FormKind::link:
        return m_urlField && !blank(m_urlField->text());
    case FormKind::sub:
        return m_nameField && !blank(m_nameField->text()) && canAddSub();
    case FormKind::list:
        return m_nameField && !blank(m_nameField->text());
    case FormKind::none:
        break;
    }
    return false;
}

void ManagePanelView::submit() {
    if (!addEnabled())
        return;
    // As typed: the store trims and names.
    switch (m_form) {
    case FormKind::link:
        m_state->addURL(m_urlField->text(), m_nameField->text());
        break;
    case FormKind::sub:
        m_state->addSubList(m_nameField->text(), m_newGroupTint);
        break;
    case FormKind::list:
        m_state->addList(m_nameField->text(), m_newListTheme);
        break;
    case FormKind::none:
        break;
    }
    closeForm();
}

QLineEdit *ManagePanelView::formField(const QString &placeholder) {
    auto *field = new QLineEdit(m_formBox);
    field->setPlaceholderText(placeholder);
    field->setAccessibleName(placeholder);
    QFont font = field->font();
    font.setPixelSize(12);
    field->setFont(font);
    field->setStyleSheet(
        QStringLiteral("QLineEdit { color: white; background: rgba(255,255,255,31); border: none;"
                       " border-radius: 7px; padding: 6px 9px; selection-background-color: "
                       "rgba(255,255,255,90); }"));
    QPalette palette = field->palette();
    palette.setColor(QPalette::PlaceholderText, QColor(255, 255, 255, 110));
    field->setPalette(palette);
    connect(field, &QLineEdit::textChanged, this, [this] {
        if (m_add)
            m_add->setEnabled(addEnabled());
        keepDraft();
    });
    connect(field, &QLineEdit::returnPressed, this, &ManagePanelView::submit);
    m_formLayout->addWidget(field);
    return field;
}

void ManagePanelView::buildForm() {
    // Every opening starts afresh: the fields of another form go with it.
    while (QLayoutItem *item = m_formLayout->takeAt(0)) {
        if (QWidget *widget = item->widget())
            widget->deleteLater();
        if (QLayout *layout = item->layout()) {
            while (QLayoutItem *inner = layout->takeAt(0)) {
                if (inner->widget())
                    inner->widget()->deleteLater();
                delete inner;
            }
        }
        delete item;
    }
    m_nameField = m_urlField = nullptr;
    m_add = nullptr;
    m_tintRow = nullptr;
    m_formBox->setVisible(m_form != FormKind::none);
    if (m_form == FormKind::none) {
        relayout();
        return;
    }
    switch (m_form) {
    case FormKind::link:
        m_nameField = formField(L::nameOptional());
        m_nameField->setObjectName(QStringLiteral("linkName"));
        m_urlField = formField(QStringLiteral("https://…"));
        m_urlField->setObjectName(QStringLiteral("linkURL"));
        break;
    case FormKind::sub: {
        m_nameField = formField(L::groupName());
        m_nameField->setObjectName(QStringLiteral("groupName"));
        m_tintRow = new QWidget(m_formBox);
        auto *row = new QHBoxLayout(m_tintRow);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(6);
        // A colour picked, typing (and Enter) goes on in the name field.
        auto *plain = new SwatchDot(
            colors(m_state->currentTheme()).primary, true, 18, false,
            [this] {
                setNewGroupTint(std::nullopt);
                m_nameField->setFocus(Qt::OtherFocusReason);
            },
            m_tintRow);
        plain->setAccessibleName(L::defaultColor());
        row->addWidget(plain);
        for (const FolderTintPreset &preset : folderTintPresets()) {
            auto *dot = new SwatchDot(
                hex(preset.hex), false, 18, false,
                [this, hexText = preset.hex] {
                    setNewGroupTint(hexText);
                    m_nameField->setFocus(Qt::OtherFocusReason);
                },
                m_tintRow);
            dot->setToolTip(L::colorName(preset.name));
            dot->setAccessibleName(dot->toolTip());
            row->addWidget(dot);
        }
        row->addStretch();
        m_formLayout->addWidget(m_tintRow);
        break;
    }
    case FormKind::list: {
        m_nameField = formField(L::listName());
        m_nameField->setObjectName(QStringLiteral("listName"));
        auto *themes = new ListThemeSwatchRow(m_newListTheme, 18, 8, {}, m_formBox);
        connect(themes, &ListThemeSwatchRow::picked, this, [this, themes](ListTheme theme) {
            m_newListTheme = theme;
            themes->setCurrent(theme);
            m_nameField->setFocus(Qt::OtherFocusReason);
        });
        m_formLayout->addWidget(themes);
        break;
    }
    case FormKind::none:
        break;
    }
    auto *actions = new QHBoxLayout;
    actions->setSpacing(12);
    m_add = new QPushButton(L::add(), m_formBox);
    m_add->setObjectName(QStringLiteral("formAdd"));
    IlvexButtonStyle::apply(m_add, QColor(255, 255, 255, 33), Qt::white);
    m_add->setFixedWidth(90);
    m_add->setEnabled(false);
    connect(m_add, &QPushButton::clicked, this, &ManagePanelView::submit);
    actions->addWidget(m_add);
    auto *cancel = new QPushButton(L::cancel(), m_formBox);
    cancel->setObjectName(QStringLiteral("formCancel"));
    cancel->setFlat(true);
    cancel->setCursor(Qt::PointingHandCursor);
    cancel->setStyleSheet(
        QStringLiteral("QPushButton { color: rgba(255,255,255,153); font-size: 12px; border: none;"
                       " background: transparent; }"));
    connect(cancel, &QPushButton::clicked, this, &ManagePanelView::closeForm);
    actions->addWidget(cancel);
    actions->addStretch();
    m_formLayout->addLayout(actions);
    // Typing starts at once in the first field.
    QLineEdit *first = m_nameField;
    first->setFocus(Qt::OtherFocusReason);
    relayout();
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
