#include "store/ListsCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace ListsCodec {
namespace {

std::optional<QUuid> readUuid(const QJsonValue &value) {
    if (!value.isString())
        return std::nullopt;
    static const QRegularExpression form(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    const QString text = value.toString();
    if (!form.match(text).hasMatch())
        return std::nullopt;
    return QUuid::fromString(text);
}

// A key that may be absent or null. Returns false when the value has the wrong type.
bool readOptionalBool(const QJsonObject &object, QLatin1String key, bool &out) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull()) {
        out = false;
        return true;
    }
    if (!value.isBool())
        return false;
    out = value.toBool();
    return true;
}

bool readRequiredString(const QJsonObject &object, QLatin1String key, QString &out) {
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return false;
    out = value.toString();
    return true;
}

// Item objects nest through "subItems" at any depth; the JSON parser's own nesting limit bounds the recursion.
std::optional<QList<AppItem>> readItems(const QJsonValue &value);

std::optional<AppItem> readItem(const QJsonValue &value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    AppItem item;
    const auto id = readUuid(object.value(QLatin1String("id")));
    if (!id)
        return std::nullopt;
    item.id = *id;
    if (!readRequiredString(object, QLatin1String("name"), item.name) ||
        !readRequiredString(object, QLatin1String("bundleIdentifier"), item.bundleIdentifier) ||
        !readRequiredString(object, QLatin1String("appPath"), item.appPath) ||
        !readOptionalBool(object, QLatin1String("isFolder"), item.isFolder) ||
        !readOptionalBool(object, QLatin1String("isURL"), item.isURL) ||
        !readOptionalBool(object, QLatin1String("isSubList"), item.isSubList))
        return std::nullopt;

    const QJsonValue tint = object.value(QLatin1String("folderTint"));
    if (tint.isString())
        item.folderTint = tint.toString();
    else if (!tint.isUndefined() && !tint.isNull())
        return std::nullopt;

    const QJsonValue bookmark = object.value(QLatin1String("bookmarkData"));
    if (bookmark.isString()) {
        const auto decoded = QByteArray::fromBase64Encoding(bookmark.toString().toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
        // Only canonical, padded Base64 is accepted.
        if (!decoded || decoded.decoded.toBase64() != bookmark.toString().toLatin1())
            return std::nullopt;
        item.bookmarkData = decoded.decoded;
    } else if (!bookmark.isUndefined() && !bookmark.isNull()) {
        return std::nullopt;
    }

    const QJsonValue members = object.value(QLatin1String("subItems"));
    if (!members.isUndefined() && !members.isNull()) {
        auto subItems = readItems(members);
        if (!subItems)
            return std::nullopt;
        item.subItems = std::move(*subItems);
    }
    return item;
}

std::optional<QList<AppItem>> readItems(const QJsonValue &value) {
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray array = value.toArray();
    QList<AppItem> items;
    items.reserve(array.size());
    for (const QJsonValue &element : array) {
        auto item = readItem(element);
        if (!item)
            return std::nullopt;
        items.append(std::move(*item));
    }
    return items;
}

std::optional<AppList> readList(const QJsonValue &value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    AppList list;
    const auto id = readUuid(object.value(QLatin1String("id")));
    if (!id || !readRequiredString(object, QLatin1String("name"), list.name))
        return std::nullopt;
    list.id = *id;
    auto items = readItems(object.value(QLatin1String("items")));
    if (!items)
        return std::nullopt;
    list.items = std::move(*items);

    const QJsonValue theme = object.value(QLatin1String("theme"));
    if (theme.isString()) {
        const auto parsed = listThemeFromRawValue(theme.toString());
        if (!parsed)
            return std::nullopt;
        list.theme = *parsed;
    } else if (!theme.isUndefined() && !theme.isNull()) {
        return std::nullopt;
    }

    const QJsonValue snapshot = object.value(QLatin1String("snapshot"));
    if (!snapshot.isUndefined() && !snapshot.isNull()) {
        auto items = readItems(snapshot);
        if (!items)
            return std::nullopt;
        list.snapshot = std::move(*items);
    }
    return list;
}

std::optional<QJsonArray> parseArray(const QByteArray &json) {
    if (json.size() > maxDocumentSize)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    return document.array();
}

QJsonArray writeItems(const QList<AppItem> &items);

QJsonObject writeItem(const AppItem &item) {
    QJsonObject object;
    object.insert(QLatin1String("id"), uuidString(item.id));
    object.insert(QLatin1String("name"), item.name);
    object.insert(QLatin1String("bundleIdentifier"), item.bundleIdentifier);
    object.insert(QLatin1String("appPath"), item.appPath);
    object.insert(QLatin1String("isFolder"), item.isFolder);
    object.insert(QLatin1String("isURL"), item.isURL);
    object.insert(QLatin1String("isSubList"), item.isSubList);
    if (item.folderTint)
        object.insert(QLatin1String("folderTint"), *item.folderTint);
    if (item.bookmarkData)
        object.insert(QLatin1String("bookmarkData"), QString::fromLatin1(item.bookmarkData->toBase64()));
    if (item.subItems)
        object.insert(QLatin1String("subItems"), writeItems(*item.subItems));
    return object;
}

QJsonArray writeItems(const QList<AppItem> &items) {
    QJsonArray array;
    for (const AppItem &item : items)
        array.append(writeItem(item));
    return array;
}

} // namespace

std::optional<QList<AppList>> decodeLists(const QByteArray &json) {
    const auto array = parseArray(json);
    if (!array)
        return std::nullopt;
    QList<AppList> lists;
    lists.reserve(array->size());
    for (const QJsonValue &element : *array) {
        auto list = readList(element);
        if (!list)
            return std::nullopt;
        lists.append(std::move(*list));
    }
    return lists;
}

std::optional<QList<AppItem>> decodeItems(const QByteArray &json) {
    const auto array = parseArray(json);
    if (!array)
        return std::nullopt;
    return readItems(*array);
}

QByteArray encodeLists(const QList<AppList> &lists) {
    QJsonArray array;
    for (const AppList &list : lists) {
        QJsonObject object; // QJsonObject keeps its keys sorted
        object.insert(QLatin1String("id"), uuidString(list.id));
        object.insert(QLatin1String("name"), list.name);
        object.insert(QLatin1String("items"), writeItems(list.items));
        object.insert(QLatin1String("theme"), rawValue(list.theme));
        object.insert(QLatin1String("snapshot"), writeItems(list.snapshot));
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

} // namespace ListsCodec
