#include "ring/RingSearch.h"

#include <gtest/gtest.h>

namespace {

AppItem entry(const QString &name, QList<AppItem> members = {}, bool group = false) {
    AppItem item;
    item.id = QUuid::createUuid();
    item.name = name;
    item.isSubList = group || !members.isEmpty();
    if (item.isSubList)
        item.subItems = members;
    return item;
}

QStringList names(const QList<RingSearch::Hit> &hits) {
    QStringList out;
    for (const RingSearch::Hit &hit : hits)
        out << hit.item.name + u'@' + QString::number(hit.slot) +
                   (hit.groupID ? QStringLiteral("g") : QString());
    return out;
}

TEST(RingSearch, RanksWordStartsBeforeInnerMatchesInSlotOrderIgnoringCaseAndAccents) {
    const QList<AppItem> ring{entry(QStringLiteral("Terminal")),
                              entry(QStringLiteral("Éditeur de texte")),
                              entry(QStringLiteral("Office"),
                                    {entry(QStringLiteral("Writer")), entry(QStringLiteral("Café Notes"))}),
                              entry(QStringLiteral("Notes")),
                              entry(QStringLiteral("Empty"), {}, true),
                              entry(QStringLiteral("Mail"))};
    const struct {
        const char *text;
        bool members;
        QStringList expected;
    } cases[] = {
        {"", true, {}},
        {"zzz", true, {}},
        {"TERM", true, {"Terminal@0"}},
        // Accents on either side do not count; "te" starts "texte" and "Terminal", and is inside "Notes".
        {"edi", true, {"Éditeur de texte@1"}},
        {"cafe", true, {"Café Notes@2g"}},
        {"te", true, {"Terminal@0", "Éditeur de texte@1", "Writer@2g", "Café Notes@2g", "Notes@3"}},
        {"not", true, {"Café Notes@2g", "Notes@3"}},
        {"not", false, {"Notes@3"}},
        // A later word start goes before an earlier inner match.
        {"E",
         true,
         {"Éditeur de texte@1", "Empty@4", "Terminal@0", "Office@2", "Writer@2g", "Café Notes@2g",
          "Notes@3"}},
    };
    for (const auto &c : cases) {
        const auto hits = RingSearch::find(ring, QString::fromUtf8(c.text), c.members);
        EXPECT_EQ(names(hits), c.expected) << c.text;
    }
}

} // namespace
