#include "settings/Preferences.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Key = Preferences::Key;

class PreferencesTest : public ::testing::Test {
  protected:
    std::unique_ptr<Preferences> open() {
        return std::make_unique<Preferences>(std::make_unique<QSettings>(file, QSettings::IniFormat));
    }
    // What another program (or a hand edit) leaves in the file.
    void writeByHand(const QByteArray &lines) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("[General]\n" + lines + "\n");
    }

    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/Ilvex.conf");
};

// Every key of the table: its default when absent and when the file holds something of another type, its
// value in its own type, and one announcement when another writer changed it.
TEST_F(PreferencesTest, EveryKeyReadsItsTypeOrItsDefaultAndAnnouncesAChangeOnDisk) {
    const struct {
        Key key;
        QVariant fallback;
        const char *written; // as it stands in the file
        QVariant read;
        // nullptr: every text is a value of this type. Not as long as `written`: a rewrite of the same
        // size within the same instant is not seen as a change of the file.
        const char *wrongType;
    } rows[] = {
        {Key::activeListIndex, 0, "3", 3, "two"},
        {Key::appLanguage, QStringLiteral("system"), "de", QStringLiteral("de"), nullptr},
        {Key::appleLanguages, {}, "zh-Hans", QStringList{QStringLiteral("zh-Hans")}, nullptr},
        {Key::launcherApps, {}, "@ByteArray([])", QByteArray("[]"), nullptr},
        {Key::showInMenuBar, true, "false", false, "perhaps"},
        {Key::hideDockIcon, true, "0", false, "no"},
        {Key::openAtLogin, false, "true", true, "yes"},
        {Key::launcherSoundsEnabled, true, "false", false, ""},
        {Key::hotCornerEnabled, true, "false", false, "off"},
        {Key::launcherScale, 1.0, "1.25", 1.25, "big"},
        {Key::checkForUpdatesAutomatically, true, "false", false, "n"},
    };
    ASSERT_EQ(std::size(rows), std::size_t(Preferences::allKeys().size()));
    auto preferences = open();
    QSignalSpy changed(preferences.get(), &Preferences::changed);
    for (const auto &row : rows) {
        const QByteArray name = Preferences::name(row.key).toUtf8();
        SCOPED_TRACE(name.constData());
        EXPECT_EQ(Preferences::defaultValue(row.key), row.fallback);
        EXPECT_EQ(preferences->value(row.key), row.fallback);

        changed.clear();
        writeByHand(name + '=' + row.written);
        preferences->reload();
        EXPECT_EQ(preferences->value(row.key), row.read);
        ASSERT_EQ(changed.count(), 1);
        EXPECT_EQ(changed[0][0].value<Key>(), row.key);

        if (row.wrongType) {
            writeByHand(name + '=' + row.wrongType);
            preferences->reload();
            EXPECT_EQ(preferences->value(row.key), row.fallback);
        }
        writeByHand({});
        preferences->reload();
        EXPECT_EQ(preferences->value(row.key), row.fallback);
    }
}

TEST_F(PreferencesTest, SettersAnnounceOnlyChangesAndReachTheFile) {
    {
        auto preferences = open();
        QSignalSpy changed(preferences.get(), &Preferences::changed);
        preferences->setLauncherScale(1.2);
        preferences->setLauncherScale(1.2);
        preferences->setHotCornerEnabled(true); // the default, but not stored yet: written
        preferences->setHotCornerEnabled(true);
        preferences->setAppleLanguages({QStringLiteral("de")});
        preferences->setAppleLanguages({});
        preferences->setAppleLanguages({});
        EXPECT_EQ(changed.count(), 4);
        EXPECT_DOUBLE_EQ(preferences->launcherScale(), 1.2);
        EXPECT_TRUE(preferences->appleLanguages().isEmpty());
    }
    QSettings onDisk(file, QSettings::IniFormat);
    EXPECT_EQ(onDisk.value(QStringLiteral("launcherScale")).toDouble(), 1.2);
    EXPECT_EQ(onDisk.value(QStringLiteral("hotCornerEnabled")).toString(), QStringLiteral("true"));
    EXPECT_FALSE(onDisk.contains(QStringLiteral("AppleLanguages")));

    // A value of the wrong type is replaced even by the value it reads as.
    writeByHand("activeListIndex=two");
    auto preferences = open();
    preferences->setActiveListIndex(0);
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value(QStringLiteral("activeListIndex")).toInt(), 0);
}

TEST_F(PreferencesTest, AWatchedFileIsFollowedWithoutAReload) {
    auto preferences = open();
    preferences->watchFile();
    QSignalSpy changed(preferences.get(), &Preferences::changed);
    writeByHand("launcherSoundsEnabled=false");
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_FALSE(preferences->launcherSoundsEnabled());
}

} // namespace
