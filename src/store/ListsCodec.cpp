#include "store/ListsCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ListsCodec {
namespace {

// Only the 8-4-4-4-12 form is a UUID here: no braces, no missing hyphens.
std::optional<QUuid> readUuid(const QJsonValue &value) {
    if (!value.isString())
        return std::nullopt;
    const QString text = value.toString();
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < 36; ++i) {
        const char16_t c = text[i].unicode();
        const bool hyphenPlace = i == 8 || i == 13 || i == 18 || i == 23;
        const bool isHex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (hyphenPlace ? c != u'-' : !isHex)
            return std::nullopt;
    }
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

// Item objects nest through "subItems" at any depth; the JSON parser's own nesting limit bounds the
// recursion.
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
        auto saved = readItems(snapshot);
        if (!saved)
            return std::nullopt;
        list.snapshot = std::move(*saved);
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

// The writer builds the text directly: the lists file is rewritten after every change, and this is
// several times faster than going through QJsonDocument. Keys are written in sorted order.
class Writer {
  public:
    explicit Writer(qsizetype expected) { m_out.reserve(expected); }
    QByteArray take() { return std::move(m_out); }

    void lists(const QList<AppList> &lists) {
        m_out += '[';
        bool first = true;
        for (const AppList &list : lists) {
            separator(first, 1);
            m_out += '{';
            key("id", 2, true);
            uuid(list.id);
            key("items", 2);
            items(list.items, 2);
            key("name", 2);
            string(list.name);
            key("snapshot", 2);
            items(list.snapshot, 2);
            key("theme", 2);
            string(rawValue(list.theme));
            close('}', 1);
        }
        close(']', 0, lists.isEmpty());
        m_out += '\n';
    }

  private:
    void items(const QList<AppItem> &items, int depth) {
        m_out += '[';
        bool first = true;
        for (const AppItem &item : items) {
            separator(first, depth + 1);
            this->item(item, depth + 1);
        }
        close(']', depth, items.isEmpty());
    }

    void item(const AppItem &item, int depth) {
        m_out += '{';
        key("appPath", depth + 1, true);
        string(item.appPath);
        if (item.bookmarkData) {
            key("bookmarkData", depth + 1);
            m_out += '"';
            m_out += item.bookmarkData->toBase64();
            m_out += '"';
        }
        key("bundleIdentifier", depth + 1);
        string(item.bundleIdentifier);
        if (item.folderTint) {
            key("folderTint", depth + 1);
            string(*item.folderTint);
        }
        key("id", depth + 1);
        uuid(item.id);
        key("isFolder", depth + 1);
        boolean(item.isFolder);
        key("isSubList", depth + 1);
        boolean(item.isSubList);
        key("isURL", depth + 1);
        boolean(item.isURL);
        key("name", depth + 1);
        string(item.name);
        if (item.subItems) {
            key("subItems", depth + 1);
            items(*item.subItems, depth + 1);
        }
        close('}', depth);
    }

    void indent(int depth) {
        m_out += '\n';
        m_out.append(depth * 4, ' ');
    }
    void separator(bool &first, int depth) {
        if (!first)
            m_out += ',';
        first = false;
        indent(depth);
    }
    void key(const char *name, int depth, bool first = false) {
        if (!first)
            m_out += ',';
        indent(depth);
        m_out += '"';
        m_out += name;
        m_out += "\": ";
    }
    void close(char bracket, int depth, bool empty = false) {
        if (!empty)
            indent(depth);
        m_out += bracket;
    }
    void boolean(bool value) { m_out += value ? "true" : "false"; }
    void string(const QString &text) {
        if (QStringView(text).isValidUtf16()) {
            utf8String(text.toUtf8());
            return;
        }
        // An unpaired surrogate has no UTF-8 form; its \u escape reads back as the same text.
        static const char hexDigits[] = "0123456789abcdef";
        m_out += '"';
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            const bool paired = QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                                QChar::isLowSurrogate(text[i + 1].unicode());
            if (paired) {
                ++i;
                continue;
            }
            if (!QChar::isSurrogate(c))
                continue;
            escaped(QStringView(text).mid(start, i - start).toUtf8());
            m_out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                m_out += hexDigits[(c >> shift) & 0xF];
            start = i + 1;
        }
        escaped(QStringView(text).mid(start).toUtf8());
        m_out += '"';
    }
    void uuid(const QUuid &id) {
        QByteArray text = id.toByteArray(QUuid::WithoutBraces);
        for (char &c : text)
            c = (c >= 'a' && c <= 'f') ? char(c - 'a' + 'A') : c;
        m_out += '"';
        m_out += text;
        m_out += '"';
    }
    void utf8String(const QByteArray &utf8) {
        m_out += '"';
        escaped(utf8);
        m_out += '"';
    }
    // The text of a JSON string, without the quotes.
    void escaped(const QByteArray &utf8) {
        static const char hexDigits[] = "0123456789abcdef";
        const char *run = utf8.constData();
        const char *end = run + utf8.size();
        for (const char *p = run; p != end; ++p) {
            const auto u = static_cast<unsigned char>(*p);
            if (u >= 0x20 && u != '"' && u != '\\')
                continue;
            m_out.append(run, p - run);
            run = p + 1;
            switch (u) {
            case '"':
                m_out += "\\\"";
                break;
            case '\\':
                m_out += "\\\\";
                break;
            case '\n':
                m_out += "\\n";
                break;
            case '\r':
                m_out += "\\r";
                break;
            case '\t':
                m_out += "\\t";
                break;
            case '\b':
                m_out += "\\b";
                break;
            case '\f':
                m_out += "\\f";
                break;
            default:
                m_out += "\\u00";
                m_out += hexDigits[u >> 4];
                m_out += hexDigits[u & 0xF];
            }
        }
        m_out.append(run, end - run);
    }

    QByteArray m_out;
};

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

qsizetype entryCount(const QList<AppItem> &items) {
    qsizetype count = items.size();
    for (const AppItem &item : items)
        count += item.subItems ? entryCount(*item.subItems) : 0;
    return count;
}

std::optional<QString> overLimit(const QList<AppList> &lists) {
    for (const AppList &list : lists) {
        if (entryCount(list.items) > maxEntriesPerList || entryCount(list.snapshot) > maxEntriesPerList)
            return QStringLiteral("the list \"%1\" has more than %2 entries")
                .arg(list.name.left(60))
                .arg(maxEntriesPerList);
    }
    return std::nullopt;
}

QByteArray encodeLists(const QList<AppList> &lists) {
    qsizetype expected = 64;
    for (const AppList &list : lists)
        expected += 600 * (list.items.size() + list.snapshot.size()) + 200;
    Writer writer(expected);
    writer.lists(lists);
    return writer.take();
}

} // namespace ListsCodec
