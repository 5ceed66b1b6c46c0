// Memory running out while reading ahead is set up (the blocks, the thread's
// start): no read-ahead and nothing lost, the caller reads the stream itself.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "brim_prefetch.h"
#include "brim_zifstream.h"
#include "compress_bytes.h"
#include "allocation_sweep.h"
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
    struct RUN {
        std::unique_ptr<BRIM_ZIFSTREAM> stream;
        std::unique_ptr<BRIM_PREFETCH> prefetch;
    };
    unsigned long refused = test_allocation_sweep(
        test_new_hook(), TEST_SWEEP_PLAN(),
        [&] {
            RUN run;
            run.stream = std::make_unique<BRIM_ZIFSTREAM>(bytes.data(), bytes.size(), "sweep");
            return run;
        },
        [](RUN& run) { run.prefetch = BRIM_PREFETCH::start(*run.stream); },
        [&](RUN& run, bool refused) {
            if (!refused) {
                ASSERT_NE(run.prefetch, nullptr);
                EXPECT_TRUE(read_ahead(*run.prefetch) == data);
                return;
            }
            EXPECT_EQ(run.prefetch, nullptr);
            EXPECT_TRUE(read_directly(*run.stream) == data && !run.stream->bad());
        });
    // The blocks, their step tables, the object and the thread's start.
    EXPECT_GE(refused, 5u);
}

}  // namespace
