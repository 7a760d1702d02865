#include "l10n/AppLanguage.h"
// Temporary: replaced by the real implementation.
#include "store/Preferences.h"
const QList<AppLanguage> &allAppLanguages() { static const QList<AppLanguage> a{AppLanguage::system, AppLanguage::en, AppLanguage::it, AppLanguage::es, AppLanguage::fr, AppLanguage::de, AppLanguage::zh, AppLanguage::ja}; return a; }
static const char *raws[] = {"system","en","it","es","fr","de","zh","ja"};
QString rawValue(AppLanguage l) { return QLatin1String(raws[int(l)]); }
std::optional<AppLanguage> appLanguageFromRawValue(const QString &raw) { for (int i = 0; i < 8; ++i) if (raw == QLatin1String(raws[i])) return AppLanguage(i); return std::nullopt; }
QString menuTitle(AppLanguage l) { return rawValue(l); }
std::optional<QString> platformLanguageCode(AppLanguage l) { if (l == AppLanguage::system) return std::nullopt; return l == AppLanguage::zh ? QStringLiteral("zh-Hans") : rawValue(l); }
AppLanguage fromSystem() { return AppLanguage::en; }
void setSystemLanguagesForTesting(const std::optional<QStringList> &) {}
void applyToFrameworks(AppLanguage l) { auto code = platformLanguageCode(l); if (code) Preferences::settings().setValue(QLatin1String(Preferences::appleLanguages), QStringList{*code}); else Preferences::settings().remove(QLatin1String(Preferences::appleLanguages)); }
