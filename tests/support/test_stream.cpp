// The compressed input stream on real files: plain, gzip, zstd and xz data,
// block boundaries, damaged data, positions and the progress hook.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "brim_zifstream.h"
#include "support_fixtures.h"

namespace {

struct READ_RESULT {
    std::string data;
    std::vector<std::streamsize> counts;  // gcount of every read, the last 0
    bool bad = false;
    bool eof = false;
    bool fail = false;
};

// Reads the stream to its end in pieces of `chunk` bytes, as the parser does.
READ_RESULT read_all(BRIM_ZIFSTREAM& in, std::size_t chunk)
{
    READ_RESULT r;
    std::vector<char> buffer(chunk);
    for (;;) {
        if (in.rdstate() & (std::ios::failbit | std::ios::badbit)) {
            r.counts.push_back(0);
            break;
        }
        in.read(buffer.data(), static_cast<std::streamsize>(chunk));
        r.counts.push_back(in.gcount());
        r.data.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
    }
    r.bad = in.bad();
    r.eof = in.eof();
    r.fail = in.fail();
    return r;
}

READ_RESULT read_file(const std::string& path, std::size_t chunk, int block_log2 = 16)
{
    BRIM_ZIFSTREAM in(path.c_str(), std::ios::in, nullptr, block_log2);
    return read_all(in, chunk);
}

std::string write_temp(const std::string& suffix, const std::string& bytes)
{
    std::string path = support_temp_path(suffix);
    support_write_file(path, bytes);
    return path;
}

bool is_prefix(const std::string& part, const std::string& whole)
{
    return part.size() <= whole.size() && whole.compare(0, part.size(), part) == 0;
}

class StreamFormats : public ::testing::TestWithParam<const char*> {
protected:
    std::string encode(const std::string& data) const
    {
        std::string format = GetParam();
        if (format == "gzip")
            return support_gzip(data);
        if (format == "zstd")
            return support_zstd(data);
        if (format == "xz")
            return support_xz(data);
        return data;
    }
};

class CompressedFormats : public StreamFormats {};

}  // namespace

TEST_P(StreamFormats, DeliversTheOriginalBytesForEveryReadSize)
{
    const std::string data = support_sample_text(300000, 1);
    const std::string path = write_temp(GetParam(), encode(data));
    for (std::size_t chunk : {std::size_t(1), std::size_t(777), std::size_t(65537), std::size_t(1) << 20}) {
        SCOPED_TRACE(chunk);
        BRIM_ZIFSTREAM in(path.c_str(), std::ios::in, nullptr, 16);
        ASSERT_TRUE(in.good());
        EXPECT_STREQ(in.format(), GetParam());
        READ_RESULT r = read_all(in, chunk);
        EXPECT_TRUE(r.data == data);
        EXPECT_TRUE(r.eof && r.fail && !r.bad);
        EXPECT_STREQ(in.error(), "");
    }
    BRIM_ZIFSTREAM in(path.c_str(), std::ios::in, nullptr, 12);
    EXPECT_TRUE(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()) == data);
    EXPECT_FALSE(in.bad());

    // Long runs leave decoded bytes inside the decoder after all input of a
    // block is consumed; they must still come out.
    std::string runs = std::string(3 << 20, '\0') + support_sample_text(1000, 15) + std::string(1 << 20, 'x');
    const std::string runs_path = write_temp(GetParam(), encode(runs));
    for (std::size_t chunk : {std::size_t(3000), std::size_t(1) << 22}) {
        READ_RESULT r = read_file(runs_path, chunk, 12);
        EXPECT_TRUE(r.data == runs && !r.bad);
    }
}

TEST_P(StreamFormats, TellgCountsDeliveredBytesAndNothingElseSeeks)
{
    const std::string data = support_sample_text(200000, 3);
    BRIM_ZIFSTREAM in(write_temp(GetParam(), encode(data)).c_str(), std::ios::in, nullptr, 16);
    std::vector<char> buffer(100000);
    EXPECT_EQ(in.tellg(), std::streampos(0));
    in.read(buffer.data(), 1000);
    EXPECT_EQ(in.tellg(), std::streampos(1000));
    EXPECT_EQ(in.get(), static_cast<unsigned char>(data[1000]));
    EXPECT_EQ(in.tellg(), std::streampos(1001));
    in.read(buffer.data(), 100000);  // larger than a block: read past the buffer
    EXPECT_EQ(in.tellg(), std::streampos(101001));
    in.read(buffer.data(), 5);
    EXPECT_EQ(in.tellg(), std::streampos(101006));
    EXPECT_EQ(std::string(buffer.data(), 5), data.substr(101001, 5));
    in.seekg(0);
    EXPECT_TRUE(in.fail());
}

TEST_P(CompressedFormats, ConcatenatedDataIsDeliveredWhole)
{
    const std::string a = support_sample_text(70000, 6);
    const std::string b = support_sample_text(30000, 7);
    // gzip members may be empty too.
    std::string middle = std::string(GetParam()) == "gzip" ? encode("") : "";
    READ_RESULT r = read_file(write_temp(GetParam(), encode(a) + middle + encode(b)), 8192);
    EXPECT_TRUE(r.data == a + b);
    EXPECT_TRUE(r.eof && !r.bad);
}

TEST_P(CompressedFormats, TruncationAnywhereOrTrailingBytesEndBadWithOnlyGoodBytes)
{
    const std::string data = support_sample_text(200000, 4);
    const std::string whole = encode(data);
    // Cuts inside the magic number leave nothing to recognise: a file is
    // only taken as compressed when its first bytes say so.
    std::vector<std::string> damaged = {whole + "garbage!"};
    for (std::size_t cut : {whole.size() - 1, whole.size() - 4, whole.size() / 2, std::size_t(10), std::size_t(6)})
        damaged.push_back(whole.substr(0, cut));
    for (std::size_t cut = 7; cut < whole.size(); cut += whole.size() / 13)
        damaged.push_back(whole.substr(0, cut));
    for (const std::string& bytes : damaged) {
        SCOPED_TRACE(bytes.size());
        const std::string path = write_temp(std::string("damaged_") + GetParam(), bytes);
        for (std::size_t chunk : {std::size_t(4096), std::size_t(1) << 20}) {
            READ_RESULT r = read_file(path, chunk);
            EXPECT_TRUE(r.bad);
            EXPECT_TRUE(is_prefix(r.data, data));
            EXPECT_LT(r.data.size(), bytes.size() > whole.size() ? data.size() + 1 : data.size());
        }
    }
}

namespace {

std::string format_name(const ::testing::TestParamInfo<const char*>& info) { return info.param; }

}  // namespace

INSTANTIATE_TEST_SUITE_P(Stream, StreamFormats, ::testing::Values("plain", "gzip", "zstd", "xz"), format_name);
INSTANTIATE_TEST_SUITE_P(Stream, CompressedFormats, ::testing::Values("gzip", "zstd", "xz"), format_name);

TEST(Stream, ReadsEndingExactlyOnABlockBoundary)
{
    const std::string data = support_sample_text(2 * 65536, 10);
    for (const char* format : {"plain", "gzip"}) {
        SCOPED_TRACE(format);
        const std::string path = write_temp(format, std::string(format) == "gzip" ? support_gzip(data) : data);
        READ_RESULT r = read_file(path, 65536);
        EXPECT_EQ(r.counts, (std::vector<std::streamsize>{65536, 65536, 0, 0}));
        EXPECT_TRUE(r.data == data && r.eof && !r.bad);

        // The smallest block size, with reads of one block and of half a block.
        READ_RESULT small = read_file(path, 4096, 12);
        EXPECT_EQ(small.counts.size(), 32u + 2u);
        EXPECT_EQ(small.counts[31], 4096);
        EXPECT_EQ(small.counts[32], 0);
        EXPECT_TRUE(small.data == data);
        READ_RESULT halves = read_file(path, 2048, 0);  // block size clamped up to 4096
        EXPECT_TRUE(halves.data == data);
        EXPECT_EQ(halves.counts[63], 2048);
        EXPECT_EQ(halves.counts[64], 0);
    }
}

TEST(Stream, WhatCannotBeReadFailsAtOnce)
{
    const std::string missing = support_temp_path("does_not_exist.xml");
    const std::string directory = support_temp_path("directory");
    ASSERT_EQ(::mkdir(directory.c_str(), 0755), 0);
    const std::string plain = write_temp("plain", "<a/>");
    const unsigned char dictionary[] = {1, 2, 3};
    std::unique_ptr<BRIM_ZIFSTREAM> streams[] = {
        std::make_unique<BRIM_ZIFSTREAM>(missing.c_str(), std::ios::in, nullptr, 16),
        std::make_unique<BRIM_ZIFSTREAM>(directory.c_str(), std::ios::in, nullptr, 16),
        std::make_unique<BRIM_ZIFSTREAM>(plain.c_str(), std::ios::in, dictionary, 16),
        std::make_unique<BRIM_ZIFSTREAM>(plain.c_str(), std::ios::in | std::ios::out, nullptr, 16),
        std::make_unique<BRIM_ZIFSTREAM>(nullptr, std::ios::in, nullptr, 16)};
    for (auto& in : streams) {
        EXPECT_TRUE(in->fail());
        EXPECT_FALSE(in->bad());
        char buffer[16];
        in->read(buffer, sizeof buffer);
        EXPECT_EQ(in->gcount(), 0);
    }
    EXPECT_NE(std::string(streams[0]->error()).find(missing), std::string::npos);
    ::rmdir(directory.c_str());
}

TEST(Stream, FilesShorterThanAMagicNumberArePlain)
{
    BRIM_ZIFSTREAM empty(write_temp("empty", "").c_str(), std::ios::in, nullptr, 16);
    EXPECT_TRUE(empty.good());
    EXPECT_STREQ(empty.format(), "plain");
    READ_RESULT r = read_all(empty, 16);
    EXPECT_TRUE(r.data.empty() && r.eof && r.fail && !r.bad);
    READ_RESULT one = read_file(write_temp("one", "\x1f"), 16);
    EXPECT_TRUE(one.data == "\x1f" && !one.bad);
    READ_RESULT name_only = read_file(write_temp("name.gz", "plain text in a .gz file"), 16);
    EXPECT_EQ(name_only.data, "plain text in a .gz file");
    // The two magic bytes alone start a gzip stream that then breaks off.
    READ_RESULT magic = read_file(write_temp("magic", "\x1f\x8b"), 16);
    EXPECT_TRUE(magic.data.empty() && magic.bad);
}

TEST(Stream, CorruptGzipNeverEndsCleanlyAndTellsWhere)
{
    const std::string whole = support_gzip(support_sample_text(100000, 11));
    for (std::size_t at : {std::size_t(12), whole.size() / 3, whole.size() / 2, whole.size() - 6, whole.size() - 2}) {
        SCOPED_TRACE(at);
        std::string damaged = whole;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x55);
        BRIM_ZIFSTREAM in(write_temp("corrupt.gz", damaged).c_str(), std::ios::in, nullptr, 16);
        EXPECT_TRUE(read_all(in, 4096).bad);
        EXPECT_NE(std::string(in.error()).find("gzip"), std::string::npos) << in.error();
    }
    // Callers that ask for exceptions get one naming the damage and the file.
    const std::string path = write_temp("cut.gz", whole.substr(0, whole.size() / 2));
    BRIM_ZIFSTREAM in(path.c_str(), std::ios::in, nullptr, 16);
    in.exceptions(std::ios::badbit);
    std::vector<char> buffer(1 << 20);
    try {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        FAIL() << "no exception";
    } catch (const std::ios_base::failure& e) {
        EXPECT_NE(std::string(e.what()).find("truncated gzip data"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_TRUE(in.bad());
}

TEST(Stream, ProgressHookSeesEveryBlockOfTheFile)
{
    const std::string data = support_sample_text(500000, 14);
    const std::string bytes = support_gzip(data);
    const std::string path = write_temp("progress.gz", bytes);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
    BRIM_ZIFSTREAM::set_progress_hook(
        [&calls](std::uint64_t read, std::uint64_t size) { calls.emplace_back(read, size); });
    READ_RESULT r = read_file(path, 10000, 12);
    BRIM_ZIFSTREAM::set_progress_hook(nullptr);
    EXPECT_TRUE(r.data == data);
    ASSERT_FALSE(calls.empty());
    EXPECT_GE(calls.size(), bytes.size() / 4096);
    for (std::size_t i = 1; i < calls.size(); ++i)
        EXPECT_LT(calls[i - 1].first, calls[i].first);
    EXPECT_EQ(calls.back(), std::make_pair(std::uint64_t(bytes.size()), std::uint64_t(bytes.size())));

    calls.clear();
    read_file(path, 10000, 12);
    EXPECT_TRUE(calls.empty());  // the hook was switched off
}
