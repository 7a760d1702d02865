#include "l10n/AppLanguage.h"
#include "l10n/L.h"

#include <QSet>

#include <gtest/gtest.h>

#include <functional>

namespace {

const struct {
    const char *key;
    QString (*text)();
} plainTexts[] = {
#define ILVEX_TEST_TEXT(key) {#key, &L::key},
    ILVEX_L_PLAIN_TEXTS(ILVEX_TEST_TEXT)
#undef ILVEX_TEST_TEXT
};

QString textIn(AppLanguage language, const std::function<QString()> &text) {
    L::setLanguage(language);
    return text();
}

// Neither the developer's locale nor an earlier test decides which language a text comes out in.
class Texts : public ::testing::Test {
  protected:
    void SetUp() override {
        L::resetLanguageCacheForTesting();
        setSystemLanguagesForTesting(QStringList{});
    }
    void TearDown() override {
        setSystemLanguagesForTesting(std::nullopt);
        L::setLanguage(AppLanguage::en);
        L::resetLanguageCacheForTesting();
    }
    const QList<AppLanguage> languages = allAppLanguages().mid(1); // without "system"
};

TEST_F(Texts, EveryKeyIsTranslatedConsistentlyAndNoLanguageIsMostlyEnglish) {
    for (AppLanguage language : languages) {
        SCOPED_TRACE(rawValue(language).toStdString());
        int sameAsEnglish = 0;
        QSet<QString> distinct;
        for (const auto &row : plainTexts) {
            const QString english = textIn(AppLanguage::en, row.text), text = textIn(language, row.text);
            EXPECT_FALSE(text.trimmed().isEmpty()) << row.key;
            EXPECT_EQ(text.count(u'\n'), english.count(u'\n')) << row.key;
            EXPECT_EQ(text.contains("Ilvex"), english.contains("Ilvex")) << row.key;
            EXPECT_EQ(text.endsWith(u'…'), english.endsWith(u'…')) << row.key;
            sameAsEnglish += text == english;
            distinct.insert(text);
        }
        const QString choice = textIn(language, [] { return L::importChoice(4, 3, 9, 6); });
        EXPECT_TRUE(choice.contains(u'3') && choice.contains(u'6') && !choice.contains(u'%'))
            << choice.toStdString();
        const QString privacy = textIn(language, [] { return L::siteIconsPrivacy("icons.example"); });
        EXPECT_TRUE(privacy.contains("icons.example") && privacy.contains(L::showSiteIcons()) &&
                    !privacy.contains(u'%'))
            << privacy.toStdString();
        // A column shifted by a row or copied over another repeats texts.
        EXPECT_TRUE(language == AppLanguage::en || (sameAsEnglish <= 5 && distinct.size() >= 60))
            << sameAsEnglish << " as in English, " << distinct.size() << " distinct";
    }
}

TEST_F(Texts, ParameterisedTextsInsertArgumentsUnchanged) {
    const QString nbsp(QChar(0x00A0));
    const std::tuple<AppLanguage, std::function<QString()>, QString> cases[] = {
        {AppLanguage::fr, [] { return L::addTo("Travail"); }, "Ajouter à «" + nbsp + "Travail" + nbsp + "»"},
        {AppLanguage::ja, [] { return L::positionOf(3, 8); }, "8 件中 3 件目"},
        // Arguments that look like placeholders stay as they are.
        {AppLanguage::en, [] { return L::addTo("50%1 %2"); }, "Add to “50%1 %2”"},
        {AppLanguage::de, [] { return L::listColor(QString()); }, "Listenfarbe: "},
        {AppLanguage::de, [] { return L::importChoice(1, 2, 8, 6).left(25); }, "Die Datei enthält 1 Liste"},
        {AppLanguage::de, [] { return L::importChoice(2, 2, 8, 6).left(26); }, "Die Datei enthält 2 Listen"},
        {AppLanguage::fr, [] { return L::colorName("Teal"); }, "Bleu canard"},
    };
    for (const auto &[language, text, expected] : cases)
        EXPECT_EQ(textIn(language, text), expected);
}

TEST_F(Texts, LanguagesFromRawValuesAndTheSystemList) {
    for (AppLanguage language : allAppLanguages())
        EXPECT_EQ(appLanguageFromRawValue(rawValue(language)), language);
    // the first spoken language
    const std::pair<const char *, AppLanguage> cases[] = {
        {"pt-BR,de-AT", AppLanguage::de}, {"", AppLanguage::en},           {"zh-Hant-TW", AppLanguage::zh},
        {"en-GB,fr-FR", AppLanguage::en}, {",e,C,ja-JP", AppLanguage::ja}, {"system", AppLanguage::en},
    };
    for (const auto &[preferred, expected] : cases) {
        setSystemLanguagesForTesting(*preferred ? QString(preferred).split(u',') : QStringList());
        EXPECT_EQ(fromSystem(), expected) << preferred;
    }
    // "system" is resolved on every text.
    L::setLanguage(AppLanguage::system);
    setSystemLanguagesForTesting(QStringList{"pt-BR", "de-AT"});
    EXPECT_EQ(L::open(), QStringLiteral("Öffnen"));
    setSystemLanguagesForTesting(QStringList{"es-MX"});
    EXPECT_EQ(L::open(), QStringLiteral("Abrir"));
    EXPECT_EQ(L::language(), AppLanguage::system);
    // Only the system row of the language menu follows the interface language; the others name themselves.
    L::setLanguage(AppLanguage::fr);
    EXPECT_EQ(menuTitle(AppLanguage::system), QStringLiteral("🌐  Automatique (système)"));
    EXPECT_EQ(menuTitle(AppLanguage::de), QStringLiteral("🇩🇪  Deutsch"));
}

} // namespace
