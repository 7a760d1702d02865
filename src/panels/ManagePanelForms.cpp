// The manage panel's inline forms: a link, a group or a list, each built afresh when it opens, with
// what was typed kept on the ring for the next opening.
#include "panels/ManagePanelView.h"

#include "l10n/L.h"
#include "launcher/LauncherChrome.h"
#include "store/AppState.h"
#include "views/IlvexButtonStyle.h"
#include "views/ListThemeSwatchRow.h"
#include "views/SwatchDot.h"

#include <QHBoxLayout>
#include <QLineEdit>
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
} // namespace

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
    // As typed: the store trims and names. A full list refuses the entry and the ring says so; what
    // was typed then stays for another try.
    bool refused = false;
    switch (m_form) {
    case FormKind::link:
        refused = m_state->addURL(m_urlField->text(), m_nameField->text()) == AppState::AddResult::listFull;
        break;
    case FormKind::sub:
        refused = !m_state->addSubList(m_nameField->text(), m_newGroupTint) && m_state->lastChangeRefused();
        break;
    case FormKind::list:
        m_state->addList(m_nameField->text(), m_newListTheme);
        break;
    case FormKind::none:
        break;
    }
    if (refused)
        return;
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
