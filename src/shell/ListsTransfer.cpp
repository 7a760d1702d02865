#include "shell/ListsTransfer.h"

#include "store/AppState.h"
#include "store/ListsCodec.h"

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
    const auto decoded = ListsCodec::decodeLists(document);
    if (!decoded || decoded->isEmpty())
        return failure(QStringLiteral("the document could not be read as an Ilvex configuration"));
    if (const auto reason = ListsCodec::overLimit(*decoded))
        return failure(QStringLiteral("the document was refused: %1").arg(*reason));
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

QByteArray importPayload(const QByteArray &document, bool append) {
    return QByteArray(1, append ? '\1' : '\0') + document;
}

InstanceReply respond(AppState &state, const InstanceMessage &message) {
    switch (message.request) {
    case InstanceRequest::exportLists:
        return exportLists(state);
    case InstanceRequest::importLists:
        if (message.payload.isEmpty())
            return failure(QStringLiteral("empty import request"));
        return importLists(state, message.payload.mid(1), message.payload.at(0) == '\1');
    default:
        return failure(QStringLiteral("unexpected request"));
    }
}

} // namespace ListsTransfer
