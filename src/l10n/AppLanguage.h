#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Preferences;

// The interface language: the system's, or one of seven fixed ones (in picker order).
enum class AppLanguage { system, en, it, es, fr, de, zh, ja };

const QList<AppLanguage> &allAppLanguages();
QString rawValue(AppLanguage language);
std::optional<AppLanguage> appLanguageFromRawValue(const QString &raw);
// The picker label: a flag (or a globe for "system"), two spaces and the language's own name.
QString menuTitle(AppLanguage language);
// The code stored under "AppleLanguages" for a language; none for `system`.
std::optional<QString> platformLanguageCode(AppLanguage language);

// The language that `system` stands for, from the user's preferred languages (read anew each call).
AppLanguage fromSystem();
// Tests replace the system's list of preferred languages; none goes back to the real one.
void setSystemLanguagesForTesting(const std::optional<QStringList> &languages);

// Makes framework texts (standard dialogs) follow the language: writes or removes the
// "AppleLanguages" override in preferences and loads Qt's own translations for it.
void applyToFrameworks(AppLanguage language, Preferences &preferences);

// The stored language at start: the string table and Qt's own texts follow it from the first window
// on. Returns the language (an unknown stored value is the system's).
AppLanguage startLanguage(Preferences &preferences);
// The language the user chose: the string table, the stored value and Qt's texts.
void chooseLanguage(AppLanguage language, Preferences &preferences);
