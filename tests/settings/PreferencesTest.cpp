#include "settings/Preferences.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Key = Preferences::Key;

struct PreferencesTest : ::testing::Test {
    std::unique_ptr<Preferences> open() {
        return std::make_unique<Preferences>(std::make_unique<QSettings>(file, QSettings::IniFormat));
    }
    // As another program or a hand edit does.
    void writeByHand(const QByteArray &lines, const QByteArray &header = "[General]\n") {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(header + lines + "\n");
    }
    QTemporaryDir dir;
    const QString file = dir.path() + "/Ilvex.conf";
};

// Every key reads its default when absent or of another type (nullptr: every text is of its type), else its
// value, announced once. Wrong-type texts differ in length from the value before: same-size rewrites go
// unseen.
TEST_F(PreferencesTest, EveryKeyReadsItsTypeOrItsDefaultAndAnnouncesAChangeOnDisk) {
    const std::tuple<Key, QVariant, const char *, QVariant, const char *> rows[] = {
        {Key::activeListIndex, 0, "3", 3, "two"},
        {Key::appLanguage, "system", "de", "de", nullptr},
        {Key::appleLanguages, {}, "zh-Hans", QStringList{"zh-Hans"}, nullptr},
        {Key::launcherApps, {}, "@ByteArray([])", QByteArray("[]"), nullptr},
        {Key::showInMenuBar, true, "false", false, "perhaps"},
        {Key::hideDockIcon, true, "0", false, "no"},
        {Key::openAtLogin, false, "true", true, "yes"},
        {Key::launcherSoundsEnabled, true, "false", false, ""},
        {Key::hotCornerEnabled, true, "false", false, "off"},
        {Key::launcherScale, 1.0, "1.25", 1.25, "big"},
        {Key::checkForUpdatesAutomatically, true, "false", false, "n"},
        {Key::showSiteIcons, true, "false", false, "nah"},
        {Key::trayHintShown, false, "true", true, "yep"}};
    ASSERT_EQ(std::size(rows), std::size_t(Preferences::allKeys().size()));
    auto preferences = open();
    QSignalSpy changed(preferences.get(), &Preferences::changed);
    for (const auto &[key, fallback, written, read, wrongType] : rows) {
        SCOPED_TRACE(Preferences::name(key).toStdString());
        const auto after = [&](const QByteArray &text) {
            writeByHand(text.isNull() ? QByteArray() : Preferences::name(key).toUtf8() + '=' + text);
            preferences->reload();
            return preferences->value(key);
        };
        changed.clear();
        EXPECT_EQ(after(written), read);
        ASSERT_EQ(changed.count(), 1);
        EXPECT_EQ(changed[0][0].value<Key>(), key);
        EXPECT_EQ(wrongType ? after(wrongType) : fallback, fallback);
        EXPECT_EQ(after({}), fallback);
    }
}

TEST_F(PreferencesTest, SettersAnnounceOnlyChangesAndReachTheFile) {
    {
        auto preferences = open();
        QSignalSpy changed(preferences.get(), &Preferences::changed);
        for (int twice = 0; twice < 2; ++twice) {
            preferences->setLauncherScale(1.2);
            preferences->setHotCornerEnabled(true); // the default, but not stored yet: written
            preferences->setAppleLanguages(twice ? QStringList() : QStringList{"de"});
        }
        preferences->setAppleLanguages({});
        EXPECT_EQ(changed.count(), 4);
    }
    QSettings onDisk(file, QSettings::IniFormat);
    EXPECT_EQ(onDisk.value("launcherScale").toDouble(), 1.2);
    EXPECT_EQ(onDisk.value("hotCornerEnabled").toString(), "true");
    EXPECT_FALSE(onDisk.contains("AppleLanguages"));

    writeByHand("activeListIndex=two"); // replaced even by the value it reads as
    open()->setActiveListIndex(0);
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value("activeListIndex").toString(), "0");

    auto preferences = open();
    preferences->watchFile();
    QSignalSpy changed(preferences.get(), &Preferences::changed);
    writeByHand("launcherSoundsEnabled=false");
    ASSERT_TRUE(changed.wait(5000)) << "a watched file is followed without a reload";
    EXPECT_FALSE(preferences->launcherSoundsEnabled());
}

// What the preferences write is read back by QSettings' own INI reader as it was held: texts with the
// reader's syntax in them, bytes outside ASCII, lists and keys in groups (numbers: see the setters).
TEST_F(PreferencesTest, TheWrittenFileReadsBackAsHeldThroughQSettings) {
    const QVariantMap held{
        {"syntax", QStringLiteral(" a, \"b\" ; c=d \\ e\n\tf ")},
        {"at", QStringLiteral("@ByteArray(not bytes)")},
        {"outsideAscii", QStringLiteral("\u00e91 \u20ac\U0001F600 A")}, // a hex digit after an escape
        {"empty", QString()},
        {"bytes", QByteArray("[\0\xff)\"]", 6)},
        {"list", QStringList{"a,b", "", "@x", " y "}},
        {"oneItem", QStringList{"zh-Hans"}},
        {"group/sub/key", QStringLiteral("deep")},
        {"General/x", QStringLiteral("a group named General")},
        {"with space%", QStringLiteral("k")}};
    writeByHand(Preferences::iniText(held), {});
    const QSettings read(file, QSettings::IniFormat);
    EXPECT_EQ(read.allKeys().size(), held.size());
    for (auto it = held.cbegin(); it != held.cend(); ++it) {
        QVariant value = read.value(it.key()); // texts as the type held
        EXPECT_TRUE(value.convert(it.value().metaType()) && value == it.value()) << it.key().toStdString();
    }
}

} // namespace
