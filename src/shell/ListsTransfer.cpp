#include "shell/ListsTransfer.h"

#include "store/AppState.h"
#include "store/ListsDocument.h"

#include <QDeadlineTimer>
#include <QtEndian>

namespace ListsTransfer {
namespace {
InstanceReply failure(const QString &error) {
    return InstanceReply{1, {}, error};
}
} // namespace

InstanceReply exportLists(AppState &state) {
    state.takeOutsideChange(); // a sync tool's change not yet settled is what the user expects
    const auto data = state.exportListsData();
    if (!data)
        return failure(QStringLiteral("could not encode the lists"));
    return InstanceReply{0, *data, {}};
}

InstanceReply importLists(AppState &state, const QByteArray &document, bool append) {
    state.takeOutsideChange(); // appended to, or replaced, with a backup kept either way
    if (const auto decoded = ListsDocument::decode(document); !decoded.lists)
        return failure(QStringLiteral("the document ") + decoded.refusal);
    if (append && state.lists().size() >= AppState::maxLists)
        return failure(QStringLiteral("no free place: Ilvex already has %1 lists").arg(AppState::maxLists));
    if (!state.importLists(document, append)) {
        // A failed save puts the lists back as they were: nothing of the document is kept.
        if (!state.lastChangeSaved())
            return failure(QStringLiteral("could not write %1: %2; nothing was imported")
                               .arg(state.listsFilePath(), state.lastSaveError()));
        return failure(QStringLiteral("the lists could not be imported"));
    }
    return InstanceReply{0, {}, {}};
}

// The first byte: 1 = append, 2 = the deadline's 8 bytes (big-endian nanoseconds) follow.
QByteArray importPayload(const QByteArray &document, bool append, qint64 notAfterNs) {
    QByteArray payload(1, char((append ? 1 : 0) | (notAfterNs ? 2 : 0)));
    if (notAfterNs) {
        QByteArray deadline(8, '\0');
        qToBigEndian<qint64>(notAfterNs, deadline.data());
        payload += deadline;
    }
    return payload + document;
}

InstanceReply respond(AppState &state, const InstanceMessage &message) {
    switch (message.request) {
    case InstanceRequest::exportLists:
        return exportLists(state);
    case InstanceRequest::importLists: {
        if (message.payload.isEmpty())
            return failure(QStringLiteral("empty import request"));
        const char flags = message.payload.at(0);
        qsizetype start = 1;
        if (flags & 2) {
            if (message.payload.size() < 9)
                return failure(QStringLiteral("empty import request"));
            const qint64 notAfter = qFromBigEndian<qint64>(message.payload.constData() + 1);
            if (QDeadlineTimer::current().deadlineNSecs() > notAfter)
                return failure(QStringLiteral("the request came too late; nothing was imported"));
            start = 9;
        }
        return importLists(state, message.payload.mid(start), flags & 1);
    }
    default:
        return failure(QStringLiteral("unexpected request"));
    }
}

} // namespace ListsTransfer
