// libFuzzer target of the instance socket's framing, which reads whatever a local client writes. The
// bytes are fed to the reader in pieces no larger than it asks for (as the server reads them), the piece
// sizes taken from the first input byte; the messages it yields must be exactly those a plain walk over
// the stream finds, and it breaks exactly where a length is zero or over the limit. Every body is then
// parsed as a request and as a reply, and a reply read back is written and read again unchanged.
#include "shell/SingleInstance.h"

#include <QtEndian>

#include <cstdint>
#include <cstdlib>

namespace {
// Small, so that the limit and the bodies on both sides of it are reached quickly.
constexpr quint32 limit = 512;

struct Walk {
    QList<QByteArray> bodies;
    bool broken = false;
};

Walk walk(const QByteArray &stream) {
    Walk result;
    qsizetype at = 0;
    while (stream.size() - at >= 4) {
        const quint32 length = qFromBigEndian<quint32>(stream.constData() + at);
        at += 4;
        if (length == 0 || length > limit) {
            result.broken = true;
            break;
        }
        if (stream.size() - at < qsizetype(length))
            break;
        result.bodies.append(stream.mid(at, length));
        at += length;
    }
    return result;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 1)
        return 0;
    const qsizetype piece = 1 + data[0] % 64;
    const QByteArray stream(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
    FrameReader reader(limit);
    QList<QByteArray> bodies;
    qsizetype at = 0;
    while (at < stream.size() && !reader.broken()) {
        const qsizetype take = std::min({reader.wanted(), piece, stream.size() - at});
        if (take <= 0)
            std::abort(); // a reader that is not broken always wants more
        if (const auto body = reader.feed(stream.mid(at, take)))
            bodies.append(*body);
        at += take;
        if (reader.buffered() > qsizetype(limit))
            std::abort();
    }
    const Walk expected = walk(stream);
    if (bodies != expected.bodies || reader.broken() != expected.broken)
        std::abort();
    for (const QByteArray &body : std::as_const(bodies)) {
        (void)SingleInstance::parse(body);
        if (const auto reply = InstanceReply::decode(body)) {
            const auto again = InstanceReply::decode(reply->encode());
            if (!again || again->exitCode != reply->exitCode || again->output != reply->output ||
                again->error != reply->error)
                std::abort();
        }
    }
    return 0;
}
