#pragma once

// The instance socket's protocol, shared by the running Ilvex, its full command line and the small
// toggle client, which uses neither Qt nor anything else beyond the C library. A message is a 32-bit
// big-endian length, then that many bytes of body; a request's body is its InstanceRequest byte and the
// request's payload.

#include <cstdint>

// What a second start of Ilvex asks the running one to do.
enum class InstanceRequest : std::uint8_t {
    openSettings = 1, // a plain start
    toggle,
    show,
    hide,
    settings,
    about,
    toggleMenuBar,
    quit,
    exportLists, // answered with the export document
    importLists, // payload: one byte (1 = append) and the document; answered with the outcome
};

namespace InstanceProtocol {

// In the per-user runtime folder ($XDG_RUNTIME_DIR).
inline constexpr char socketName[] = "ilvex.socket";
inline constexpr char lockName[] = "ilvex.lock";
inline constexpr int headerSize = 4;

// The whole message of a request without payload.
struct SimpleMessage {
    unsigned char bytes[headerSize + 1];
};
constexpr SimpleMessage simpleMessage(InstanceRequest request) {
    return {{0, 0, 0, 1, static_cast<unsigned char>(request)}};
}

} // namespace InstanceProtocol
