#include "store/ListsCodec.h"
#include "support/Entries.h"
#include "support/QtPrinters.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QString listID = "0F8FAD5B-D9CB-469F-A165-70867728950E",
              itemID = "7C9E6679-7425-40DE-944B-E07FC1F90AE7";

QByteArray oneList(const QString &listExtra, const QString &itemExtra = {}) {
    return QStringLiteral(R"([{"id": "%1", "name": "Apps", "items": [{"id": "%2", "name": "Terminal",
        "bundleIdentifier": "org.gnome.Terminal", "appPath": "/usr/share/a.desktop" %4}] %3}])")
        .arg(listID, itemID, listExtra, itemExtra)
        .toUtf8();
}

TEST(Hex, ParsesTintsAndReadsWhatItCannotAsBlackOrItsLastDigits) {
    // Text, then the colour it reads as; "_" stands for a blank.
    for (const QString &row :
         QString("#3B82F6 3B82F6; 3B82F6 3B82F6; __#EF4444__ EF4444; 0xEC4899 EC4899; # 0; "
                 "zzz 0; #FFF 000FFF; #12G456 000012; #AABBCCDD BBCCDD")
             .split(u';')) {
        const QStringList w = row.split(u' ', Qt::SkipEmptyParts);
        EXPECT_EQ(hex(QString(w[0]).replace(u'_', u' ')).rgba(), 0xFF000000 | w[1].toUInt(nullptr, 16))
            << row.toStdString();
    }
}

// Absent and null optionals read as their defaults, unknown keys are ignored, and the writer always
// writes the keys every reader expects.
TEST(ListsCodec, OptionalsReadAsDefaultsAndTheAlwaysKeysAreWritten) {
    const auto lists = ListsCodec::decodeLists(oneList(
        R"(, "theme": null, "snapshot": null, "colour": 3)",
        R"(, "isFolder": null, "folderTint": null, "bookmarkData": null, "subItems": null, "x": {"a": [1]})"));
    ASSERT_TRUE(lists && lists->size() == 1);
    EXPECT_TRUE(lists->first().theme == ListTheme::blue && lists->first().snapshot.isEmpty());
    const AppItem &item = lists->first().items.first();
    EXPECT_FALSE(item.isFolder || item.isURL || item.isSubList || item.folderTint || item.bookmarkData ||
                 item.subItems);

    const QJsonObject written =
        QJsonDocument::fromJson(ListsCodec::encodeLists(*lists)).array()[0].toObject();
    EXPECT_TRUE(written.value("theme") == "blue" && written.value("snapshot").isArray());
    const QJsonObject writtenItem = written.value("items").toArray()[0].toObject();
    for (const char *key : {"isFolder", "isURL", "isSubList"})
        EXPECT_EQ(writtenItem.value(key), QJsonValue(false)) << key;
    for (const char *key : {"folderTint", "bookmarkData", "subItems"})
        EXPECT_FALSE(writtenItem.contains(key)) << key;
}

TEST(ListsCodec, AnyMalformedValueMakesTheWholeDocumentUnreadable) {
    QList<QByteArray> rows{"this is not json", "{}", "[1, 2]", oneList({}).chopped(3)};
    for (const char *list : {R"(, "theme": "Blue")", R"(, "theme": 1)", R"(, "snapshot": {})"})
        rows.append(oneList(list));
    for (const char *item : {R"(, "isFolder": 1)", R"(, "isURL": "true")", R"(, "folderTint": 255)",
                             R"(, "bookmarkData": "a*b")", R"(, "bookmarkData": "QUJD RA")" /* unpadded */,
                             R"(, "subItems": "none")", R"(, "subItems": [{"name": "x"}])"})
        rows.append(oneList({}, item));
    const QString id = '"' + listID + '"';
    for (const QString &rest :
         QStringList{id + R"(, "name": "A")", id + R"(, "name": null, "items": [])",
                     R"("{0F8FAD5B-D9CB-469F-A165-70867728950E}", "name": "A", "items": [])",
                     R"("0F8FAD5B-D9CB-469F-A165-70867728950", "name": "A", "items": [])",
                     R"(7, "name": "A", "items": [])"})
        rows.append(R"([{"id": )" + rest.toUtf8() + "}]");
    for (const QByteArray &document : rows)
        EXPECT_FALSE(ListsCodec::decodeLists(document)) << document.constData();
}

// Any text comes back exactly, unpaired surrogates too (an imported "\ud800" gives one; they have no
// UTF-8 form), in valid JSON with sorted pretty keys, upper-case ids and base64 bookmarks.
TEST(ListsCodec, AnyTextSurvivesTheWriterAsSortedValidJson) {
    const QString texts[] = {
        "quote \" backslash \\ slash /",
        "tab\tnewline\ncarriage\rbell\x07 nul" + QString(QChar(0)) + "end",
        QChar(0xDC00) + QString("🌐") + QChar(0xD83D),
        QString(QChar(0xDBFF)) + QChar(0xDBFF) + "\"" + QChar(0xDFFF),
        QString(),
    };
    for (const QString &text : texts) {
        AppItem member = entries::app(text);
        member.id = QUuid::fromString(itemID.toLower());
        member.appPath = member.bundleIdentifier = text;
        member.bookmarkData = QByteArray("\x00\xff\x10 bookmark", 12);
        AppItem group = entries::group(text, {member}, text);
        group.bookmarkData = member.bookmarkData;
        const AppItem empty = entries::group(text, {});
        const QList<AppList> lists{
            AppList{QUuid::createUuid(), text, {group, empty}, ListTheme::teal, {group}}};
        const QByteArray encoded = ListsCodec::encodeLists(lists); // read back by the strict JSON parser
        EXPECT_EQ(ListsCodec::decodeLists(encoded), lists) << encoded.constData();
        EXPECT_TRUE(encoded.contains("\"id\": \"" + itemID.toLatin1() + '"') &&
                    encoded.contains("\n        ") && encoded.contains("\"subItems\": []") &&
                    encoded.contains("\"AP8QIGJvb2ttYXJr\""));
        const QByteArray keys = encoded.mid(encoded.indexOf("\"items\"")); // its keys come first
        QList<qsizetype> at;
        for (const char *key : {"appPath", "bookmarkData", "bundleIdentifier", "folderTint", "id", "isFolder",
                                "isSubList", "isURL", "name", "subItems"})
            at.append(keys.indexOf('"' + QByteArray(key) + '"'));
        EXPECT_TRUE(at[0] >= 0 && std::is_sorted(at.begin(), at.end())) << encoded.constData();
    }
    EXPECT_EQ(ListsCodec::encodeLists({}), "[]\n");
}

TEST(ListsCodec, ReadsMembersAtAnyDepthAndSurvivesHostileNesting) {
    QString nested =
        QStringLiteral(R"({"id": "%1", "name": "leaf", "bundleIdentifier": "", "appPath": ""})").arg(itemID);
    for (int depth = 0; depth < 100; ++depth)
        nested = QStringLiteral(R"({"id": "%1", "name": "g", "bundleIdentifier": "", "appPath": "",
                                    "isSubList": true, "subItems": [%2]})")
                     .arg(itemID, nested);
    EXPECT_TRUE(ListsCodec::decodeLists(
        QStringLiteral(R"([{"id": "%1", "name": "A", "items": [%2]}])").arg(listID, nested).toUtf8()));
    // (The store's start reads a hostile list document.)
    EXPECT_FALSE(ListsCodec::decodeItems(QByteArray(200000, '[') + QByteArray(200000, ']')));
}

} // namespace
