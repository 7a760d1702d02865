// Cost of filtering a full ring of 24 entries (four of them groups of six, so 48 names in all) for one
// keystroke of type to find, for texts of growing length. The goal is under 1 ms a keystroke.
#include "ring/RingSearch.h"
#include "support/Entries.h"

#include <QElapsedTimer>

#include <cstdio>

int main() {
    const QStringList words =
        QStringLiteral("Éditeur Terminal Navigateur Café Musique Calendrier").split(u' ');
    QList<AppItem> ring;
    for (int i = 0; i < 24; ++i) {
        const QString name = words[i % words.size()] + QStringLiteral(" Ñumero %1").arg(i);
        QList<AppItem> members;
        for (int m = 0; i % 6 == 5 && m < 6; ++m)
            members.append(entries::app(words[(i + m) % words.size()] + QStringLiteral(" membre %1").arg(m)));
        ring.append(i % 6 == 5 ? entries::group(name, members) : entries::app(name));
    }
    const QString typed = QStringLiteral("numero 2");
    constexpr int rounds = 2000;
    std::printf("ring_search: 24 entries + 24 group members, %d rounds per text length\n", rounds);
    double worst = 0;
    for (qsizetype length = 1; length <= typed.size(); ++length) {
        const QString text = typed.left(length);
        qsizetype hits = 0;
        QElapsedTimer timer;
        timer.start();
        for (int r = 0; r < rounds; ++r)
            hits += RingSearch::find(ring, text, true).size();
        const double microseconds = timer.nsecsElapsed() / 1000.0 / rounds;
        worst = std::max(worst, microseconds);
        std::printf("  \"%s\": %.1f µs per keystroke (%lld hits)\n", qPrintable(text), microseconds,
                    static_cast<long long>(hits / rounds));
    }
    std::printf("worst: %.1f µs per keystroke (goal < 1000 µs)\n", worst);
    return 0;
}
