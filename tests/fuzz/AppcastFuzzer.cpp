// libFuzzer target of the appcast reader, which reads whatever the update feed's server sends. Whatever
// the bytes, reading never crashes, and a release it finds has a version and opens nothing but a web page.
#include "shell/UpdateChecker.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray body = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto release = Appcast::newestRelease(body);
    if (!release)
        return 0;
    if (release->version.isEmpty())
        std::abort();
    const QString scheme = release->page.scheme();
    if (!release->page.isEmpty() && scheme != u"https" && scheme != u"http")
        std::abort();
    // Versions compare as an order on whatever a feed names: the two ways round disagree, and a release
    // is never newer than itself.
    if (Appcast::compareVersions(release->version, release->shortVersion) !=
            -Appcast::compareVersions(release->shortVersion, release->version) ||
        Appcast::isNewer(*release, release->displayVersion(), release->version))
        std::abort();
    return 0;
}
