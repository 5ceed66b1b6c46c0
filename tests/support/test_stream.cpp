// The compressed input stream on real files: plain, gzip, zstd and xz data,
// block boundaries, damaged data and positions. Its progress hook drives
// the tool's progress line, checked with the tool.
#include <gtest/gtest.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <random>
#include <string>
#include <vector>

#include "brim_zifstream.h"
#include "support_fixtures.h"

namespace {

// Text that compresses well yet does not repeat in short cycles.
std::string sample_text(std::size_t size, unsigned seed)
{
    static const char* const words[] = {"<row>", "</cell>", "u_core/u_alu", "12.345", "\n", "  ", "\xC3\xA9t\xC3\xA9"};
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < size)
        text += words[random() % 7] + std::to_string(random() % 1000);
    return text.substr(0, size);
}

// A complete gzip member, zstd frame or xz stream of `data`.
std::string encode(const std::string& format, const std::string& data)
{
    std::string out(data.size() + 1024, '\0');
    std::size_t size = 0;
    z_stream z{};
    if (format == "gzip" && deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        z.avail_in = static_cast<uInt>(data.size());
        z.next_out = reinterpret_cast<Bytef*>(&out[0]);
        z.avail_out = static_cast<uInt>(out.size());
        EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
        size = z.total_out;
        deflateEnd(&z);
    } else if (format == "zstd") {
        size = ZSTD_compress(&out[0], out.size(), data.data(), data.size(), 3);
    } else if (format == "xz") {
        lzma_easy_buffer_encode(6, LZMA_CHECK_CRC64, nullptr, reinterpret_cast<const uint8_t*>(data.data()),
                                data.size(), reinterpret_cast<uint8_t*>(&out[0]), &size, out.size());
    } else {
        return data;
    }
    return out.substr(0, size);
}

// Reads the stream to its end in pieces of `chunk` bytes, as the parser
// does; `counts` gets the size of every read.
std::string read_all(BRIM_ZIFSTREAM& in, std::size_t chunk, std::vector<std::streamsize>* counts = nullptr)
{
    std::string data;
    std::vector<char> buffer(chunk);
    while (!(in.rdstate() & (std::ios::failbit | std::ios::badbit))) {
        in.read(buffer.data(), static_cast<std::streamsize>(chunk));
        data.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
        if (counts != nullptr)
            counts->push_back(in.gcount());
    }
    return data;
}

class StreamFormats : public ::testing::TestWithParam<const char*> {};
class CompressedFormats : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(StreamFormats, DeliversTheOriginalBytesAndCountsThem)
{
    // Two members or frames with an empty one between them; long runs that
    // leave decoded bytes in the decoder after all input of a block is used.
    const std::string a = sample_text(200000, 1), b = sample_text(100000, 2), data = a + b;
    const std::string runs = std::string(3 << 20, '\0') + sample_text(1000, 15) + std::string(1 << 20, 'x');
    const std::string path = support_temp_file("whole", encode(GetParam(), a) + encode(GetParam(), "") +
                                                            encode(GetParam(), b));
    const std::string runs_path = support_temp_file("runs", encode(GetParam(), runs));
    for (std::size_t chunk : {std::size_t(1), std::size_t(777), std::size_t(65537), std::size_t(1) << 22}) {
        BRIM_ZIFSTREAM in(path.c_str(), std::ios::in, nullptr, chunk == 1 ? 12 : 16);
        EXPECT_STREQ(in.format(), GetParam());
        EXPECT_TRUE(read_all(in, chunk) == data && in.eof() && !in.bad() && *in.error() == '\0') << chunk;
        BRIM_ZIFSTREAM runs_in(runs_path.c_str(), std::ios::in, nullptr, 12);
        EXPECT_TRUE(chunk == 1 || read_all(runs_in, chunk) == runs) << chunk;
    }
    // tellg counts delivered bytes, across reads larger than a block; no
    // other seek works.
    BRIM_ZIFSTREAM in(path.c_str(), std::ios::in, nullptr, 16);
    std::vector<char> buffer(100000);
    in.read(buffer.data(), 1000);
    EXPECT_EQ(in.get(), static_cast<unsigned char>(data[1000]));
    in.read(buffer.data(), 100000);
    in.read(buffer.data(), 5);
    EXPECT_EQ(in.tellg(), std::streampos(101006));
    EXPECT_EQ(std::string(buffer.data(), 5), data.substr(101001, 5));
    in.seekg(0);
    EXPECT_TRUE(in.fail());
}

TEST_P(CompressedFormats, DamageEndsBadWithOnlyGoodBytes)
{
    const std::string data = sample_text(200000, 4), whole = encode(GetParam(), data);
    // Cuts anywhere past the magic number, bytes after the end, and (where a
    // checksum tells) a flipped byte, which may come out before the damage
    // shows.
    std::vector<std::pair<std::string, bool>> damaged = {{whole + "garbage!", true}};
    for (std::size_t cut = 6; cut < whole.size(); cut += cut < 12 ? 1 : whole.size() / 13)
        damaged.emplace_back(whole.substr(0, cut), true);
    for (std::size_t cut : {whole.size() - 1, whole.size() - 4})
        damaged.emplace_back(whole.substr(0, cut), true);
    for (std::size_t at : {std::size_t(12), whole.size() / 3, whole.size() / 2, whole.size() - 6, whole.size() - 2}) {
        damaged.emplace_back(whole, false);
        damaged.back().first[at] = static_cast<char>(whole[at] ^ 0x55);
        if (std::string(GetParam()) == "zstd")  // a frame without a checksum
            damaged.pop_back();
    }
    for (const auto& bytes : damaged) {
        const std::string path = support_temp_file("damaged", bytes.first);
        for (std::size_t chunk : {std::size_t(4096), std::size_t(1) << 20}) {
            BRIM_ZIFSTREAM in(path.c_str(), std::ios::in, nullptr, 16);
            std::string read = read_all(in, chunk);
            EXPECT_TRUE(in.bad()) << bytes.first.size();
            EXPECT_NE(std::string(in.error()).find(path + ": "), std::string::npos) << in.error();
            if (bytes.second) {
                EXPECT_EQ(data.compare(0, read.size(), read), 0);
                EXPECT_LT(read.size(), data.size() + (bytes.first.size() > whole.size() ? 1 : 0));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Stream, StreamFormats, ::testing::Values("plain", "gzip", "zstd", "xz"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });
INSTANTIATE_TEST_SUITE_P(Stream, CompressedFormats, ::testing::Values("gzip", "zstd", "xz"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

TEST(Stream, ReadsEndingExactlyOnABlockBoundary)
{
    // Blocks of 64 KiB, and half blocks of the smallest size, 4 KiB, to which
    // smaller ones are raised.
    const std::string data = sample_text(2 * 65536, 10);
    for (const char* format : {"plain", "gzip"}) {
        const std::string path = support_temp_file(format, encode(format, data));
        for (std::size_t chunk : {65536, 2048}) {
            std::vector<std::streamsize> counts, expected(data.size() / chunk, chunk);
            expected.push_back(0);
            BRIM_ZIFSTREAM in(path.c_str(), std::ios::in, nullptr, chunk == 2048 ? 0 : 16);
            EXPECT_TRUE(read_all(in, chunk, &counts) == data && in.eof() && !in.bad()) << format;
            EXPECT_EQ(counts, expected) << format;
        }
    }
}

TEST(Stream, WhatCannotBeReadFailsAtOnceAndShortFilesArePlain)
{
    const std::string missing = support_temp_path("missing.xml");
    BRIM_ZIFSTREAM streams[] = {{missing.c_str(), std::ios::in, nullptr, 16},
                                {"/", std::ios::in, nullptr, 16},  // a directory
                                {nullptr, std::ios::in, nullptr, 16}};
    for (BRIM_ZIFSTREAM& in : streams)
        EXPECT_TRUE(in.fail() && !in.bad() && read_all(in, 16).empty());
    EXPECT_NE(std::string(streams[0].error()).find(missing), std::string::npos);

    // A file is compressed only when its first bytes say so; the two magic
    // bytes of gzip alone start a stream that then breaks off.
    for (const std::string& text : {std::string(), std::string("\x1f"), std::string("plain text in a .gz file")}) {
        BRIM_ZIFSTREAM in(support_temp_file("short.gz", text).c_str(), std::ios::in, nullptr, 16);
        EXPECT_TRUE(read_all(in, 16) == text && in.eof() && !in.bad()) << text;
    }
    BRIM_ZIFSTREAM magic(support_temp_file("magic", "\x1f\x8b").c_str(), std::ios::in, nullptr, 16);
    EXPECT_TRUE(read_all(magic, 16).empty() && magic.bad());
}
