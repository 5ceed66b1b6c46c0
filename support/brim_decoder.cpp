#include "brim_decoder.h"

#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

namespace {

// zlib and liblzma count in unsigned int or size_t; never hand them more
// than an unsigned int can hold.
unsigned clamp_uint(std::size_t n) { return static_cast<unsigned>(std::min<std::size_t>(n, UINT_MAX)); }

// gzip through zlib's inflate with gzip framing. Members may follow each
// other: after one ends, any further input must be the next member.
class BRIM_GZIP_DECODER : public BRIM_DECODER {
public:
    BRIM_GZIP_DECODER()
    {
        std::memset(&m_z, 0, sizeof m_z);
        m_ready = inflateInit2(&m_z, 15 + 16) == Z_OK;  // 15-bit window, gzip header only
        if (!m_ready)
            fail("cannot set up the gzip decoder");
    }
    ~BRIM_GZIP_DECODER() override
    {
        if (m_ready)
            inflateEnd(&m_z);
    }

    const char* name() const override { return "gzip"; }

    STATUS decode(const unsigned char*& in, const unsigned char* in_end, char*& out, char* out_end,
                  bool last) override
    {
        for (;;) {
            if (m_member_done) {
                if (in == in_end)
                    return last ? END : MORE;
                if (inflateReset(&m_z) != Z_OK)
                    return fail("cannot restart the gzip decoder");
                m_member_done = false;
            }
            if (out == out_end)
                return MORE;
            // Called even without input: a full output buffer may have left
            // decoded bytes inside zlib.
            m_z.next_in = const_cast<Bytef*>(in);
            m_z.avail_in = clamp_uint(static_cast<std::size_t>(in_end - in));
            m_z.next_out = reinterpret_cast<Bytef*>(out);
            m_z.avail_out = clamp_uint(static_cast<std::size_t>(out_end - out));
            int rc = inflate(&m_z, Z_NO_FLUSH);
            const unsigned char* in_now = m_z.next_in;
            char* out_now = reinterpret_cast<char*>(m_z.next_out);
            bool progress = in_now != in || out_now != out;
            in = in_now;
            out = out_now;
            if (rc == Z_STREAM_END) {
                m_member_done = true;
                continue;
            }
            if ((rc == Z_OK || rc == Z_BUF_ERROR) && progress)
                continue;
            if (rc == Z_OK || rc == Z_BUF_ERROR) {  // stuck: input is missing
                if (in != in_end)
                    return fail("gzip decoder stalled");
                return last ? fail("truncated gzip data") : MORE;
            }
            if (rc == Z_NEED_DICT)
                return fail("gzip data needs a preset dictionary");
            if (rc == Z_MEM_ERROR)
                return fail("out of memory in the gzip decoder");
            return fail(std::string("corrupt gzip data (") + (m_z.msg != nullptr ? m_z.msg : "unknown error") + ")");
        }
    }

private:
    z_stream m_z;
    bool m_ready = false;
    bool m_member_done = false;
};

// zstd through libzstd's streaming decoder, which also takes frames one
// after the other (skippable frames included).
class BRIM_ZSTD_DECODER : public BRIM_DECODER {
public:
    BRIM_ZSTD_DECODER() : m_stream(ZSTD_createDStream())
    {
        if (m_stream == nullptr || ZSTD_isError(ZSTD_initDStream(m_stream)))
            fail("cannot set up the zstd decoder");
    }
    ~BRIM_ZSTD_DECODER() override { ZSTD_freeDStream(m_stream); }

    const char* name() const override { return "zstd"; }

    STATUS decode(const unsigned char*& in, const unsigned char* in_end, char*& out, char* out_end,
                  bool last) override
    {
        for (;;) {
            if (out == out_end)
                return MORE;
            ZSTD_inBuffer input = {in, static_cast<std::size_t>(in_end - in), 0};
            ZSTD_outBuffer output = {out, static_cast<std::size_t>(out_end - out), 0};
            std::size_t rc = ZSTD_decompressStream(m_stream, &output, &input);
            if (ZSTD_isError(rc))
                return fail(std::string("corrupt zstd data (") + ZSTD_getErrorName(rc) + ")");
            in += input.pos;
            out += output.pos;
            if (input.pos != 0 || output.pos != 0) {
                // 0: a frame is complete and flushed. A call without progress
                // says nothing about the frame, so only progress updates this.
                m_frame_done = rc == 0;
                continue;
            }
            if (in != in_end)
                return fail("zstd decoder stalled");
            if (!last)
                return MORE;
            return m_frame_done ? END : fail("truncated zstd data");
        }
    }

private:
    ZSTD_DStream* m_stream;
    bool m_frame_done = false;
};

// xz through liblzma's stream decoder; concatenated streams and stream
// padding are accepted.
class BRIM_XZ_DECODER : public BRIM_DECODER {
public:
    BRIM_XZ_DECODER()
    {
        m_ready = lzma_stream_decoder(&m_stream, UINT64_MAX, LZMA_CONCATENATED) == LZMA_OK;
        if (!m_ready)
            fail("cannot set up the xz decoder");
    }
    ~BRIM_XZ_DECODER() override { lzma_end(&m_stream); }

    const char* name() const override { return "xz"; }

    STATUS decode(const unsigned char*& in, const unsigned char* in_end, char*& out, char* out_end,
                  bool last) override
    {
        for (;;) {
            if (out == out_end)
                return MORE;
            m_stream.next_in = in;
            m_stream.avail_in = static_cast<std::size_t>(in_end - in);
            m_stream.next_out = reinterpret_cast<std::uint8_t*>(out);
            m_stream.avail_out = static_cast<std::size_t>(out_end - out);
            lzma_ret rc = lzma_code(&m_stream, last ? LZMA_FINISH : LZMA_RUN);
            const unsigned char* in_now = m_stream.next_in;
            char* out_now = reinterpret_cast<char*>(m_stream.next_out);
            bool progress = in_now != in || out_now != out;
            in = in_now;
            out = out_now;
            if (rc == LZMA_STREAM_END)
                return END;
            if ((rc == LZMA_OK || rc == LZMA_BUF_ERROR) && progress)
                continue;
            if (rc == LZMA_OK || rc == LZMA_BUF_ERROR) {
                if (in != in_end)
                    return fail("xz decoder stalled");
                return last ? fail("truncated xz data") : MORE;
            }
            return fail(std::string("corrupt xz data (") + describe(rc) + ")");
        }
    }

private:
    static const char* describe(lzma_ret rc)
    {
        switch (rc) {
        case LZMA_MEM_ERROR: return "out of memory";
        case LZMA_FORMAT_ERROR: return "not in xz format";
        case LZMA_OPTIONS_ERROR: return "unsupported options";
        case LZMA_DATA_ERROR: return "data error";
        case LZMA_UNSUPPORTED_CHECK: return "unsupported integrity check";
        default: return "unknown error";
        }
    }

    lzma_stream m_stream = LZMA_STREAM_INIT;
    bool m_ready = false;
};

bool starts_with(const unsigned char* head, std::size_t n, const unsigned char* magic, std::size_t m)
{
    return n >= m && std::memcmp(head, magic, m) == 0;
}

}  // namespace

std::unique_ptr<BRIM_DECODER> BRIM_DECODER::for_data(const unsigned char* head, std::size_t n)
{
    static const unsigned char gzip_magic[] = {0x1F, 0x8B};
    static const unsigned char zstd_magic[] = {0x28, 0xB5, 0x2F, 0xFD};
    static const unsigned char skippable_tail[] = {0x2A, 0x4D, 0x18};  // after 0x50..0x5F
    static const unsigned char xz_magic[] = {0xFD, 0x37, 0x7A, 0x58, 0x5A, 0x00};

    if (starts_with(head, n, gzip_magic, sizeof gzip_magic))
        return std::make_unique<BRIM_GZIP_DECODER>();
    if (starts_with(head, n, zstd_magic, sizeof zstd_magic) ||
        (n >= 4 && (head[0] & 0xF0) == 0x50 && std::memcmp(head + 1, skippable_tail, 3) == 0))
        return std::make_unique<BRIM_ZSTD_DECODER>();
    if (starts_with(head, n, xz_magic, sizeof xz_magic))
        return std::make_unique<BRIM_XZ_DECODER>();
    return nullptr;
}
