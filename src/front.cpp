// The `ilvex` command. Desktop shortcuts and compositors run `ilvex --toggle` (and --show, --hide) as a
// new process on every key press, so this small front hands those three straight to the running Ilvex
// over its socket, without starting a GUI toolkit. Everything else, and a toggle when no Ilvex answers,
// runs the full program in this same process.
#include "shell/InstanceProtocol.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const unsigned char *bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= size_t(written);
    }
    return true;
}

// True when the running Ilvex has the request. Anything unusual (no runtime folder of ours, no socket,
// no listener yet) leaves it to the full program, which waits for a starting instance or becomes one.
bool deliver(InstanceRequest request) {
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat folder {};
    if (!runtime || runtime[0] != '/' || ::stat(runtime, &folder) != 0 || !S_ISDIR(folder.st_mode) ||
        folder.st_uid != ::getuid() || (folder.st_mode & 022) != 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const int length = std::snprintf(address.sun_path, sizeof address.sun_path, "%s/%s", runtime,
                                     InstanceProtocol::socketName);
    if (length <= 0 || size_t(length) >= sizeof address.sun_path)
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const auto message = InstanceProtocol::simpleMessage(request);
    ucred peer{};
    socklen_t size = sizeof peer;
    // Only a listener of this user hears the request.
    const bool sent = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
                      ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
                      peer.uid == ::getuid() && writeAll(fd, message.bytes, sizeof message.bytes);
    ::close(fd);
    return sent;
}

// The full program: beside this binary (the build tree), else where it is installed relative to this
// binary, else at the installation prefix.
const char *fullProgram(char *buffer, size_t size) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer, size - 1);
    if (n > 0) {
        buffer[n] = '\0';
        if (char *slash = std::strrchr(buffer, '/')) {
            const size_t room = size - size_t(slash + 1 - buffer);
            const char *const candidates[] = {ILVEX_APP_NAME, ILVEX_APP_RELATIVE};
            for (const char *candidate : candidates) {
                if (std::snprintf(slash + 1, room, "%s", candidate) < int(room) &&
                    ::access(buffer, X_OK) == 0)
                    return buffer;
            }
        }
    }
    return ILVEX_APP_PATH;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 2) {
        struct {
            const char *option;
            InstanceRequest request;
        } const fast[] = {{"--toggle", InstanceRequest::toggle},
                          {"--show", InstanceRequest::show},
                          {"--hide", InstanceRequest::hide}};
        for (const auto &entry : fast) {
            if (std::strcmp(argv[1], entry.option) == 0 && deliver(entry.request))
                return 0;
        }
    }
    char buffer[PATH_MAX];
    const char *program = fullProgram(buffer, sizeof buffer);
    ::execv(program, argv);
    std::fprintf(stderr, "ilvex: cannot run %s: %s\n", program, std::strerror(errno));
    return 127;
}
