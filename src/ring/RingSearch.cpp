#include "ring/RingSearch.h"

#include <algorithm>

namespace {

// 0: the text starts a word, 1: it is inside one, -1: no match.
int rank(const QString &foldedName, const QString &foldedText) {
    int best = -1;
    for (qsizetype at = foldedName.indexOf(foldedText); at >= 0;
         at = foldedName.indexOf(foldedText, at + 1)) {
        if (at == 0 || !foldedName.at(at - 1).isLetterOrNumber())
            return 0;
        best = 1;
    }
    return best;
}

} // namespace

QString RingSearch::fold(const QString &text) {
    // Full case mapping first, so that ß and ẞ meet SS (and ligatures their letters) where simple
    // folding keeps them one letter.
    const QString decomposed = text.toLower().toUpper().normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category != QChar::Mark_NonSpacing && category != QChar::Mark_SpacingCombining &&
            category != QChar::Mark_Enclosing)
            folded += c;
    }
    return folded.toCaseFolded();
}

QList<RingSearch::Hit> RingSearch::find(const QList<AppItem> &shown, const QString &text, bool withMembers) {
    const QString needle = fold(text);
    QList<Hit> hits;
    if (needle.isEmpty())
        return hits;
    auto consider = [&](const AppItem &item, int slot, std::optional<QUuid> group) {
        const int r = rank(fold(item.name), needle);
        if (r >= 0)
            hits.append({item, slot, group, r == 0});
    };
    for (int slot = 0; slot < shown.size(); ++slot) {
        const AppItem &item = shown[slot];
        consider(item, slot, std::nullopt);
        if (withMembers && item.isSubList && item.subItems) {
            for (const AppItem &member : *item.subItems)
                consider(member, slot, item.id);
        }
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const Hit &a, const Hit &b) { return a.wordStart && !b.wordStart; });
    return hits;
}
