// Reading a compressed stream ahead on a thread of its own: the reader gets
// exactly the bytes and input positions the stream gives when read
// directly, damage only after every byte before it and with the stream's
// own words, and the thread ends wherever the reader stops. Without a
// thread nothing is read ahead and the stream is left as it was.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <random>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "brim_prefetch.h"
#include "brim_zifstream.h"
#include "compress_bytes.h"
#include "support_fixtures.h"
#include "thread_checks.h"

namespace {

// Text that compresses well yet does not repeat in short cycles, with a
// stretch of bytes that do not compress, so that the input spans many
// blocks of the stream.
std::string sample_data(std::size_t size, unsigned seed)
{
    static const char* const words[] = {"<row>", "</cell>", "u_core/u_alu", "12.345", "\n", "  ", "\xC3\xA9t\xC3\xA9"};
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < size * 3 / 4)
        text += words[random() % 7] + std::to_string(random() % 1000);
    while (text.size() < size)
        text += static_cast<char>(random());
    return text.substr(0, size);
}

struct SAMPLE {
    std::string format;
    std::string data;
    std::string bytes;  // compressed
    std::string path;   // a file holding them
};

// The same 3 MB in each compressed format, made once.
const std::vector<SAMPLE>& samples()
{
    static const std::vector<SAMPLE> made = [] {
        std::vector<SAMPLE> all;
        std::string data = sample_data(3 << 20, 11);
        for (const char* format : COMPRESSED_FORMATS) {
            std::string bytes = compress_bytes(format, data);
            all.push_back(SAMPLE{format, data, bytes, support_temp_file(std::string("sample.") + format, bytes)});
        }
        return all;
    }();
    return made;
}

std::unique_ptr<BRIM_ZIFSTREAM> open_stream(const std::string& bytes, const std::string& path, bool memory)
{
    if (memory)
        return std::make_unique<BRIM_ZIFSTREAM>(bytes.data(), bytes.size(), path.c_str());
    return std::make_unique<BRIM_ZIFSTREAM>(path.c_str(), std::ios::in, nullptr, 16);
}

// Reads the stream directly to where it ends or fails, in reads of `chunk`.
std::string read_directly(BRIM_ZIFSTREAM& in, std::size_t chunk)
{
    std::string data;
    std::vector<char> buffer(chunk);
    while (!(in.rdstate() & (std::ios::failbit | std::ios::badbit))) {
        in.read(buffer.data(), static_cast<std::streamsize>(chunk));
        data.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
    }
    return data;
}

// Reads ahead to the end in reads of `chunk`.
std::string read_ahead(BRIM_PREFETCH& prefetch, std::size_t chunk)
{
    std::string data;
    std::vector<char> buffer(chunk);
    while (std::size_t n = prefetch.read(buffer.data(), chunk))
        data.append(buffer.data(), n);
    return data;
}

// The signals blocked in thread `tid` of this process, bit n - 1 for signal n.
unsigned long long blocked_signals(const std::string& tid)
{
    std::ifstream status("/proc/self/task/" + tid + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigBlk:", 0) == 0)
            return std::stoull(line.substr(7), nullptr, 16);
    }
    return ~0ull;
}

std::set<std::string> thread_ids()
{
    std::set<std::string> ids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ids.insert(entry.path().filename().string());
    return ids;
}

}  // namespace

TEST(PrefetchTest, HandsOutTheStreamsBytesAndInputPositionsInOrder)
{
    // Reads smaller than a step, of a step, and of several blocks, from a
    // file and from memory. Read in steps, the input position is the one the
    // stream itself gives after the same read; in other reads it only grows.
    for (const SAMPLE& sample : samples()) {
        for (bool memory : {false, true}) {
            for (std::size_t chunk : {std::size_t(777), std::size_t(65536), std::size_t(1) << 20}) {
                SCOPED_TRACE(sample.format + (memory ? " in memory" : " file") + ", reads of " + std::to_string(chunk));
                std::unique_ptr<BRIM_ZIFSTREAM> stream = open_stream(sample.bytes, sample.path, memory);
                std::unique_ptr<BRIM_ZIFSTREAM> direct = open_stream(sample.bytes, sample.path, memory);
                std::unique_ptr<BRIM_PREFETCH> prefetch = BRIM_PREFETCH::start(*stream, 256 * 1024, 4, 65536);
                ASSERT_NE(prefetch, nullptr);
                EXPECT_EQ(prefetch->input_size(), sample.bytes.size());
                std::string got;
                std::vector<char> buffer(chunk), other(chunk);
                std::uint64_t last_input = 0;
                int wrong_positions = 0;
                while (std::size_t n = prefetch->read(buffer.data(), chunk)) {
                    got.append(buffer.data(), n);
                    if (chunk == 65536) {
                        direct->read(other.data(), 65536);
                        wrong_positions += prefetch->input_position() != direct->input_position();
                    }
                    wrong_positions += prefetch->input_position() < last_input || prefetch->position() != got.size();
                    last_input = prefetch->input_position();
                }
                EXPECT_EQ(wrong_positions, 0);
                EXPECT_TRUE(got == sample.data) << got.size() << " of " << sample.data.size() << " bytes";
                EXPECT_FALSE(prefetch->failed());
                EXPECT_EQ(prefetch->input_position(), sample.bytes.size());
                EXPECT_EQ(prefetch->read(buffer.data(), chunk), 0u);
                prefetch->stop();
                EXPECT_TRUE(stream->finish() && *stream->error() == '\0');
            }
        }
    }
}

TEST(PrefetchTest, SmallBlocksAndStepsThatDoNotDivideThem)
{
    // Two blocks of 4 KiB filled in steps of 1000 bytes, read a byte at a
    // time and in reads of 1500: the ring wraps round hundreds of times.
    const SAMPLE& sample = samples()[0];
    const std::string data = sample_data(300000, 3), bytes = compress_bytes(sample.format, data);
    for (std::size_t chunk : {std::size_t(1), std::size_t(1500)}) {
        BRIM_ZIFSTREAM stream(bytes.data(), bytes.size(), "small");
        std::unique_ptr<BRIM_PREFETCH> prefetch = BRIM_PREFETCH::start(stream, 4096, 2, 1000);
        ASSERT_NE(prefetch, nullptr);
        EXPECT_TRUE(read_ahead(*prefetch, chunk) == data) << chunk;
        EXPECT_EQ(prefetch->input_position(), bytes.size()) << chunk;
    }
}

TEST(PrefetchTest, DamageComesAfterEveryByteBeforeItWithTheStreamsReason)
{
    // The reader gets what a direct reader in reads of one step gets (the
    // read that meets the damage delivers nothing), then the failure; the
    // stream's error and damage are what they are read directly, and
    // finish() still refuses.
    for (const SAMPLE& sample : samples()) {
        const std::string& whole = sample.bytes;
        std::string flipped = whole, flipped_check = whole;
        flipped[whole.size() / 2] = static_cast<char>(flipped[whole.size() / 2] ^ 0x55);
        flipped_check[whole.size() - 2] = static_cast<char>(flipped_check[whole.size() - 2] ^ 0x01);
        const std::pair<const char*, std::string> inputs[] = {{"flipped", flipped},
                                                              {"check value flipped", flipped_check},
                                                              {"cut", whole.substr(0, whole.size() * 2 / 3)},
                                                              {"trailing bytes", whole + "junk"}};
        for (const auto& [what, bytes] : inputs) {
            const std::string path = support_temp_file("damaged." + sample.format, bytes);
            for (bool memory : {false, true}) {
                SCOPED_TRACE(sample.format + ", " + what + (memory ? " in memory" : " file"));
                std::unique_ptr<BRIM_ZIFSTREAM> direct = open_stream(bytes, path, memory);
                const std::string before = read_directly(*direct, 65536);
                ASSERT_TRUE(direct->bad() && *direct->damage() != '\0');
                std::unique_ptr<BRIM_ZIFSTREAM> stream = open_stream(bytes, path, memory);
                std::unique_ptr<BRIM_PREFETCH> prefetch = BRIM_PREFETCH::start(*stream);
                ASSERT_NE(prefetch, nullptr);
                // Not failed while anything before the damage is left.
                std::string got;
                std::vector<char> buffer(48 * 1024);
                int failed_early = 0;
                while (std::size_t n = prefetch->read(buffer.data(), buffer.size())) {
                    got.append(buffer.data(), n);
                    failed_early += got.size() < before.size() && prefetch->failed();
                }
                EXPECT_EQ(failed_early, 0);
                EXPECT_EQ(got.size(), before.size());
                EXPECT_TRUE(got == before);
                EXPECT_TRUE(prefetch->failed());
                EXPECT_STREQ(stream->damage(), direct->damage());
                EXPECT_STREQ(stream->error(), direct->error());
                prefetch->stop();
                EXPECT_FALSE(stream->finish());
                EXPECT_STREQ(stream->damage(), direct->damage());
            }
        }
    }
}

TEST(PrefetchTest, StoppingEndsTheThreadWhereverTheReaderIs)
{
    // Data that fills every block many times over: the thread waits for room
    // when the reader stops. Stopped at the start, early, in the middle and
    // at the end, the thread is gone; the stream then goes on where the
    // thread left it, and finish() checks the rest as it would have.
    const int threads = test_threads_at_rest();
    const std::string data = std::string(8 << 20, 'x') + sample_data(1 << 20, 5);
    for (const char* format : COMPRESSED_FORMATS) {
        const std::string whole = compress_bytes(format, data);
        std::string damaged_end = whole;
        damaged_end[whole.size() - 2] = static_cast<char>(damaged_end[whole.size() - 2] ^ 0x01);
        for (const std::string* bytes : {&whole, static_cast<const std::string*>(&damaged_end)}) {
            for (std::size_t stop_at : {std::size_t(0), std::size_t(1000), data.size() / 2, data.size()}) {
                if (bytes != &whole && stop_at == data.size())
                    continue;  // its last step fails: the damage test's case
                SCOPED_TRACE(std::string(format) + (bytes == &whole ? "" : ", damaged at the end") + ", stopped at " +
                             std::to_string(stop_at));
                BRIM_ZIFSTREAM stream(bytes->data(), bytes->size(), "big");
                std::unique_ptr<BRIM_PREFETCH> prefetch = BRIM_PREFETCH::start(stream);
                ASSERT_NE(prefetch, nullptr);
                std::string head(stop_at, '\0');
                EXPECT_EQ(prefetch->read(&head[0], stop_at), stop_at);
                EXPECT_TRUE(head == data.substr(0, stop_at));
                if (stop_at == 1000) {
                    // Gone with the object, without a stop() first.
                    test_must_return("destroying the read-ahead", [&prefetch] { prefetch.reset(); });
                    EXPECT_TRUE(test_back_to_threads(threads));
                    continue;
                }
                test_must_return("stop()", [&prefetch] { prefetch->stop(); });
                EXPECT_TRUE(test_back_to_threads(threads));
                char byte;
                EXPECT_EQ(prefetch->read(&byte, 1), 0u);
                EXPECT_EQ(stream.finish(), bytes == &whole);
                EXPECT_EQ(*stream.damage() != '\0', bytes != &whole);
                if (bytes == &whole) {
                    EXPECT_EQ(stream.input_position(), bytes->size());
                }
                prefetch.reset();
            }
        }
    }
}

TEST(PrefetchTest, WithoutAThreadNothingIsReadAhead)
{
    const SAMPLE& sample = samples()[0];
    BRIM_ZIFSTREAM stream(sample.bytes.data(), sample.bytes.size(), "no thread");
    {
        TEST_NO_THREADS none;
        ASSERT_TRUE(none.set());
        // What the test stands on: no thread starts now.
        EXPECT_THROW(std::thread([] {}).join(), std::system_error);
        EXPECT_EQ(BRIM_PREFETCH::start(stream), nullptr);
    }
    // The stream is untouched: all of it can be read directly.
    EXPECT_TRUE(read_directly(stream, 65536) == sample.data && !stream.bad());
    // And threads start again.
    BRIM_ZIFSTREAM again(sample.bytes.data(), sample.bytes.size(), "thread");
    std::unique_ptr<BRIM_PREFETCH> prefetch = BRIM_PREFETCH::start(again);
    ASSERT_NE(prefetch, nullptr);
    EXPECT_TRUE(read_ahead(*prefetch, 65536) == sample.data);
}

TEST(PrefetchTest, SignalsToTheProcessAreLeftToTheCallersThreads)
{
    // The thread blocks what is sent to the process (an interrupt, a
    // child's end), not the faults it could raise itself; the caller's own
    // mask is as it was.
    const std::string data(16 << 20, 'x'), bytes = compress_bytes("gzip", data);
    test_threads_at_rest();
    const std::set<std::string> before = thread_ids();
    sigset_t mine;
    pthread_sigmask(SIG_BLOCK, nullptr, &mine);
    BRIM_ZIFSTREAM stream(bytes.data(), bytes.size(), "signals");
    std::unique_ptr<BRIM_PREFETCH> prefetch = BRIM_PREFETCH::start(stream);
    ASSERT_NE(prefetch, nullptr);
    std::vector<std::string> added;
    for (const std::string& id : thread_ids())
        if (before.count(id) == 0)
            added.push_back(id);
    ASSERT_EQ(added.size(), 1u);
    // Once it has read: its start is behind it.
    char byte;
    ASSERT_EQ(prefetch->read(&byte, 1), 1u);
    unsigned long long blocked = blocked_signals(added[0]);
    for (int sig : {SIGINT, SIGTERM, SIGCHLD, SIGUSR1, SIGPIPE})
        EXPECT_TRUE(blocked >> (sig - 1) & 1) << sig;
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGABRT})
        EXPECT_FALSE(blocked >> (sig - 1) & 1) << sig;
    sigset_t now;
    pthread_sigmask(SIG_BLOCK, nullptr, &now);
    for (int sig = 1; sig < 32; ++sig)
        EXPECT_EQ(sigismember(&now, sig), sigismember(&mine, sig)) << sig;
}
