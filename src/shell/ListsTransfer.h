#pragma once

#include "shell/SingleInstance.h"

class AppState;

// Export and import of all lists for the command line, done on a store that is already running: the
// one of the running Ilvex (asked over the instance socket), or one built for the command alone.
namespace ListsTransfer {

InstanceReply exportLists(AppState &state);
// Both first take in a change of the lists file made from outside that has not settled yet.
// Refuses unreadable documents and a full store before anything changes; reports a save that did not
// reach the disk as a failure.
InstanceReply importLists(AppState &state, const QByteArray &document, bool append);

// The running instance's answer to exportLists and importLists requests.
InstanceReply respond(AppState &state, const InstanceMessage &message);
// An import request carries the moment (monotonic clock, shared by all processes) after which it must
// not be carried out: the command has given up waiting by then and told the user nothing was imported.
// An instance stopped or busy until later refuses it instead of taking it in behind the user's back.
QByteArray importPayload(const QByteArray &document, bool append, qint64 notAfterNs = 0);
// How long before the command gives up an import must have started.
inline constexpr qint64 importMarginMs = 10000;

} // namespace ListsTransfer
