#include "store/Preferences.h"

#include <memory>

namespace Preferences {
namespace {
QSettings *installed = nullptr;
}

QSettings &settings() {
    if (installed)
        return *installed;
    static std::unique_ptr<QSettings> user =
        std::make_unique<QSettings>(QStringLiteral("Ilvex"), QStringLiteral("Ilvex"));
    return *user;
}

void install(QSettings *s) { installed = s; }

bool boolValue(const char *key, bool fallback) {
    const QVariant v = settings().value(QLatin1String(key));
    if (!v.isValid())
        return fallback;
    // QSettings' INI format hands booleans back as the strings "true"/"false".
    const QString text = v.toString().trimmed().toLower();
    if (text == u"true" || text == u"1")
        return true;
    if (text == u"false" || text == u"0")
        return false;
    return fallback;
}

double doubleValue(const char *key, double fallback) {
    bool ok = false;
    const double d = settings().value(QLatin1String(key)).toDouble(&ok);
    return ok ? d : fallback;
}

} // namespace Preferences
