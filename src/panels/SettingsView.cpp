#include "panels/SettingsView.h"

#include "BuildConfig.h"

#include "l10n/L.h"
#include "panels/SettingsWidgets.h"
#include "ring/RingGeometry.h"
#include "settings/Preferences.h"
#include "store/AppState.h"
#include "views/KeysListView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

using Key = Preferences::Key;

namespace {
// The slider's values are the percentages it shows (80 … 140 in steps of 5), so that a screen reader
// reads the number on the screen.
constexpr int minPercent = 80, maxPercent = 140, percentStep = 5;

struct ToggleRow {
    Key key;
    QString (*label)();
};
// The left column, top to bottom; the sounds toggle sits in the right one.
const ToggleRow generalRows[] = {
    {Key::showInMenuBar, &L::showInMenuBar}, {Key::hideDockIcon, &L::hideDockIcon},
    {Key::openAtLogin, &L::openAtLogin},     {Key::hotCornerEnabled, &L::hotCorner},
    {Key::showSiteIcons, &L::showSiteIcons}, // only in builds that fetch site icons
};
} // namespace

SettingsView::SettingsView(AppState *state, Hooks hooks, QWidget *parent)
    : QWidget(parent), m_state(state), m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("settingsView"));
    setPalette(SettingsWidgets::palette());
    setAutoFillBackground(false);
    setFixedWidth(contentWidth);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 6, 0, 6);
    column->setSpacing(0);
    column->addLayout(buildGeneralSection());
    column->addWidget(SettingsWidgets::divider(this));
    column->addLayout(buildBackupSection());
    column->addWidget(SettingsWidgets::divider(this));
    m_keys = new QVBoxLayout;
    m_keys->setContentsMargins(18, 8, 18, 12);
    m_keys->setSpacing(6);
    m_keys->addWidget(SettingsWidgets::sectionLabel(&L::keysHeading, m_texts, this));
    column->addLayout(m_keys);

    m_savedReset.setSingleShot(true);
    m_savedReset.setInterval(savedFeedbackMs);
    connect(&m_savedReset, &QTimer::timeout, this, [this] {
        m_snapshotSaved = false;
        refreshBackup();
    });
    if (m_state) {
        connect(&m_state->preferences(), &Preferences::changed, this, &SettingsView::refreshPreferences);
        connect(m_state, &AppState::languageChanged, this, &SettingsView::retranslate);
        for (auto signal :
             {&AppState::listsChanged, &AppState::activeListIndexChanged, &AppState::openSubListIDChanged})
            connect(m_state, signal, this, &SettingsView::refreshBackup);
    }
    retranslate();
}

QString SettingsView::percentText(double scale) {
    return QString::number(std::lround(RingGeometry::effectiveScale(scale) * 100)) + u'%';
}

int SettingsView::sliderPosition(double scale) {
    return int(std::lround(RingGeometry::effectiveScale(scale) * 100 / percentStep)) * percentStep;
}

QCheckBox *SettingsView::toggle(const QString &name) const {
    return findChild<QCheckBox *>(name);
}

QLayout *SettingsView::buildGeneralSection() {
    auto *section = new QVBoxLayout;
    section->setContentsMargins(18, 8, 18, 8);
    section->setSpacing(10);

    auto *top = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    left->setSpacing(3);
    left->addWidget(SettingsWidgets::sectionLabel(&L::general, m_texts, this));
    Preferences *preferences = m_state ? &m_state->preferences() : nullptr;
    auto addToggle = [&](QBoxLayout *layout, Key key, QString (*label)(), bool small) {
        auto *box = new QCheckBox(this);
        box->setObjectName(Preferences::name(key));
        SettingsWidgets::styleToggle(box, small);
        connect(box, &QCheckBox::toggled, this, [preferences, key](bool on) {
            if (preferences && preferences->value(key).toBool() != on) {
                switch (key) {
                case Key::showInMenuBar:
                    preferences->setShowInMenuBar(on);
                    break;
                case Key::hideDockIcon:
                    preferences->setHideDockIcon(on);
                    break;
                case Key::openAtLogin:
                    preferences->setOpenAtLogin(on);
                    break;
                case Key::hotCornerEnabled:
                    preferences->setHotCornerEnabled(on);
                    break;
                case Key::showSiteIcons:
                    preferences->setShowSiteIcons(on);
                    break;
                default:
                    preferences->setLauncherSoundsEnabled(on);
                    break;
                }
            }
        });
        m_texts.append([box, label] {
            box->setText(label());
            box->setAccessibleName(label());
        });
        layout->addWidget(box, 0, small ? Qt::AlignRight : Qt::AlignLeft);
    };
    for (const ToggleRow &row : generalRows) {
        if (row.key != Key::showSiteIcons || BuildConfig::faviconsEnabled)
            addToggle(left, row.key, row.label, false);
    }
    top->addLayout(left);
    top->addStretch();

    auto *right = new QVBoxLayout;
    right->setSpacing(14);
    right->setContentsMargins(0, 2, 0, 0);
    auto *shortcut = new QHBoxLayout;
    shortcut->setSpacing(6);
    shortcut->addStretch();
    auto *shortcutLabel = SettingsWidgets::label(11, QFont::Normal, 0.45, this);
    m_texts.append([shortcutLabel] { shortcutLabel->setText(L::shortcut()); });
    shortcut->addWidget(shortcutLabel);
    // The hotkey is fixed; the badge only tells it.
    shortcut->addWidget(new SettingsWidgets::KeyBadge(QStringLiteral("Alt Z"), this));
    right->addLayout(shortcut);
    addToggle(right, Key::launcherSoundsEnabled, &L::launcherSounds, true);
    right->addStretch();
    top->addLayout(right);
    section->addLayout(top);

    // Launcher size.
    auto *sizeRow = new QHBoxLayout;
    sizeRow->setSpacing(10);
    sizeRow->addWidget(SettingsWidgets::symbol(QStringLiteral("circle.dashed"), this));
    auto *sizeLabel = SettingsWidgets::label(13, QFont::Normal, 0.85, this);
    m_texts.append([sizeLabel] { sizeLabel->setText(L::launcherSize()); });
    sizeRow->addWidget(sizeLabel);
    m_size = new QSlider(Qt::Horizontal, this);
    m_size->setObjectName(QStringLiteral("launcherScale"));
    m_size->setRange(minPercent, maxPercent);
    m_size->setSingleStep(percentStep);
    m_size->setPageStep(2 * percentStep);
    m_size->setFocusPolicy(Qt::StrongFocus);
    m_texts.append([this] { m_size->setAccessibleName(L::launcherSize()); });
    connect(m_size, &QSlider::valueChanged, this, [this, preferences](int position) {
        const double scale = position / 100.0;
        m_percent->setText(percentText(scale));
        if (preferences && sliderPosition(preferences->launcherScale()) != position)
            preferences->setLauncherScale(scale);
    });
    sizeLabel->setBuddy(m_size); // read as the slider's label
    sizeRow->addWidget(m_size, 1);
    m_percent = SettingsWidgets::label(12, QFont::Medium, 0.75, this);
    m_percent->setObjectName(QStringLiteral("launcherScalePercent"));
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_percent->setFixedWidth(46);
    sizeRow->addWidget(m_percent);
    section->addLayout(sizeRow);

    // Language.
    auto *languageRow = new QHBoxLayout;
    languageRow->setSpacing(10);
    languageRow->addWidget(SettingsWidgets::symbol(QStringLiteral("globe"), this));
    auto *languageLabel = SettingsWidgets::label(13, QFont::Normal, 0.85, this);
    m_texts.append([languageLabel] { languageLabel->setText(L::languageLabel()); });
    languageRow->addWidget(languageLabel);
    languageRow->addStretch();
    m_language = new QComboBox(this);
    languageLabel->setBuddy(m_language); // a combo box's name is its current text: the label comes with it
    m_language->setObjectName(QStringLiteral("language"));
    m_language->setPalette(SettingsWidgets::popupPalette());
    m_language->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const AppLanguage language : allAppLanguages())
        m_language->addItem(QString(), int(language));
    m_texts.append([this] {
        for (int i = 0; i < m_language->count(); ++i)
            m_language->setItemText(i, menuTitle(AppLanguage(m_language->itemData(i).toInt())));
        m_language->setAccessibleName(L::languageLabel());
        // Each title starts with a flag, drawn by the colour emoji font wider than the box measures it:
        // room for it on top, so "Automatic (System)" is not cut.
        m_language->setMinimumWidth(0);
        m_language->setMinimumWidth(m_language->sizeHint().width() + m_language->fontMetrics().height());
        if (m_state)
            m_language->setCurrentIndex(m_language->findData(int(m_state->language())));
    });
    connect(m_language, &QComboBox::activated, this, [this](int index) {
        if (m_state && index >= 0)
            m_state->setLanguage(AppLanguage(m_language->itemData(index).toInt()));
    });
    languageRow->addWidget(m_language);
    section->addLayout(languageRow);
    return section;
}

void SettingsView::retranslate() {
    for (const auto &text : m_texts)
        text();
    if (QLayoutItem *old = m_keys->count() > 1 ? m_keys->takeAt(1) : nullptr) {
        delete old->widget();
        delete old;
    }
    auto *keys = new KeysListView(this);
    keys->setObjectName(QStringLiteral("keysList"));
    m_keys->addWidget(keys);
    refreshPreferences();
    refreshBackup();
    adjustSize();
}

void SettingsView::refreshPreferences() {
    if (!m_state)
        return;
    const Preferences &preferences = m_state->preferences();
    for (const Key key : {Key::showInMenuBar, Key::hideDockIcon, Key::openAtLogin, Key::hotCornerEnabled,
                          Key::showSiteIcons, Key::launcherSoundsEnabled}) {
        if (QCheckBox *box = toggle(Preferences::name(key))) {
            const QSignalBlocker quiet(box);
            box->setChecked(preferences.value(key).toBool());
        }
    }
    // One of the tray icon and the taskbar presence always stays: the tray icon cannot go while the
    // taskbar presence is hidden, nor the other way round. A file with both off (written by hand) locks
    // neither: the tray icon can come back. Login items are always allowed here.
    const bool tray = preferences.showInMenuBar();
    toggle(Preferences::name(Key::showInMenuBar))->setEnabled(!preferences.hideDockIcon() || !tray);
    toggle(Preferences::name(Key::hideDockIcon))->setEnabled(tray);
    const QSignalBlocker quiet(m_size);
    m_size->setValue(sliderPosition(preferences.launcherScale()));
    m_percent->setText(percentText(preferences.launcherScale()));
}

void SettingsView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    QLinearGradient gradient(rect().topLeft(), rect().bottomRight());
    gradient.setColorAt(0, QColor::fromRgbF(0.16f, 0.26f, 0.54f));
    gradient.setColorAt(1, QColor::fromRgbF(0.10f, 0.18f, 0.40f));
    painter.fillRect(rect(), gradient);
}
