// The settings window over the shell: toggles and what they do, the size slider, the language, the
// backup tools.
#include "favicons/FaviconCache.h"
#include "l10n/L.h"
#include "panels/SettingsView.h"
#include "platform/LoginItem.h"
#include "shell/AboutView.h"
#include "shell/AppDelegate.h"
#include "shell/HotCorner.h"
#include "shell/SettingsWindow.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "support/Entries.h"
#include "support/FakeHotkey.h"
#include "support/FakeWorkspace.h"
#include "support/QuietWindows.h"
#include "support/Sandbox.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Lists "L0", "L1", … of `items` entries each.
QList<AppList> makeLists(int count, int items) {
    QList<AppItem> members;
    for (int k = 0; k < items; ++k)
        members.append(entries::app("a" + QString::number(k)));
    QList<AppList> lists;
    for (int i = 0; i < count; ++i)
        lists.append(entries::list("L" + QString::number(i), members));
    return lists;
}

// A login entry whose writes can be made to fail.
struct FakeLoginItem : LoginItem {
    bool isEnabled() const override { return enabled; }
    bool setEnabled(bool on) override {
        if (!failWrites || !on)
            enabled = on;
        return enabled == on;
    }
    bool enabled = false, failWrites = false;
};

struct SettingsTest : ::testing::Test {
    void start(int lists = 2, int items = 3) {
        sandbox.writeFile(".local/share/Ilvex/lists.json", ListsCodec::encodeLists(makeLists(lists, items)));
        state = std::make_unique<AppState>(
            StoreServices{&workspace, nullptr, &preferences, sandbox.supportDirectory(), false});
        shell = std::make_unique<AppDelegate>(state.get());
        shell->setServices({&hotkey, &login, &workspace});
        shell->applicationDidFinishLaunching();
        shell->openSettings();
        window = shell->settingsWindow();
        ASSERT_NE(window, nullptr);
        view = window->view();
    }
    void TearDown() override {
        delete window;
        shell->setServices({}); // every test starts the shell
        L::setLanguage(AppLanguage::system);
    }
    QCheckBox *toggle(Preferences::Key key) { return view->toggle(Preferences::name(key)); }
    QByteArray listsOnDisk() const { return Sandbox::readFile(sandbox.listsFile()); }
    QString alertText() const { return view->alert() ? view->alert()->text() : QStringLiteral("no alert"); }
    // Clicks a button of the import choice by its object name.
    void choose(const char *button) {
        ASSERT_NE(view->importChoice(), nullptr);
        view->importChoice()->findChild<QPushButton *>(QLatin1String(button))->click();
        QCoreApplication::processEvents();
    }

    QuietWindows quiet;
    Sandbox sandbox;
    Preferences &preferences = sandbox.preferences();
    FakeWorkspace workspace;
    FakeHotkey hotkey;
    FakeLoginItem login;
    std::unique_ptr<AppState> state;
    std::unique_ptr<AppDelegate> shell;
    SettingsWindow *window = nullptr;
    SettingsView *view = nullptr;
};

using Key = Preferences::Key;

TEST_F(SettingsTest, EachToggleAndTheSizeSliderStartFromTheirPreferenceAndSwitchItAndWhatItControls) {
    preferences.setHotCornerEnabled(false);
    preferences.setOpenAtLogin(true);
    start();
    shell->openSettings();
    EXPECT_EQ(shell->settingsWindow(), window) << "one window, reused";
    // Without site icons the ring gets no favicon source: links show a globe and nothing is fetched.
    FaviconCache favicons(sandbox.home() + "/favicons", {});
    shell->setServices(
        {.hotkey = &hotkey, .loginItem = &login, .workspace = &workspace, .favicons = &favicons});
    const std::pair<Key, std::function<bool()>> toggles[] = {
        {Key::hotCornerEnabled, [&] { return shell->hotCorner()->isEnabled(); }},
        {Key::openAtLogin, [&] { return login.enabled; }},
        {Key::showSiteIcons, [&] { return shell->launcher().faviconCache() == &favicons; }},
    };
    for (const auto &[key, controlled] : toggles) {
        SCOPED_TRACE(Preferences::name(key).toStdString());
        const bool was = preferences.value(key).toBool();
        EXPECT_EQ(controlled(), was);
        toggle(key)->click();
        EXPECT_EQ(preferences.value(key).toBool(), !was);
        EXPECT_EQ(controlled(), !was);
    }
    // The login toggle goes back to the real state when the entry cannot be written.
    login.failWrites = true;
    toggle(Key::openAtLogin)->click();
    EXPECT_FALSE(preferences.openAtLogin());
    EXPECT_FALSE(toggle(Key::openAtLogin)->isChecked());
    // The size slider steps a fifth of a tenth.
    QSlider *slider = view->sizeSlider();
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Left);
    EXPECT_DOUBLE_EQ(preferences.launcherScale(), 0.95);
    // A screen reader reads the number shown, under the label beside it.
    QAccessibleInterface *read = QAccessible::queryAccessibleInterface(slider);
    ASSERT_EQ(read->relations(QAccessible::Label).size(), 1);
    EXPECT_EQ(read->relations(QAccessible::Label)[0].first->text(QAccessible::Name), L::launcherSize());
    preferences.setLauncherScale(1.3);
    EXPECT_EQ(slider->value(), 130) << "the slider follows the preference";
    shell->sendFeedback();
    EXPECT_EQ(workspace.openedUrls.value(0).query(QUrl::FullyEncoded), u"subject=Ilvex%20Feedback");
}

// A file with both off leaves the windows in the taskbar and the tray icon switchable.
TEST_F(SettingsTest, OneOfTheTrayIconAndTheTaskbarPresenceAlwaysStays) {
    preferences.setShowInMenuBar(false); // hideDockIcon keeps its default, true
    start();
    EXPECT_TRUE(shell->showsInTaskbar());
    toggle(Key::showInMenuBar)->click();
    EXPECT_TRUE(shell->statusItem() && !shell->showsInTaskbar());
    // As on a first start: the tray icon on and the taskbar presence hidden lock the tray toggle.
    EXPECT_FALSE(toggle(Key::showInMenuBar)->isEnabled());
    toggle(Key::hideDockIcon)->click();
    EXPECT_TRUE(!preferences.hideDockIcon() && shell->showsInTaskbar());
    EXPECT_TRUE(toggle(Key::showInMenuBar)->isEnabled());
    toggle(Key::showInMenuBar)->click();
    EXPECT_TRUE(!preferences.showInMenuBar() && !shell->statusItem());
    EXPECT_FALSE(toggle(Key::hideDockIcon)->isEnabled()) << "the taskbar presence is all that is left";
    // The desktop entry's action flips the preference and the icon together.
    shell->toggleMenuBarFromDock();
    EXPECT_TRUE(preferences.showInMenuBar() && shell->statusItem());
    // Whoever changes them: the tray icon off while the taskbar presence is hidden brings it back.
    preferences.setHideDockIcon(true);
    preferences.setShowInMenuBar(false);
    EXPECT_TRUE(!preferences.hideDockIcon() && shell->showsInTaskbar());
    EXPECT_FALSE(toggle(Key::hideDockIcon)->isChecked());
}

TEST_F(SettingsTest, LanguageRetitlesTheWindowsAndRendersTheirTextsAgain) {
    start();
    shell->openAbout();
    std::unique_ptr<AboutView> about(shell->aboutWindow());
    ASSERT_NE(about, nullptr);
    QComboBox *picker = view->languagePicker();
    ASSERT_EQ(picker->count(), 8);
    picker->setCurrentIndex(5);
    Q_EMIT picker->activated(5);
    EXPECT_EQ(state->language(), AppLanguage::de);
    EXPECT_EQ(window->windowTitle(), u"Ilvex — Einstellungen");
    EXPECT_EQ(about->windowTitle(), u"Über Ilvex");
    EXPECT_EQ(toggle(Key::hotCornerEnabled)->accessibleName(), L::hotCorner());
    const auto keysLists = view->findChildren<QWidget *>("keysList");
    ASSERT_EQ(keysLists.size(), 1) << "the old list is gone";
    QStringList texts;
    for (QLabel *label : keysLists[0]->findChildren<QLabel *>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(u"Ausgewählten Eintrag öffnen")) << texts.join(u'|').toStdString();
    state->setLanguage(AppLanguage::ja);
    EXPECT_EQ(picker->currentIndex(), 7) << "the picker follows the store";
}

// Restore waits for an order other than the saved one; an export writes the document or says it could not;
// an unreadable import fails before any choice; a readable one asks with the numbers, then replaces or
// appends.
TEST_F(SettingsTest, BackupToolsSayWhenTheyFailedAndImportAsksWithTheNumbers) {
    start(6, 3);
    QPushButton *restore = view->restoreButton();
    view->saveButton()->click();
    EXPECT_FALSE(restore->isEnabled()) << "the order equals the saved one";
    state->withCurrentItems([](QList<AppItem> &items) { items.move(0, 2); });
    ASSERT_TRUE(restore->isEnabled());
    restore->click();
    EXPECT_FALSE(restore->isEnabled()) << "the saved order is back";

    const QString path = sandbox.home() + "/ilvex-lists.json";
    view->exportTo(path);
    EXPECT_EQ(Sandbox::readFile(path), *state->exportListsData());
    EXPECT_EQ(alertText(), u"no alert");
    view->exportTo(sandbox.home() + "/no/such/folder/x.json");
    EXPECT_EQ(alertText(), L::exportFailed());
    QByteArray before = listsOnDisk();
    // A FIFO is refused unopened: a reader that waited in open() would take what a later writer sends.
    const QString fifo = sandbox.home() + "/fifo.json";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    std::thread writer([&] {
        const QByteArray document = ListsCodec::encodeLists(makeLists(1, 1));
        for (int tries = 0; tries < 100; ++tries, QThread::msleep(10)) {
            if (const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK); fd >= 0) {
                EXPECT_EQ(::write(fd, document.constData(), document.size()), document.size());
                ::close(fd);
                return;
            }
        }
    });
    for (const QString &bad : {fifo, sandbox.writeFile("empty.json", "[]"), sandbox.home() + "/missing.json",
                               sandbox.home(), QStringLiteral("/dev/zero")}) {
        view->importFrom(bad);
        EXPECT_EQ(view->importChoice(), nullptr) << bad.toStdString();
        EXPECT_EQ(alertText(), L::importFailed()) << bad.toStdString();
    }
    writer.join();
    EXPECT_EQ(listsOnDisk(), before);

    const QString three = sandbox.writeFile("three.json", ListsCodec::encodeLists(makeLists(3, 2)));
    view->importFrom(three);
    ASSERT_NE(view->importChoice(), nullptr);
    EXPECT_EQ(view->importChoice()->informativeText(), L::importChoice(3, 6, 8, 2));
    choose("addToMyLists");
    EXPECT_EQ(state->lists().size(), 8);

    // Full now: Add is refused and says so, and nothing changes.
    before = listsOnDisk();
    view->importFrom(three);
    EXPECT_EQ(view->importChoice()->informativeText(), L::importChoice(3, 8, 8, 0));
    choose("addToMyLists");
    EXPECT_EQ(alertText(), L::importFailed());
    EXPECT_EQ(listsOnDisk(), before);

    view->importFrom(three);
    choose("replaceAllLists");
    EXPECT_EQ(state->lists().size(), 3);
}

} // namespace
