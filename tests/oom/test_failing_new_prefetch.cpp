// Memory running out while reading ahead is set up (the blocks, the thread's
// start): no read-ahead and nothing lost, the caller reads the stream itself.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "brim_prefetch.h"
#include "brim_zifstream.h"
#include "compress_bytes.h"
#include "failing_new.h"

namespace {

std::string read_ahead(BRIM_PREFETCH& prefetch)
{
    std::string data;
    std::vector<char> buffer(65536);
    while (std::size_t n = prefetch.read(buffer.data(), buffer.size()))
        data.append(buffer.data(), n);
    return data;
}

std::string read_directly(BRIM_ZIFSTREAM& stream)
{
    std::string data;
    std::vector<char> buffer(65536);
    while (stream.good()) {
        stream.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        data.append(buffer.data(), static_cast<std::size_t>(stream.gcount()));
    }
    return data;
}

TEST(FailingNew, ReadAheadWithoutMemoryLeavesTheStreamToTheCaller)
{
    std::string data;
    for (int i = 0; data.size() < (2u << 20); ++i)
        data += "<row><int_cell>" + std::to_string(i) + "</int_cell></row>\n";
    const std::string bytes = compress_bytes("gzip", data);
    unsigned long refused = 0;
    for (unsigned long n = 1;; ++n) {
        BRIM_ZIFSTREAM stream(bytes.data(), bytes.size(), "sweep");
        test_fail_new_after(n);
        std::unique_ptr<BRIM_PREFETCH> prefetch = BRIM_PREFETCH::start(stream);
        bool failed = test_new_failed();
        test_fail_new_after(0);
        if (!failed) {
            ASSERT_NE(prefetch, nullptr);
            EXPECT_TRUE(read_ahead(*prefetch) == data);
            break;
        }
        ++refused;
        EXPECT_EQ(prefetch, nullptr) << "allocation " << n;
        EXPECT_TRUE(read_directly(stream) == data && !stream.bad()) << "allocation " << n;
    }
    // The blocks, their step tables, the object and the thread's start.
    EXPECT_GE(refused, 5u);
}

}  // namespace
