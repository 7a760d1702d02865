#include "LanguageTest.h"

#include <functional>

namespace {

struct PlainText {
    const char *key;
    QString (*text)();
};

const PlainText plainTexts[] = {
#define ILVEX_TEST_TEXT(key) {#key, &L::key},
    ILVEX_L_PLAIN_TEXTS(ILVEX_TEST_TEXT)
#undef ILVEX_TEST_TEXT
};

QString textIn(AppLanguage language, const std::function<QString()> &text) {
    L::setLanguage(language);
    return text();
}

} // namespace

using StringTableTest = LanguageTest;

TEST_F(StringTableTest, EveryKeyIsTranslatedConsistently) {
    ASSERT_EQ(std::size(plainTexts), 91u);
    for (const PlainText &row : plainTexts) {
        const QString english = textIn(AppLanguage::en, row.text);
        for (AppLanguage language : concreteLanguages()) {
            SCOPED_TRACE(std::string(row.key) + " in " + rawValue(language).toStdString());
            const QString text = textIn(language, row.text);
            EXPECT_FALSE(text.trimmed().isEmpty());
            EXPECT_EQ(text.count(u'\n'), english.count(u'\n'));
            EXPECT_EQ(text.contains(QStringLiteral("Ilvex")), english.contains(QStringLiteral("Ilvex")));
            EXPECT_EQ(text.endsWith(u'…'), english.endsWith(u'…'));
        }
    }
}

TEST_F(StringTableTest, NoLanguageIsMostlyEnglish) {
    for (AppLanguage language : concreteLanguages()) {
        if (language == AppLanguage::en)
            continue;
        int sameAsEnglish = 0;
        QSet<QString> distinct;
        for (const PlainText &row : plainTexts) {
            const QString text = textIn(language, row.text);
            sameAsEnglish += text == textIn(AppLanguage::en, row.text);
            distinct.insert(text);
        }
        EXPECT_LE(sameAsEnglish, 5) << rawValue(language).toStdString();
        // A column shifted by a row or copied over another would repeat texts.
        EXPECT_GE(distinct.size(), 60) << rawValue(language).toStdString();
    }
}

TEST_F(StringTableTest, ParameterisedTextsInsertArgumentsUnchanged) {
    const QString nbsp(QChar(0x00A0));
    struct Case {
        AppLanguage language;
        std::function<QString()> text;
        QString expected;
    };
    const Case cases[] = {
        {AppLanguage::en, [] { return L::addTo(QStringLiteral("Work")); }, QStringLiteral("Add to “Work”")},
        {AppLanguage::fr, [] { return L::addTo(QStringLiteral("Travail")); },
         QStringLiteral("Ajouter à «") + nbsp + QStringLiteral("Travail") + nbsp + QStringLiteral("»")},
        {AppLanguage::ja, [] { return L::addTo(QStringLiteral("仕事")); }, QStringLiteral("「仕事」に追加")},
        {AppLanguage::de, [] { return L::addToGroup(QStringLiteral("Spiele")); },
         QStringLiteral("Zur Gruppe „Spiele“ hinzufügen")},
        {AppLanguage::fr, [] { return L::maxLists(8); }, QStringLiteral("8 listes au maximum")},
        {AppLanguage::es, [] { return L::version(QStringLiteral("1.2"), QStringLiteral("42")); },
         QStringLiteral("Versión 1.2 (42)")},
        {AppLanguage::it, [] { return L::latestVersionMessage(QStringLiteral("2.0")); },
         QStringLiteral("Ilvex 2.0 è l'ultima versione.")},
        {AppLanguage::de,
         [] { return L::updateAvailableMessage(QStringLiteral("1.10"), QStringLiteral("1.9")); },
         QStringLiteral("Ilvex 1.10 ist verfügbar. Du hast 1.9.")},
        {AppLanguage::ja, [] { return L::positionOf(3, 8); }, QStringLiteral("8 件中 3 件目")},
        // Arguments that look like placeholders stay as they are.
        {AppLanguage::en, [] { return L::addTo(QStringLiteral("50%1 %2")); },
         QStringLiteral("Add to “50%1 %2”")},
        {AppLanguage::en, [] { return L::version(QStringLiteral("%2"), QStringLiteral("%1")); },
         QStringLiteral("Version %2 (%1)")},
        {AppLanguage::de, [] { return L::listColor(QString()); }, QStringLiteral("Listenfarbe: ")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(textIn(c.language, c.text), c.expected);
}

TEST_F(StringTableTest, ImportChoice) {
    EXPECT_EQ(textIn(AppLanguage::de, [] { return L::importChoice(1, 2, 8, 6); }).section(u'.', 0, 0),
              QStringLiteral("Die Datei enthält 1 Liste"));
    EXPECT_EQ(textIn(AppLanguage::de, [] { return L::importChoice(2, 2, 8, 6); }).section(u'.', 0, 0),
              QStringLiteral("Die Datei enthält 2 Listen"));

    for (AppLanguage language : concreteLanguages()) {
        SCOPED_TRACE(rawValue(language).toStdString());
        const QString withRoom = textIn(language, [] { return L::importChoice(4, 3, 9, 6); });
        const QString full = textIn(language, [] { return L::importChoice(4, 9, 9, 0); });
        EXPECT_EQ(withRoom.count(QStringLiteral("\n\n")), 1);
        EXPECT_FALSE(withRoom.contains(u'%'));
        for (const QString &number :
             {QStringLiteral("4"), QStringLiteral("3"), QStringLiteral("9"), QStringLiteral("6")})
            EXPECT_TRUE(withRoom.contains(number)) << number.toStdString();
        EXPECT_FALSE(full.contains(u'0'));
        EXPECT_NE(withRoom.section(QStringLiteral("\n\n"), 1), full.section(QStringLiteral("\n\n"), 1));
    }
}

// Colour names are translated by their English name; anything else passes through as it is.
TEST_F(StringTableTest, ColorNames) {
    for (AppLanguage language : concreteLanguages()) {
        L::setLanguage(language);
        for (const char *name :
             {"Blue", "Purple", "Green", "Orange", "Red", "Teal", "Cyan", "Yellow", "Pink", "Grey"})
            EXPECT_FALSE(L::colorName(QLatin1String(name)).isEmpty()) << name;
        for (const QString &other : {QStringLiteral("Violet"), QStringLiteral("blue"), QString()})
            EXPECT_EQ(L::colorName(other), other);
    }
    L::setLanguage(AppLanguage::fr);
    EXPECT_EQ(L::colorName(QStringLiteral("Teal")), QStringLiteral("Bleu canard"));
    EXPECT_EQ(L::colorName(QStringLiteral("Purple")), QStringLiteral("Violet"));
}

TEST_F(StringTableTest, SystemLanguageIsResolvedOnEveryText) {
    L::setLanguage(AppLanguage::system);
    setSystemLanguagesForTesting(QStringList{QStringLiteral("pt-BR"), QStringLiteral("de-AT")});
    EXPECT_EQ(L::open(), QStringLiteral("Öffnen"));
    EXPECT_EQ(L::resolvedLanguage(), AppLanguage::de);
    setSystemLanguagesForTesting(QStringList{QStringLiteral("es-MX")});
    EXPECT_EQ(L::open(), QStringLiteral("Abrir"));
    setSystemLanguagesForTesting(QStringList{});
    EXPECT_EQ(L::open(), QStringLiteral("Open"));
    EXPECT_EQ(L::language(), AppLanguage::system);
}
