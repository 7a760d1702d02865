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
QByteArray importPayload(const QByteArray &document, bool append);

} // namespace ListsTransfer
