// The preferences file's text, written as QSettings' INI format reads it back: files written by either
// load in both.
#include "settings/Preferences.h"

#include <QDataStream>
#include <QLocale>
#include <QMap>

#include <algorithm>

namespace {
constexpr char hexDigits[] = "0123456789ABCDEF";

bool isAsciiAlnum(char16_t ch) {
    return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') || (ch >= u'0' && ch <= u'9');
}

void appendHex(QByteArray &out, uint value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += hexDigits[(value >> shift) & 0xF];
}

// A key or a section name: "/" is written "\", anything but letters, digits and "_-." as %XX or %UXXXX.
void appendKey(QByteArray &out, QStringView key) {
    for (const QChar c : key) {
        const char16_t ch = c.unicode();
        if (ch == u'/') {
            out += '\\';
        } else if (isAsciiAlnum(ch) || ch == u'_' || ch == u'-' || ch == u'.') {
            out += char(ch);
        } else if (ch <= 0xFF) {
            out += '%';
            appendHex(out, ch, 2);
        } else {
            out += "%U";
            appendHex(out, ch, 4);
        }
    }
}

// A text as it is: bare when it holds nothing the reader would parse, else quoted, with quotes,
// backslashes, control characters and everything outside ASCII escaped (\xXXXX). The reader takes every
// hex digit after \x, so a digit that follows an escape is escaped too.
void appendText(QByteArray &out, const QString &text) {
    const bool bare = !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t ch = c.unicode();
        return isAsciiAlnum(ch) || ch == u'_' || ch == u'-' || ch == u'.' || ch == u'+' || ch == u':' ||
               ch == u'/' || ch == u'@';
    });
    if (bare) {
        out += text.toLatin1();
        return;
    }
    out += '"';
    bool afterEscape = false;
    for (const QChar c : text) {
        const char16_t ch = c.unicode();
        const bool hexDigit =
            (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'f') || (ch >= u'A' && ch <= u'F');
        if (ch < 0x20 || ch >= 0x7F || (afterEscape && hexDigit)) {
            out += "\\x";
            appendHex(out, ch, 4);
            afterEscape = true;
            continue;
        }
        if (ch == u'"' || ch == u'\\')
            out += '\\';
        out += char(ch);
        afterEscape = false;
    }
    out += '"';
}

// One value as QSettings spells it before escaping: "@" doubled at the start of a text, bytes as
// @ByteArray(…), other types as @Variant(…) of their data stream.
QString spelled(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QStringLiteral("@Invalid()");
    case QMetaType::QString: {
        const QString text = value.toString();
        return text.startsWith(u'@') ? u'@' + text : text;
    }
    case QMetaType::QByteArray:
        return QStringLiteral("@ByteArray(") + QString::fromLatin1(value.toByteArray()) + u')';
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toString();
    default: {
        QByteArray stream;
        QDataStream out(&stream, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_0);
        out << value;
        return QStringLiteral("@Variant(") + QString::fromLatin1(stream) + u')';
    }
    }
}

void appendValue(QByteArray &out, const QVariant &value) {
    const bool list = value.typeId() == QMetaType::QStringList ||
                      (value.typeId() == QMetaType::QVariantList && value.toList().size() != 1);
    if (!list) {
        const QVariant single =
            value.typeId() == QMetaType::QVariantList ? value.toList().constFirst() : value;
        appendText(out, spelled(single));
        return;
    }
    const QVariantList items = value.toList();
    if (items.isEmpty())
        out += "@Invalid()"; // an empty list; QVariant() reads as one
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ", ";
        appendText(out, spelled(items[i]));
    }
}
} // namespace

QByteArray Preferences::iniText(const QVariantMap &values) {
    // Section by section: a key without "/" is in [General]; "a/b/c" is "b\c" in [a].
    QMap<QString, QList<QPair<QString, QVariant>>> sections;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        sections[slash < 0 ? QString() : it.key().left(slash)].append(
            {slash < 0 ? it.key() : it.key().mid(slash + 1), it.value()});
    }
    QByteArray out;
    for (auto section = sections.cbegin(); section != sections.cend(); ++section) {
        if (!out.isEmpty())
            out += '\n';
        out += '[';
        if (section.key().isEmpty())
            out += "General";
        else if (section.key().compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
            out += '%' + section.key().toLatin1(); // the group "General", not the top level
        else
            appendKey(out, section.key());
        out += "]\n";
        for (const auto &[key, value] : section.value()) {
            appendKey(out, key);
            out += '=';
            appendValue(out, value);
            out += '\n';
        }
    }
    return out;
}
