// Fuzz target: the compressed input file stream alone, over the input's
// bytes in a file, read to its end in pieces of varying size.
//
// Oracles besides the sanitizers: no read extracts more than it was asked
// for; while the stream is good its position is the count of bytes it
// delivered; and an input that is no compressed format is delivered byte
// for byte as it is.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "brim_zifstream.h"
#include "fuzz_file.h"

namespace {

// Decompressed bytes read from one input at most: beyond that a bomb only
// repeats itself.
const std::size_t MAX_DELIVERED = 64u << 20;

[[noreturn]] void fail(const char* what, std::size_t at)
{
    std::fprintf(stderr, "stream check failed: %s (at byte %zu of the delivered data)\n", what, at);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static FUZZ_FILE file(".bin");
    if (!file.write(data, size))
        return 0;
    BRIM_ZIFSTREAM stream(file.path(), std::ios::in, nullptr, 12 + static_cast<int>(size % 5));
    std::vector<char> buffer(1 << 16);
    std::size_t delivered = 0;
    bool plain = std::strcmp(stream.format(), "plain") == 0;
    for (std::size_t round = 0; delivered < MAX_DELIVERED; ++round) {
        std::size_t want = size == 0 ? 4096 : 1 + (data[round % size] * 257u + round) % buffer.size();
        stream.read(buffer.data(), static_cast<std::streamsize>(want));
        std::streamsize got = stream.gcount();
        if (got < 0 || static_cast<std::size_t>(got) > want)
            fail("a read extracted more than it was asked for", delivered);
        if (plain && (delivered + static_cast<std::size_t>(got) > size ||
                      std::memcmp(buffer.data(), data + delivered, static_cast<std::size_t>(got)) != 0))
            fail("a plain input was not delivered as it is", delivered);
        delivered += static_cast<std::size_t>(got);
        if (stream.good() && stream.tellg() != static_cast<std::streamoff>(delivered))
            fail("the position is not the count of delivered bytes", delivered);
        if (!stream.good())
            break;
    }
    if (plain && stream.eof() && delivered != size)
        fail("a plain input ended early", delivered);
    (void)stream.error();
    return 0;
}
