#include "l10n/AppLanguage.h"

#include "l10n/L.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

#include <array>

namespace {

struct LanguageInfo {
    AppLanguage language;
    const char *rawValue;
    const char *flag;       // regional-indicator pair (a globe for system)
    const char *nativeName; // nullptr: the system row is labelled with L::automatic()
    const char *platformCode;
};

// In picker order, which is also the order of the enumeration.
constexpr std::array<LanguageInfo, 8> languages = {{
    {AppLanguage::system, "system", "\U0001F310", nullptr, nullptr},
    {AppLanguage::en, "en", "\U0001F1EC\U0001F1E7", "English", "en"},
    {AppLanguage::it, "it", "\U0001F1EE\U0001F1F9", "Italiano", "it"},
    {AppLanguage::es, "es", "\U0001F1EA\U0001F1F8", "Español", "es"},
    {AppLanguage::fr, "fr", "\U0001F1EB\U0001F1F7", "Français", "fr"},
    {AppLanguage::de, "de", "\U0001F1E9\U0001F1EA", "Deutsch", "de"},
    {AppLanguage::zh, "zh", "\U0001F1E8\U0001F1F3", "中文", "zh-Hans"},
    {AppLanguage::ja, "ja", "\U0001F1EF\U0001F1F5", "日本語", "ja"},
}};

constexpr bool infoFollowsEnumeration() {
    for (std::size_t i = 0; i < languages.size(); ++i) {
        if (languages[i].language != AppLanguage(i))
            return false;
    }
    return true;
}
static_assert(infoFollowsEnumeration());

const LanguageInfo &info(AppLanguage language) {
    return languages[std::size_t(language)];
}

std::optional<QStringList> injectedSystemLanguages;

// Qt's own texts (standard buttons, file dialogs) for the language; replaces the translator installed
// before. Without an application object there is nothing to translate.
void installQtTranslations(AppLanguage concrete) {
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return;
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    auto *translator = new QTranslator(application);
    const QLocale locale(QString::fromLatin1(info(concrete).platformCode));
    if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
        installed = translator;
    } else {
        delete translator;
    }
}

} // namespace

const QList<AppLanguage> &allAppLanguages() {
    static const QList<AppLanguage> all = [] {
        QList<AppLanguage> list;
        for (const LanguageInfo &language : languages)
            list.append(language.language);
        return list;
    }();
    return all;
}

QString rawValue(AppLanguage language) {
    return QString::fromLatin1(info(language).rawValue);
}

std::optional<AppLanguage> appLanguageFromRawValue(const QString &raw) {
    for (const LanguageInfo &language : languages) {
        if (raw == QLatin1String(language.rawValue))
            return language.language;
    }
    return std::nullopt;
}

QString menuTitle(AppLanguage language) {
    const LanguageInfo &row = info(language);
    const QString name = row.nativeName ? QString::fromUtf8(row.nativeName) : L::automatic();
    return QString::fromUtf8(row.flag) + QStringLiteral("  ") + name;
}

std::optional<QString> platformLanguageCode(AppLanguage language) {
    const char *code = info(language).platformCode;
    return code ? std::optional<QString>(QString::fromLatin1(code)) : std::nullopt;
}

// Only the first two characters of an entry count: "de-AT" is German, "zh-Hant-TW" Chinese, and "pt-BR"
// nothing the program speaks.
AppLanguage fromSystem() {
    const QStringList preferred =
        injectedSystemLanguages ? *injectedSystemLanguages : QLocale::system().uiLanguages();
    for (const QString &entry : preferred) {
        const QStringView prefix = QStringView(entry).left(2);
        for (const LanguageInfo &language : languages) {
            if (language.language != AppLanguage::system && prefix == QLatin1String(language.rawValue))
                return language.language;
        }
    }
    return AppLanguage::en;
}

void setSystemLanguagesForTesting(const std::optional<QStringList> &preferred) {
    injectedSystemLanguages = preferred;
}

void applyToFrameworks(AppLanguage language, Preferences &preferences) {
    const auto code = platformLanguageCode(language);
    preferences.setAppleLanguages(code ? QStringList{*code} : QStringList{});
    installQtTranslations(language == AppLanguage::system ? fromSystem() : language);
}

AppLanguage startLanguage(Preferences &preferences) {
    const AppLanguage stored =
        appLanguageFromRawValue(preferences.appLanguage()).value_or(AppLanguage::system);
    L::seedLanguage(stored); // a language set earlier in this process stays
    installQtTranslations(L::resolvedLanguage());
    return L::language();
}

void chooseLanguage(AppLanguage language, Preferences &preferences) {
    L::setLanguage(language);
    preferences.setAppLanguage(rawValue(language));
    applyToFrameworks(language, preferences);
}
