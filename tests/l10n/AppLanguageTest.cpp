#include "LanguageTest.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>

using AppLanguageTest = LanguageTest;

TEST_F(AppLanguageTest, RawValuesRoundTripAndNearMissesAreRefused) {
    for (AppLanguage language : allAppLanguages())
        EXPECT_EQ(appLanguageFromRawValue(rawValue(language)), language);
    for (const QString &other :
         {QString(), QStringLiteral("DE"), QStringLiteral("de-AT"), QStringLiteral("Deutsch")})
        EXPECT_EQ(appLanguageFromRawValue(other), std::nullopt) << other.toStdString();
}

TEST_F(AppLanguageTest, FromSystemTakesTheFirstSpokenLanguage) {
    struct Case {
        QStringList preferred;
        AppLanguage expected;
    };
    const Case cases[] = {
        {{"pt-BR", "de-AT"}, AppLanguage::de},
        {{}, AppLanguage::en},
        {{"pt-BR"}, AppLanguage::en},
        {{"zh-Hant-TW"}, AppLanguage::zh},
        {{"en-GB", "fr-FR"}, AppLanguage::en},
        {{"it_IT", "en"}, AppLanguage::it},
        {{"", "e", "C", "ja-JP"}, AppLanguage::ja},
        {{"d", "es"}, AppLanguage::es},
        {{"ko-KR", "nl", "fr-CA"}, AppLanguage::fr},
        {{"system"}, AppLanguage::en},
    };
    for (const Case &c : cases) {
        setSystemLanguagesForTesting(c.preferred);
        EXPECT_EQ(fromSystem(), c.expected) << c.preferred.join(u',').toStdString();
    }
}

// Only the system row follows the interface language; the others name themselves.
TEST_F(AppLanguageTest, MenuTitles) {
    L::setLanguage(AppLanguage::fr);
    EXPECT_EQ(menuTitle(AppLanguage::system), QStringLiteral("🌐  Automatique (système)"));
    EXPECT_EQ(menuTitle(AppLanguage::de), QStringLiteral("🇩🇪  Deutsch"));
    EXPECT_EQ(menuTitle(AppLanguage::en), QStringLiteral("🇬🇧  English"));
}

TEST_F(AppLanguageTest, ApplyToFrameworksSwitchesQtTranslations) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *file : {"qtbase_de.qm", "qtbase_fr.qm", "qtbase_zh_CN.qm", "qtbase_ja.qm"}) {
        if (!QFileInfo::exists(folder + u'/' + QLatin1String(file)))
            GTEST_SKIP() << "Qt translations not installed in " << folder.toStdString();
    }
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    applyToFrameworks(AppLanguage::de, m_sandbox.preferences());
    EXPECT_EQ(cancel(), QStringLiteral("Abbrechen"));
    applyToFrameworks(AppLanguage::fr, m_sandbox.preferences());
    EXPECT_EQ(cancel(), QStringLiteral("Annuler"));
    applyToFrameworks(AppLanguage::zh, m_sandbox.preferences());
    EXPECT_EQ(cancel(), QStringLiteral("取消"));
    setSystemLanguagesForTesting(QStringList{QStringLiteral("pt-BR"), QStringLiteral("ja-JP")});
    applyToFrameworks(AppLanguage::system, m_sandbox.preferences());
    EXPECT_EQ(cancel(), QStringLiteral("キャンセル"));
    // English replaces the earlier translation instead of stacking on it.
    applyToFrameworks(AppLanguage::en, m_sandbox.preferences());
    EXPECT_EQ(cancel(), QStringLiteral("Cancel"));
}
