#include "store/Types.h"

#include <array>

bool AppItem::operator==(const AppItem &o) const {
    return id == o.id && name == o.name && bundleIdentifier == o.bundleIdentifier && appPath == o.appPath &&
           isFolder == o.isFolder && isURL == o.isURL && folderTint == o.folderTint &&
           bookmarkData == o.bookmarkData && isSubList == o.isSubList && subItems == o.subItems;
}

namespace {
struct ThemeRow {
    ListTheme theme;
    const char *raw;
    ListThemeColors colors;
};

QColor rgb(double r, double g, double b) {
    return QColor::fromRgbF(float(r), float(g), float(b), 1.0f);
}

const std::array<ThemeRow, 6> &themeRows() {
    static const std::array<ThemeRow, 6> rows{{
        {ListTheme::blue,
         "blue",
         {rgb(0.38, 0.62, 1.0), rgb(0.18, 0.40, 0.85), rgb(0.06, 0.14, 0.38), rgb(0.10, 0.22, 0.55)}},
        {ListTheme::purple,
         "purple",
         {rgb(0.72, 0.42, 1.0), rgb(0.45, 0.18, 0.80), rgb(0.16, 0.06, 0.34), rgb(0.30, 0.12, 0.55)}},
        {ListTheme::green,
         "green",
         {rgb(0.22, 0.85, 0.50), rgb(0.10, 0.52, 0.28), rgb(0.04, 0.20, 0.10), rgb(0.08, 0.35, 0.18)}},
        {ListTheme::orange,
         "orange",
         {rgb(1.0, 0.62, 0.22), rgb(0.78, 0.35, 0.05), rgb(0.26, 0.10, 0.02), rgb(0.50, 0.20, 0.04)}},
        {ListTheme::red,
         "red",
         {rgb(1.0, 0.32, 0.28), rgb(0.72, 0.12, 0.10), rgb(0.26, 0.04, 0.04), rgb(0.50, 0.08, 0.08)}},
        {ListTheme::teal,
         "teal",
         {rgb(0.20, 0.82, 0.88), rgb(0.08, 0.50, 0.62), rgb(0.04, 0.18, 0.24), rgb(0.08, 0.35, 0.45)}},
    }};
    return rows;
}
} // namespace

QString rawValue(ListTheme theme) {
    return QString::fromLatin1(themeRows()[size_t(theme)].raw);
}

std::optional<ListTheme> listThemeFromRawValue(const QString &raw) {
    for (const ThemeRow &row : themeRows()) {
        if (raw == QLatin1String(row.raw))
            return row.theme;
    }
    return std::nullopt;
}

const QList<ListTheme> &allListThemes() {
    static const QList<ListTheme> all{ListTheme::blue,   ListTheme::purple, ListTheme::green,
                                      ListTheme::orange, ListTheme::red,    ListTheme::teal};
    return all;
}

const ListThemeColors &colors(ListTheme theme) {
    return themeRows()[size_t(theme)].colors;
}

const QList<FolderTintPreset> &folderTintPresets() {
    static const QList<FolderTintPreset> presets{
        {QUuid::createUuid(), QStringLiteral("Blue"), QStringLiteral("#3B82F6"), 0, 1.0},
        {QUuid::createUuid(), QStringLiteral("Cyan"), QStringLiteral("#06B6D4"), -18, 1.0},
        {QUuid::createUuid(), QStringLiteral("Green"), QStringLiteral("#22C55E"), -63, 1.1},
        {QUuid::createUuid(), QStringLiteral("Yellow"), QStringLiteral("#EAB308"), -158, 1.2},
        {QUuid::createUuid(), QStringLiteral("Orange"), QStringLiteral("#F97316"), -178, 1.1},
        {QUuid::createUuid(), QStringLiteral("Red"), QStringLiteral("#EF4444"), 158, 1.1},
        {QUuid::createUuid(), QStringLiteral("Pink"), QStringLiteral("#EC4899"), 127, 1.0},
        {QUuid::createUuid(), QStringLiteral("Purple"), QStringLiteral("#A855F7"), 78, 1.0},
        {QUuid::createUuid(), QStringLiteral("Grey"), QStringLiteral("#6B7280"), 0, 0},
    };
    return presets;
}

const FolderTintPreset *folderTintPreset(const std::optional<QString> &tint) {
    if (!tint)
        return nullptr;
    for (const FolderTintPreset &preset : folderTintPresets()) {
        if (preset.hex == *tint)
            return &preset;
    }
    return nullptr;
}

QColor hex(const QString &text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && !text.at(begin).isLetterOrNumber())
        ++begin;
    while (end > begin && !text.at(end - 1).isLetterOrNumber())
        --end;
    qsizetype pos = begin;
    if (end - pos >= 2 && text.at(pos) == u'0' && (text.at(pos + 1) == u'x' || text.at(pos + 1) == u'X'))
        pos += 2;
    quint64 value = 0;
    for (; pos < end; ++pos) {
        const char16_t c = text.at(pos).toLower().unicode();
        const int digit = (c >= u'0' && c <= u'9') ? c - u'0' : (c >= u'a' && c <= u'f') ? c - u'a' + 10 : -1;
        if (digit < 0)
            break;
        value = (value << 4) | quint64(digit); // overflow wraps, like an unsigned scan past 16 digits
    }
    return QColor::fromRgbF(float(((value >> 16) & 0xFF) / 255.0), float(((value >> 8) & 0xFF) / 255.0),
                            float((value & 0xFF) / 255.0), 1.0f);
}

QString uuidString(const QUuid &id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}
