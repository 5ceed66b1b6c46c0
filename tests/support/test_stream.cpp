// The compressed input stream on real files and on memory: plain, gzip,
// zstd and xz data, block boundaries, what may and may not follow the end
// of compressed data, damage and where it is reported, and positions. Its
// progress hook drives the tool's progress line, checked with the tool.
#include <gtest/gtest.h>
#include <lzma.h>
#include <zlib.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "brim_zifstream.h"
#include "compress_bytes.h"
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

// Bytes that do not compress.
std::string random_bytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

// A complete gzip member (whose header names `gzip_name`, if any), zstd
// frame (with its checksum) or xz stream (with `xz_check`) of `data`.
std::string encode(const std::string& format, const std::string& data, const std::string& gzip_name = "",
                   lzma_check xz_check = LZMA_CHECK_CRC64)
{
    COMPRESS_SHAPE shape;
    shape.gzip_name = gzip_name;
    shape.xz_check = xz_check;
    std::string bytes = compress_bytes(format, data, shape);
    EXPECT_TRUE(format == "plain" || !bytes.empty()) << format;
    return bytes;
}

// A zstd skippable frame holding `content`.
std::string skippable_frame(const std::string& content)
{
    std::string frame = "\x5A\x2A\x4D\x18";
    for (int shift = 0; shift < 32; shift += 8)
        frame += static_cast<char>((content.size() >> shift) & 0xFF);
    return frame + content;
}

// A gzip member of `data` whose name makes its trailer start on a 64 KiB
// boundary of the file: the data ends in one block of input and its check
// value comes in the next.
std::string gzip_with_trailer_on_block(const std::string& data)
{
    std::size_t trailer = encode("gzip", data, "n").size() - 8;
    std::string whole = encode("gzip", data, std::string(1 + (65536 - trailer % 65536) % 65536, 'n'));
    EXPECT_EQ((whole.size() - 8) % 65536, 0u);
    return whole;
}

// An xz stream of `data` that claims check 2, which no decoder computes:
// its stream flags changed in header and footer, their CRC32s made anew.
std::string xz_with_unknown_check(const std::string& data)
{
    std::string xz = encode("xz", data, "", LZMA_CHECK_CRC32);  // a check of the same size
    for (std::size_t flags : {std::size_t(6), xz.size() - 4}) {
        xz[flags + 1] = 2;
        std::size_t from = flags == 6 ? 6 : xz.size() - 8, crc_at = flags == 6 ? 8 : xz.size() - 12;
        uLong crc = crc32(0, reinterpret_cast<const Bytef*>(&xz[from]), static_cast<uInt>(flags + 2 - from));
        for (int i = 0; i < 4; ++i)
            xz[crc_at + i] = static_cast<char>(crc >> (8 * i));
    }
    return xz;
}

// Where the check value of the data in `whole` (one member, frame or
// stream of encode()) starts. xz's follows the block, before the index,
// whose size the stream footer gives in fours less one.
std::size_t check_value_at(const std::string& format, const std::string& whole)
{
    std::size_t n = whole.size();
    if (format == "gzip")
        return n - 8;
    if (format == "zstd")
        return n - 4;
    std::size_t backward = 0;
    for (int i = 3; i >= 0; --i)
        backward = backward << 8 | static_cast<unsigned char>(whole[n - 8 + i]);
    return n - 12 - (backward + 1) * 4 - 8;  // footer, index, CRC64
}

// The stream over `bytes`: the file at `path` holding them, or `bytes`
// themselves in memory under the same name.
std::unique_ptr<BRIM_ZIFSTREAM> open_stream(const std::string& bytes, const std::string& path, bool memory,
                                            int block_log2 = 16)
{
    if (memory)
        return std::make_unique<BRIM_ZIFSTREAM>(bytes.data(), bytes.size(), path.c_str());
    return std::make_unique<BRIM_ZIFSTREAM>(path.c_str(), std::ios::in, nullptr, block_log2);
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

// One input for the stream and how it must take it: accepted, giving
// `data`, or refused with a damage() text matching `damage`, whose one
// group is the byte where the damage was found, in [at_least, at_most].
struct INPUT {
    std::string what;
    std::string bytes;
    std::string data;
    std::string damage;
    std::size_t at_least = 0, at_most = 0;
};

INPUT accepted(const std::string& what, const std::string& bytes, const std::string& data)
{
    return {what, bytes, data, "", 0, 0};
}

INPUT refused(const std::string& what, const std::string& bytes, const std::string& data, const std::string& damage,
              std::size_t at_least, std::size_t at_most)
{
    return {what, bytes, data, damage, at_least, at_most};
}

void expect_damage(const INPUT& input, const std::string& damage, const std::string& context)
{
    std::smatch match;
    ASSERT_TRUE(std::regex_match(damage, match, std::regex(input.damage))) << context << ": " << damage;
    std::size_t at = std::stoul(match[1]);
    EXPECT_TRUE(at >= input.at_least && at <= input.at_most) << context << ": " << damage;
}

// What the format's own test command says of the file at `path`: 1 it
// accepts it, 0 it does not, -1 the command is not installed.
int test_command_verdict(const std::string& format, const std::string& path)
{
    if (std::system(("command -v " + format + " >/dev/null 2>&1").c_str()) != 0)
        return -1;
    return std::system((format + " -t -q '" + path + "' >/dev/null 2>&1").c_str()) == 0 ? 1 : 0;
}

// The inputs of one compressed format. After the end of payloads whose
// sizes are whole numbers of 4 KiB blocks, of 64 KiB blocks and neither:
// what the format allows and other bytes. Cuts and flipped bytes, in the
// data and in its check value.
std::vector<INPUT> inputs_of(const std::string& format)
{
    const std::string f = format;
    const std::string after_end = "unexpected data after the end of the " + f + " data at byte (\\d+)";
    const std::string more = sample_text(30000, 7), more_encoded = encode(f, more);
    std::vector<INPUT> inputs;
    for (std::size_t size : {std::size_t(5 * 4096), std::size_t(2 * 65536), std::size_t(200000)}) {
        const std::string data = sample_text(size, static_cast<unsigned>(size)), whole = encode(f, data);
        const std::string zeros(1000, '\0'), n = std::to_string(size);
        inputs.push_back(accepted(n + " alone", whole, data));
        if (f == "gzip") {
            inputs.push_back(accepted(n + " zero padding", whole + zeros, data));
            inputs.push_back(accepted(n + " one zero", whole + '\0', data));
            inputs.push_back(accepted(n + " members", whole + encode(f, "") + more_encoded, data + more));
            if (size % 65536 == 0) {  // the data ends with a block of input, its check value starts the next
                const std::string named = gzip_with_trailer_on_block(data);
                std::string flipped = named;
                flipped[named.size() - 8] ^= 1;
                inputs.push_back(accepted(n + " trailer on a block", named, data));
                inputs.push_back(refused(n + " trailer on a block then 1 byte", named + "x", data, after_end,
                                         named.size(), named.size()));
                inputs.push_back(refused(n + " trailer on a block flipped", flipped, data,
                                         "gzip data damaged at byte (\\d+) \\(incorrect data check\\)",
                                         named.size() - 7, named.size()));
            }
        } else if (f == "zstd") {
            inputs.push_back(accepted(n + " skippable frames",
                                      skippable_frame("x") + whole + skippable_frame(more) + more_encoded +
                                          skippable_frame(""),
                                      data + more));
        } else {
            inputs.push_back(accepted(n + " stream padding", whole + zeros.substr(0, 8), data));
            inputs.push_back(accepted(n + " padded streams", whole + zeros.substr(0, 4) + more_encoded, data + more));
        }
        std::vector<std::string> tails = {"x", "garbage!", sample_text(3000, 8)};
        if (f == "gzip")
            tails.insert(tails.end(), {std::string("\0\0x", 3), zeros.substr(0, 4) + whole});
        else if (f == "zstd")
            tails.push_back(zeros.substr(0, 4));
        else
            tails.insert(tails.end(), {zeros.substr(0, 3), zeros.substr(0, 4) + "x", zeros.substr(0, 4) + "\xFD\x37x"});
        for (const std::string& tail : tails)
            inputs.push_back(refused(n + " then " + std::to_string(tail.size()) + " bytes", whole + tail, data,
                                     after_end, whole.size(), whole.size()));
    }

    // Large enough to need several blocks of input.
    const std::string data = sample_text(150000, 4) + random_bytes(100000, 5), whole = encode(f, data);
    if (f == "xz")
        inputs.push_back(refused("unknown check", xz_with_unknown_check(data), data,
                                 "xz data damaged at byte (\\d+) \\(unsupported integrity check\\)", 12,
                                 whole.size()));
    // The first byte of a further member, and no more.
    if (f != "zstd") {
        const std::string start = f == "gzip" ? "\x1F" : std::string(4, '\0') + "\xFD";
        inputs.push_back(refused("start of a member", whole + start, data,
                                 f + " data ends early at byte (\\d+) \\(truncated\\)", whole.size() + start.size(),
                                 whole.size() + start.size()));
    }
    for (std::size_t cut : {std::size_t(6), std::size_t(7), std::size_t(12), whole.size() / 2, whole.size() - 5,
                            whole.size() - 1})
        inputs.push_back(refused("cut at " + std::to_string(cut), whole.substr(0, cut), data,
                                 f + " data ends early at byte (\\d+) \\(truncated\\)", cut, cut));
    // A flipped data byte may also read as a longer stream that is cut short.
    const std::size_t check = check_value_at(f, whole);
    for (std::size_t at : {std::size_t(12), whole.size() / 3, check, whole.size() - 1}) {
        std::string bytes = whole;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
        const char* kinds = at == check ? "damaged" : "(?:damaged|ends early)";
        inputs.push_back(refused("flip at " + std::to_string(at), bytes, data,
                                 f + " data " + kinds + " at byte (\\d+) \\(.+\\)", at + 1, whole.size()));
    }
    return inputs;
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
    const std::string bytes = encode(GetParam(), a) + encode(GetParam(), "") + encode(GetParam(), b);
    const std::string path = support_temp_file("whole", bytes);
    const std::string runs_path = support_temp_file("runs", encode(GetParam(), runs));
    for (std::size_t chunk : {std::size_t(1), std::size_t(777), std::size_t(65537), std::size_t(1) << 22}) {
        BRIM_ZIFSTREAM in(path.c_str(), std::ios::in, nullptr, chunk == 1 ? 12 : 16);
        EXPECT_STREQ(in.format(), GetParam());
        EXPECT_TRUE(read_all(in, chunk) == data && in.eof() && !in.bad() && *in.error() == '\0') << chunk;
        BRIM_ZIFSTREAM runs_in(runs_path.c_str(), std::ios::in, nullptr, 12);
        EXPECT_TRUE(chunk == 1 || read_all(runs_in, chunk) == runs) << chunk;
        // Memory holding the same bytes gives the same.
        BRIM_ZIFSTREAM memory(bytes.data(), bytes.size(), "memory");
        EXPECT_STREQ(memory.format(), GetParam());
        EXPECT_TRUE(read_all(memory, chunk) == data && memory.eof() && !memory.bad()) << chunk;
    }
    // tellg counts delivered bytes, across reads larger than a block; no
    // other seek works. The input position counts the bytes of the input
    // consumed, up to all of them at the end; finish() gets there at once.
    for (bool memory : {false, true}) {
        std::unique_ptr<BRIM_ZIFSTREAM> in = open_stream(bytes, path, memory);
        EXPECT_TRUE(in->input_size() == bytes.size() && in->input_position() == 0);
        std::vector<char> buffer(100000);
        in->read(buffer.data(), 1000);
        EXPECT_EQ(in->get(), static_cast<unsigned char>(data[1000]));
        in->read(buffer.data(), 100000);
        in->read(buffer.data(), 5);
        EXPECT_EQ(in->tellg(), std::streampos(101006));
        EXPECT_EQ(std::string(buffer.data(), 5), data.substr(101001, 5));
        EXPECT_GT(in->input_position(), 0u);
        EXPECT_LT(in->input_position(), bytes.size());
        EXPECT_TRUE(in->finish() && in->good() && in->input_position() == bytes.size());
        EXPECT_TRUE(in->finish());
        EXPECT_EQ(in->tellg(), std::streampos(data.size()));
        EXPECT_EQ(in->get(), EOF);
        in->clear();
        in->seekg(0);
        EXPECT_TRUE(in->fail());
    }
}

TEST_P(CompressedFormats, TakesWhatTheFormatAllowsAndRefusesAllElse)
{
    // Each input read in pieces smaller than a block, of a block and larger,
    // from a file and from memory (which must give the same), and read in
    // part and then finished. A refused input never delivers all its data as
    // good: the read that would hand out its last byte fails.
    for (const INPUT& input : inputs_of(GetParam())) {
        const std::string path = support_temp_file(std::string("input.") + GetParam(), input.bytes);
        for (std::size_t chunk : {std::size_t(4096), std::size_t(65536), std::size_t(1) << 20}) {
            const std::string context = input.what + ", reads of " + std::to_string(chunk);
            std::unique_ptr<BRIM_ZIFSTREAM> file = open_stream(input.bytes, path, false);
            std::unique_ptr<BRIM_ZIFSTREAM> memory = open_stream(input.bytes, path, true);
            const std::string read = read_all(*file, chunk);
            EXPECT_EQ(read_all(*memory, chunk), read) << context;
            EXPECT_EQ(std::string(memory->error()), file->error()) << context;
            EXPECT_EQ(std::string(memory->damage()), file->damage()) << context;
            if (input.damage.empty()) {
                EXPECT_TRUE(read == input.data && file->eof() && !file->bad()) << context << ": " << file->error();
                EXPECT_TRUE(*file->damage() == '\0' && *file->error() == '\0' && file->finish()) << context;
                continue;
            }
            EXPECT_TRUE(file->bad()) << context;
            EXPECT_LT(read.size(), input.data.size()) << context;
            if (input.what.find("flip") == std::string::npos) {  // so far it was whole
                EXPECT_EQ(input.data.compare(0, read.size(), read), 0) << context;
            }
            expect_damage(input, file->damage(), context);
            EXPECT_EQ(file->error(), path + ": " + file->damage()) << context;
            EXPECT_FALSE(file->finish()) << context;
        }
        // Nor does it when read a byte at a time.
        std::unique_ptr<BRIM_ZIFSTREAM> in = open_stream(input.bytes, path, false);
        std::size_t got = 0;
        while (in->get() != EOF)
            ++got;
        EXPECT_EQ(got < input.data.size(), !input.damage.empty()) << input.what;
        // A reader that stops early: finish() checks the rest.
        for (bool memory : {false, true}) {
            std::unique_ptr<BRIM_ZIFSTREAM> in = open_stream(input.bytes, path, memory, 12);
            char buffer[1000];
            in->read(buffer, sizeof buffer);
            bool intact = in->finish();
            EXPECT_EQ(intact, input.damage.empty()) << input.what;
            EXPECT_EQ(in->bad(), !intact) << input.what;
            if (!intact)
                expect_damage(input, in->damage(), input.what + ", finished");
        }
        // The format's own test command, where it is installed, agrees.
        int verdict = test_command_verdict(GetParam(), path);
        if (verdict >= 0) {
            EXPECT_EQ(verdict == 1, input.damage.empty()) << input.what;
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
                                {nullptr, std::ios::in, nullptr, 16},
                                {nullptr, 1, "memory"}};
    for (BRIM_ZIFSTREAM& in : streams) {
        EXPECT_TRUE(in.fail() && !in.bad() && read_all(in, 16).empty() && *in.damage() == '\0');
        EXPECT_TRUE(!in.finish() && !in.bad());
    }
    EXPECT_NE(std::string(streams[0].error()).find(missing), std::string::npos);
    // The system's reason, for the caller to tell the user; none where the
    // system gave none.
    EXPECT_EQ(streams[0].error_number(), ENOENT);
    EXPECT_EQ(streams[1].error_number(), EISDIR);
    EXPECT_EQ(streams[2].error_number(), 0);
    EXPECT_EQ(streams[3].error_number(), 0);

    // An input is compressed only when its first bytes say so; the two magic
    // bytes of gzip alone start a stream that then breaks off. Plain input
    // ends where its bytes end, and is skipped by finish().
    for (const std::string& text : {std::string(), std::string("\x1f"), std::string("plain text in a .gz file")}) {
        const std::string path = support_temp_file("short.gz", text);
        for (bool memory : {false, true}) {
            std::unique_ptr<BRIM_ZIFSTREAM> in = open_stream(text, path, memory);
            EXPECT_TRUE(read_all(*in, 16) == text && in->eof() && !in->bad()) << text;
            std::unique_ptr<BRIM_ZIFSTREAM> skipped = open_stream(text, path, memory);
            EXPECT_TRUE(skipped->get() == (text.empty() ? EOF : text[0]) && skipped->finish()) << text;
            EXPECT_TRUE(skipped->input_position() == text.size() && skipped->get() == EOF) << text;
        }
    }
    BRIM_ZIFSTREAM magic(support_temp_file("magic", "\x1f\x8b").c_str(), std::ios::in, nullptr, 16);
    EXPECT_TRUE(read_all(magic, 16).empty() && magic.bad());
    EXPECT_STREQ(magic.damage(), "gzip data ends early at byte 2 (truncated)");
}
