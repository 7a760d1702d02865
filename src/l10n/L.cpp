#include "l10n/L.h"
// Temporary: the full table replaces this.
#include "store/Preferences.h"
namespace { std::optional<AppLanguage> cache; }
AppLanguage L::language() {
    if (!cache) cache = appLanguageFromRawValue(Preferences::settings().value(QLatin1String(Preferences::appLanguage)).toString()).value_or(AppLanguage::system);
    return *cache;
}
void L::setLanguage(AppLanguage l) { cache = l; }
AppLanguage L::resolvedLanguage() { return language() == AppLanguage::system ? fromSystem() : language(); }
QString L::listFolders() { return QStringLiteral("Folders"); }
QString L::folderDocuments() { return QStringLiteral("Documents"); }
QString L::folderMusic() { return QStringLiteral("Music"); }
QString L::folderMovies() { return QStringLiteral("Movies"); }
QString L::defaultGroupName() { return QStringLiteral("Group"); }
