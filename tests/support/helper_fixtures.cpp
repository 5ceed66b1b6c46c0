#include "support_fixtures.h"

#include <gtest/gtest.h>
#include <lzma.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>
#include <zstd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>

namespace {

std::string scratch_dir()
{
    const char* env = std::getenv("RDBXML_TEST_TMP");
    std::string dir = env != nullptr && *env != '\0' ? env : "/tmp/rdbxml_support_tests";
    std::string partial;
    for (std::size_t i = 0; i <= dir.size(); ++i) {
        if (i == dir.size() || (dir[i] == '/' && i > 0)) {
            partial = dir.substr(0, i);
            if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST)
                throw std::runtime_error("cannot make " + partial);
        }
    }
    return dir;
}

}  // namespace

std::string support_temp_path(const std::string& suffix)
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string test = info != nullptr ? std::string(info->test_suite_name()) + "_" + info->name() : "none";
    for (char& c : test)
        if (c == '/')
            c = '_';
    std::string path = scratch_dir() + "/support_" + test + "_" + std::to_string(::getpid()) + "_" + suffix;
    std::remove(path.c_str());
    return path;
}

void support_write_file(const std::string& path, const std::string& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        throw std::runtime_error("cannot write " + path);
    std::size_t n = std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (n != bytes.size())
        throw std::runtime_error("short write to " + path);
}

std::string support_sample_text(std::size_t size, unsigned seed)
{
    static const char* const words[] = {"<row>", "</row>", "<cell type=\"delay\">", "</cell>", "clk", "data_in",
                                        "u_core/u_alu", "12.345", "-0.5", "\n", "  ", "slack", "\xC3\xA9t\xC3\xA9"};
    std::mt19937 random(seed);
    std::string text;
    text.reserve(size + 32);
    while (text.size() < size) {
        text += words[random() % (sizeof words / sizeof words[0])];
        text += std::to_string(random() % 1000);
    }
    text.resize(size);
    return text;
}

std::string support_gzip(const std::string& data)
{
    z_stream z;
    std::memset(&z, 0, sizeof z);
    if (deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&z, data.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    int rc = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (rc != Z_STREAM_END)
        throw std::runtime_error("deflate");
    return out;
}

std::string support_zstd(const std::string& data)
{
    std::string out(ZSTD_compressBound(data.size()), '\0');
    std::size_t n = ZSTD_compress(&out[0], out.size(), data.data(), data.size(), 3);
    if (ZSTD_isError(n))
        throw std::runtime_error("ZSTD_compress");
    out.resize(n);
    return out;
}

std::string support_xz(const std::string& data)
{
    std::string out(lzma_stream_buffer_bound(data.size()), '\0');
    std::size_t pos = 0;
    lzma_ret rc = lzma_easy_buffer_encode(6, LZMA_CHECK_CRC64, nullptr, reinterpret_cast<const uint8_t*>(data.data()),
                                          data.size(), reinterpret_cast<uint8_t*>(&out[0]), &pos, out.size());
    if (rc != LZMA_OK)
        throw std::runtime_error("lzma_easy_buffer_encode");
    out.resize(pos);
    return out;
}
