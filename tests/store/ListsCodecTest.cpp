#include "store/ListsCodec.h"
#include "support/QtPrinters.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <random>

namespace {

const char *const listID = "0F8FAD5B-D9CB-469F-A165-70867728950E";
const char *const itemID = "7C9E6679-7425-40DE-944B-E07FC1F90AE7";

QByteArray oneList(const QString &listExtra, const QString &itemExtra = {}) {
    return QStringLiteral(R"([{"id": "%1", "name": "Apps", "items": [
        {"id": "%2", "name": "Terminal", "bundleIdentifier": "org.gnome.Terminal",
         "appPath": "/usr/share/applications/org.gnome.Terminal.desktop" %4}] %3}])")
        .arg(QLatin1String(listID), QLatin1String(itemID), listExtra, itemExtra)
        .toUtf8();
}

QJsonObject firstList(const QByteArray &encoded) {
    return QJsonDocument::fromJson(encoded).array()[0].toObject();
}

TEST(ListsCodec, MinimalObjectsReadWithDefaultsAndWriteEveryAlwaysKey) {
    const auto lists = ListsCodec::decodeLists(oneList({}));
    ASSERT_TRUE(lists);
    ASSERT_EQ(lists->size(), 1);
    const AppList &list = lists->first();
    EXPECT_EQ(list.theme, ListTheme::blue);
    EXPECT_TRUE(list.snapshot.isEmpty());
    const AppItem &item = list.items.first();
    EXPECT_FALSE(item.isFolder || item.isURL || item.isSubList);
    EXPECT_FALSE(item.folderTint || item.bookmarkData || item.subItems);

    const QJsonObject written = firstList(ListsCodec::encodeLists(*lists));
    EXPECT_EQ(written.value(QLatin1String("theme")).toString(), QStringLiteral("blue"));
    EXPECT_TRUE(written.value(QLatin1String("snapshot")).isArray());
    const QJsonObject writtenItem = written.value(QLatin1String("items")).toArray()[0].toObject();
    for (const char *key : {"isFolder", "isURL", "isSubList"})
        EXPECT_EQ(writtenItem.value(QLatin1String(key)), QJsonValue(false)) << key;
    for (const char *key : {"folderTint", "bookmarkData", "subItems"})
        EXPECT_FALSE(writtenItem.contains(QLatin1String(key))) << key;
}

TEST(ListsCodec, NullOptionalsReadAsAbsentAndUnknownKeysAreIgnored) {
    const auto lists = ListsCodec::decodeLists(
        oneList(QStringLiteral(R"(, "theme": null, "snapshot": null, "colour": 3)"),
                QStringLiteral(R"(, "isFolder": null, "folderTint": null, "bookmarkData": null,
                                  "subItems": null, "extra": {"a": [1, 2]})")));
    ASSERT_TRUE(lists);
    EXPECT_EQ(lists->first().theme, ListTheme::blue);
    EXPECT_FALSE(lists->first().items.first().subItems);
    EXPECT_FALSE(lists->first().items.first().folderTint);
}

TEST(ListsCodec, AnyMalformedValueMakesTheWholeDocumentUnreadable) {
    struct Case {
        const char *what;
        QByteArray document;
    };
    const Case cases[] = {
        {"not JSON", "this is not json"},
        {"an object at the top", "{}"},
        {"an array of numbers", "[1, 2]"},
        {"a truncated document", oneList({}).chopped(3)},
        {"an unknown theme", oneList(QStringLiteral(R"(, "theme": "Blue")"))},
        {"a theme of the wrong type", oneList(QStringLiteral(R"(, "theme": 1)"))},
        {"a snapshot that is not an array", oneList(QStringLiteral(R"(, "snapshot": {})"))},
        {"a boolean written as a number", oneList({}, QStringLiteral(R"(, "isFolder": 1)"))},
        {"a boolean written as a string", oneList({}, QStringLiteral(R"(, "isURL": "true")"))},
        {"a tint that is not a string", oneList({}, QStringLiteral(R"(, "folderTint": 255)"))},
        {"bookmark bytes that are not Base64", oneList({}, QStringLiteral(R"(, "bookmarkData": "a*b")"))},
        {"unpadded Base64", oneList({}, QStringLiteral(R"(, "bookmarkData": "QUJD RA")"))},
        {"members that are not an array", oneList({}, QStringLiteral(R"(, "subItems": "none")"))},
        {"a member with no id", oneList({}, QStringLiteral(R"(, "subItems": [{"name": "x"}])"))},
        {"a list without items",
         QStringLiteral(R"([{"id": "%1", "name": "A"}])").arg(QLatin1String(listID)).toUtf8()},
        {"a null name",
         QStringLiteral(R"([{"id": "%1", "name": null, "items": []}])").arg(QLatin1String(listID)).toUtf8()},
        {"a UUID in braces",
         R"([{"id": "{0F8FAD5B-D9CB-469F-A165-70867728950E}", "name": "A", "items": []}])"},
        {"a UUID without hyphens",
         R"([{"id": "0F8FAD5BD9CB469FA16570867728950E", "name": "A", "items": []}])"},
        {"a short UUID", R"([{"id": "0F8FAD5B-D9CB-469F-A165-70867728950", "name": "A", "items": []}])"},
        {"a UUID as a number", R"([{"id": 7, "name": "A", "items": []}])"},
    };
    for (const Case &c : cases)
        EXPECT_FALSE(ListsCodec::decodeLists(c.document)) << c.what;
}

TEST(ListsCodec, WritesSortedPrettyKeysUpperCaseUuidsAndBase64) {
    AppItem member;
    member.id = QUuid::fromString(QStringLiteral("7c9e6679-7425-40de-944b-e07fc1f90ae7"));
    member.name = QStringLiteral("Notes");
    member.appPath = QStringLiteral("/home/u/Notes/a b.txt");
    member.bookmarkData = QByteArray("\x00\xff\x10 bookmark", 12);
    AppItem group;
    group.id = QUuid::createUuid();
    group.name = QStringLiteral("Work");
    group.isSubList = true;
    group.folderTint = QStringLiteral("#22C55E");
    group.subItems = QList<AppItem>{member};
    AppItem emptyGroup = group;
    emptyGroup.id = QUuid::createUuid();
    emptyGroup.subItems = QList<AppItem>{};
    const QList<AppList> lists{AppList{
        QUuid::createUuid(), QStringLiteral("Ünïcode ✓"), {group, emptyGroup}, ListTheme::teal, {group}}};

    const QByteArray encoded = ListsCodec::encodeLists(lists);
    EXPECT_TRUE(encoded.contains("\"id\": \"7C9E6679-7425-40DE-944B-E07FC1F90AE7\"")) << encoded.constData();
    EXPECT_TRUE(encoded.contains("\n        ")) << "pretty-printed";
    EXPECT_TRUE(encoded.contains("\"subItems\": []")) << "a group with no members writes an empty array";
    const QList<QByteArray> keyOrder{"\"appPath\"",  "\"bundleIdentifier\"", "\"folderTint\"", "\"id\"",
                                     "\"isFolder\"", "\"isSubList\"",        "\"isURL\"",      "\"name\"",
                                     "\"subItems\""};
    qsizetype last = -1;
    const qsizetype groupStart = encoded.indexOf("\"items\"");
    for (const QByteArray &key : keyOrder) {
        const qsizetype at = encoded.indexOf(key, groupStart);
        EXPECT_GT(at, last) << key.constData();
        last = at;
    }
    const auto decoded = ListsCodec::decodeLists(encoded);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, lists);
}

TEST(ListsCodec, AnyTextSurvivesTheWriterAsValidJson) {
    const QString texts[] = {
        QStringLiteral("quote \" backslash \\ slash /"),
        QStringLiteral("tab\tnewline\ncarriage\rbell\x07 nul") + QChar(0) + QStringLiteral("end"),
        QStringLiteral("日本語 — emoji 🌐 «guillemets»\u00a0nbsp"),
        // Unpaired surrogates (an imported "\ud800" gives one) have no UTF-8 form.
        QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b"),
        QChar(0xDC00) + QStringLiteral("🌐") + QChar(0xD83D),
        QString(QChar(0xDBFF)) + QChar(0xDBFF) + QStringLiteral("\"") + QChar(0xDFFF),
        QString(),
    };
    for (const QString &text : texts) {
        AppItem item;
        item.id = QUuid::createUuid();
        item.name = text;
        item.appPath = text;
        item.bundleIdentifier = text;
        item.folderTint = text;
        const QList<AppList> lists{AppList{QUuid::createUuid(), text, {item}, ListTheme::red, {item}}};
        const QByteArray encoded = ListsCodec::encodeLists(lists);
        QJsonParseError error;
        QJsonDocument::fromJson(encoded, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << encoded.constData();
        EXPECT_EQ(ListsCodec::decodeLists(encoded), lists) << encoded.constData();
    }
    EXPECT_EQ(ListsCodec::encodeLists({}), "[]\n");
}

TEST(ListsCodec, ReadsMembersAtAnyDepthAndSurvivesHostileNesting) {
    QString nested = QStringLiteral(R"({"id": "%1", "name": "leaf", "bundleIdentifier": "", "appPath": ""})")
                         .arg(QLatin1String(itemID));
    for (int depth = 0; depth < 100; ++depth) {
        nested = QStringLiteral(R"({"id": "%1", "name": "g", "bundleIdentifier": "", "appPath": "",
                                    "isSubList": true, "subItems": [%2]})")
                     .arg(QLatin1String(itemID), nested);
    }
    const QByteArray deep = QStringLiteral(R"([{"id": "%1", "name": "A", "items": [%2]}])")
                                .arg(QLatin1String(listID), nested)
                                .toUtf8();
    EXPECT_TRUE(ListsCodec::decodeLists(deep));

    const QByteArray hostile = QByteArray(200000, '[') + QByteArray(200000, ']');
    EXPECT_FALSE(ListsCodec::decodeLists(hostile));
    EXPECT_FALSE(ListsCodec::decodeItems(hostile));
}

} // namespace
