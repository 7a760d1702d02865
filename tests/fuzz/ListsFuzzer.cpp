// libFuzzer target of the decoder that reads the lists file and imported documents (built with
// -DILVEX_FUZZ=ON and clang; scripts/fuzz.sh runs it). Whatever the bytes, decoding never crashes, and
// lists that were read can be written and read again, unchanged after the first rewrite.
#include "store/ListsCodec.h"
#include "store/UniqueIDs.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)ListsCodec::decodeItems(bytes);
    auto lists = ListsCodec::decodeLists(bytes);
    if (!lists)
        return 0;
    // Text the JSON reader let through but UTF-8 cannot carry (lone surrogates) changes once, at the first
    // rewrite; after that the document is a fixed point.
    const QByteArray written = ListsCodec::encodeLists(*lists);
    const auto reread = ListsCodec::decodeLists(written);
    if (!reread || ListsCodec::encodeLists(*reread) != written)
        std::abort();
    UniqueIDs::renewRepeated(*lists);
    auto renewed = ListsCodec::decodeLists(ListsCodec::encodeLists(*lists));
    if (!renewed || UniqueIDs::renewRepeated(*renewed))
        std::abort(); // renewed ids are unique: a second pass finds nothing to renew
    return 0;
}
