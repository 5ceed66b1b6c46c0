#include "brim_decoder.h"

#include <lzma.h>
#include <zlib.h>
#include <zstd.h>
#include <zstd_errors.h>

#include <algorithm>
#include <climits>
#include <cstring>

BRIM_DECODER::STATUS BRIM_DECODER::decode(const unsigned char*& in, const unsigned char* in_end, char*& out,
                                          char* out_end, bool last)
{
    m_call_in = in;
    STATUS status = step(in, in_end, out, out_end, last);
    m_consumed += std::uint64_t(in - m_call_in);
    m_call_in = nullptr;
    if (status == FAILED)
        describe_failure();
    return status;
}

BRIM_DECODER::STATUS BRIM_DECODER::failure(FAULT fault, const std::string& reason, std::uint64_t at)
{
    m_fault = fault;
    m_reason = reason;
    m_fault_at = at;
    if (fault == BROKEN)  // may come from a constructor, before any decode()
        m_error = reason;
    return FAILED;
}

void BRIM_DECODER::describe_failure()
{
    const std::string format = name();
    switch (m_fault) {
    case DAMAGED:
        m_error = format + " data damaged at byte " + std::to_string(m_consumed) + " (" + m_reason + ")";
        break;
    case TRUNCATED:
        m_error = format + " data ends early at byte " + std::to_string(m_consumed) + " (" + m_reason + ")";
        break;
    case TRAILING:
        m_error = "unexpected data after the end of the " + format + " data at byte " + std::to_string(m_fault_at);
        break;
    case NONE:  // a step() that failed without saying why
        m_error = format + " data damaged at byte " + std::to_string(m_consumed) + " (unknown error)";
        break;
    case BROKEN:
        break;
    }
}

namespace {

// zlib counts in unsigned int; never hand it more than one can hold.
unsigned clamp_uint(std::size_t n) { return static_cast<unsigned>(std::min<std::size_t>(n, UINT_MAX)); }

// gzip members and xz streams may follow one another, and zero bytes may
// follow them; this decides what the bytes after one member are, and hands
// each member to the format's library decoder.
class BRIM_SEQUENCE_DECODER : public BRIM_DECODER {
protected:
    // Every member starts with `magic`. Zero padding after a member must
    // come in multiples of `padding_unit` bytes; `padding_between` says
    // whether a further member may follow padding (xz) or only the end of
    // the data (gzip).
    BRIM_SEQUENCE_DECODER(const unsigned char* magic, std::size_t magic_size, unsigned padding_unit,
                          bool padding_between)
        : m_magic(magic), m_magic_size(magic_size), m_padding_unit(padding_unit), m_padding_between(padding_between)
    {
    }

    // Readies the library decoder for a new member; false after broken().
    virtual bool begin_member() = 0;
    // Decodes within one member, as step() does; END when the member ended,
    // with `in` just past its last byte.
    virtual STATUS member(const unsigned char*& in, const unsigned char* in_end, char*& out, char* out_end,
                          bool last) = 0;

private:
    enum SCAN { NEED_INPUT, NEXT_MEMBER, ALL_DONE, BAD_DATA };

    STATUS step(const unsigned char*& in, const unsigned char* in_end, char*& out, char* out_end,
                bool last) override
    {
        for (;;) {
            if (m_in_member) {
                STATUS status = member(in, in_end, out, out_end, last);
                if (status != END)
                    return status;
                m_in_member = false;
                m_member_end = position(in);
                m_zeros = 0;
            }
            switch (scan(in, in_end, last)) {
            case NEED_INPUT: return MORE;
            case ALL_DONE: return END;
            case BAD_DATA: return FAILED;
            case NEXT_MEMBER:
                if (!enter_member())
                    return FAILED;
                break;
            }
        }
    }

    // Reads the bytes between members: padding, then the magic number of the
    // next member, which is consumed.
    SCAN scan(const unsigned char*& in, const unsigned char* in_end, bool last)
    {
        for (; in != in_end; ++in) {
            if (m_magic_seen == 0 && *in == 0) {
                ++m_zeros;
                continue;
            }
            bool may_start = m_magic_seen > 0 || m_zeros == 0 || (m_padding_between && m_zeros % m_padding_unit == 0);
            if (!may_start || *in != m_magic[m_magic_seen]) {
                trailing(m_member_end);
                return BAD_DATA;
            }
            if (++m_magic_seen == m_magic_size) {
                ++in;
                m_magic_seen = 0;
                return NEXT_MEMBER;
            }
        }
        if (!last)
            return NEED_INPUT;
        if (m_magic_seen > 0) {  // a member that breaks off within its magic number
            truncated();
            return BAD_DATA;
        }
        if (m_zeros % m_padding_unit != 0) {
            trailing(m_member_end);
            return BAD_DATA;
        }
        return ALL_DONE;
    }

    // Starts the next member. Its magic number was consumed from the input
    // already, so the library decoder reads it from our copy. A magic number
    // decodes to nothing, but the decoders want room for output all the same.
    bool enter_member()
    {
        if (!begin_member())
            return false;
        const unsigned char* magic = m_magic;
        const unsigned char* magic_end = m_magic + m_magic_size;
        char room;
        char* out = &room;
        if (member(magic, magic_end, out, &room + 1, false) != MORE || magic != magic_end || out != &room) {
            broken(std::string(name()) + " decoder did not take the magic number");
            return false;
        }
        m_in_member = true;
        return true;
    }

    const unsigned char* m_magic;
    std::size_t m_magic_size;
    unsigned m_padding_unit;
    bool m_padding_between;
    bool m_in_member = false;
    std::size_t m_magic_seen = 0;    // bytes of the next member's magic number read so far
    std::uint64_t m_zeros = 0;       // zero bytes read since the last member ended
    std::uint64_t m_member_end = 0;  // the byte of the input where the last member ended
};

const unsigned char GZIP_MAGIC[] = {0x1F, 0x8B};
const unsigned char XZ_MAGIC[] = {0xFD, 0x37, 0x7A, 0x58, 0x5A, 0x00};

// gzip through zlib's inflate with gzip framing, one member at a time.
// Zero bytes may follow the last member, as tape blocks leave them.
class BRIM_GZIP_DECODER : public BRIM_SEQUENCE_DECODER {
public:
    BRIM_GZIP_DECODER() : BRIM_SEQUENCE_DECODER(GZIP_MAGIC, sizeof GZIP_MAGIC, 1, false)
    {
        std::memset(&m_z, 0, sizeof m_z);
        m_ready = inflateInit2(&m_z, 15 + 16) == Z_OK;  // 15-bit window, gzip header only
        if (!m_ready)
            broken("cannot set up the gzip decoder");
    }
    ~BRIM_GZIP_DECODER() override
    {
        if (m_ready)
            inflateEnd(&m_z);
    }

    const char* name() const override { return "gzip"; }

private:
    bool begin_member() override
    {
        if (inflateReset(&m_z) == Z_OK)
            return true;
        broken("cannot restart the gzip decoder");
        return false;
    }

    STATUS member(const unsigned char*& in, const unsigned char* in_end, char*& out, char* out_end,
                  bool last) override
    {
        for (;;) {
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
            if (rc == Z_STREAM_END)
                return END;
            if ((rc == Z_OK || rc == Z_BUF_ERROR) && progress)
                continue;
            if (rc == Z_OK || rc == Z_BUF_ERROR) {  // stuck: input is missing
                if (in != in_end)
                    return damaged("decoder stalled");
                return last ? truncated() : MORE;
            }
            if (rc == Z_MEM_ERROR)
                return broken("out of memory in the gzip decoder");
            return damaged(m_z.msg != nullptr ? m_z.msg : "unknown error");
        }
    }

    z_stream m_z;
    bool m_ready = false;
};

// xz through liblzma's stream decoder, one stream at a time; stream padding
// (zero bytes in fours) may follow each.
class BRIM_XZ_DECODER : public BRIM_SEQUENCE_DECODER {
public:
    BRIM_XZ_DECODER() : BRIM_SEQUENCE_DECODER(XZ_MAGIC, sizeof XZ_MAGIC, 4, true) {}
    ~BRIM_XZ_DECODER() override { lzma_end(&m_stream); }

    const char* name() const override { return "xz"; }

private:
    bool begin_member() override
    {
        // A check this liblzma cannot compute would leave the data unchecked:
        // it is told, and refused.
        lzma_ret rc = lzma_stream_decoder(&m_stream, UINT64_MAX, LZMA_TELL_UNSUPPORTED_CHECK);
        if (rc == LZMA_OK)
            return true;
        broken(rc == LZMA_MEM_ERROR ? "out of memory in the xz decoder" : "cannot set up the xz decoder");
        return false;
    }

    STATUS member(const unsigned char*& in, const unsigned char* in_end, char*& out, char* out_end,
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
                    return damaged("decoder stalled");
                return last ? truncated() : MORE;
            }
            if (rc == LZMA_MEM_ERROR)
                return broken("out of memory in the xz decoder");
            return damaged(describe(rc));
        }
    }

    // liblzma tells its reasons by code only.
    static const char* describe(lzma_ret rc)
    {
        switch (rc) {
        case LZMA_FORMAT_ERROR: return "not in xz format";
        case LZMA_OPTIONS_ERROR: return "unsupported options";
        case LZMA_DATA_ERROR: return "compressed data is corrupt";
        case LZMA_UNSUPPORTED_CHECK: return "unsupported integrity check";
        case LZMA_MEMLIMIT_ERROR: return "memory limit reached";
        default: return "unknown error";
        }
    }

    lzma_stream m_stream = LZMA_STREAM_INIT;
};

// zstd through libzstd's streaming decoder, which takes frames one after
// the other, skippable frames included, and refuses anything else.
class BRIM_ZSTD_DECODER : public BRIM_DECODER {
public:
    BRIM_ZSTD_DECODER() : m_stream(ZSTD_createDStream())
    {
        if (m_stream == nullptr || ZSTD_isError(ZSTD_initDStream(m_stream)))
            broken("cannot set up the zstd decoder");
    }
    ~BRIM_ZSTD_DECODER() override { ZSTD_freeDStream(m_stream); }

    const char* name() const override { return "zstd"; }

private:
    STATUS step(const unsigned char*& in, const unsigned char* in_end, char*& out, char* out_end,
                bool last) override
    {
        for (;;) {
            if (out == out_end)
                return MORE;
            ZSTD_inBuffer input = {in, static_cast<std::size_t>(in_end - in), 0};
            ZSTD_outBuffer output = {out, static_cast<std::size_t>(out_end - out), 0};
            std::size_t rc = ZSTD_decompressStream(m_stream, &output, &input);
            if (ZSTD_isError(rc))
                return failed(rc, in, in_end);
            in += input.pos;
            out += output.pos;
            if (input.pos != 0 || output.pos != 0) {
                // 0: a frame is complete and flushed. A call without progress
                // says nothing about the frame, so only progress updates this.
                m_frame_done = rc == 0;
                if (m_frame_done)
                    m_frame_end = position(in);
                continue;
            }
            if (in != in_end)
                return damaged("decoder stalled");
            if (!last)
                return MORE;
            return m_frame_done ? END : truncated();
        }
    }

    STATUS failed(std::size_t rc, const unsigned char*& in, const unsigned char* in_end)
    {
        switch (ZSTD_getErrorCode(rc)) {
        case ZSTD_error_prefix_unknown:  // no frame starts where the last one ended
            return trailing(m_frame_end);
        case ZSTD_error_memory_allocation:
            return broken("out of memory in the zstd decoder");
        default:
            // libzstd does not say how far it read: it read at most all it had.
            in = in_end;
            return damaged(ZSTD_getErrorName(rc));
        }
    }

    ZSTD_DStream* m_stream;
    bool m_frame_done = false;
    std::uint64_t m_frame_end = 0;  // the byte of the input where the last frame ended
};

bool starts_with(const unsigned char* head, std::size_t n, const unsigned char* magic, std::size_t m)
{
    return n >= m && std::memcmp(head, magic, m) == 0;
}

}  // namespace

std::unique_ptr<BRIM_DECODER> BRIM_DECODER::for_data(const unsigned char* head, std::size_t n)
{
    static const unsigned char zstd_magic[] = {0x28, 0xB5, 0x2F, 0xFD};
    static const unsigned char skippable_tail[] = {0x2A, 0x4D, 0x18};  // after 0x50..0x5F

    if (starts_with(head, n, GZIP_MAGIC, sizeof GZIP_MAGIC))
        return std::make_unique<BRIM_GZIP_DECODER>();
    if (starts_with(head, n, zstd_magic, sizeof zstd_magic) ||
        (n >= 4 && (head[0] & 0xF0) == 0x50 && std::memcmp(head + 1, skippable_tail, 3) == 0))
        return std::make_unique<BRIM_ZSTD_DECODER>();
    if (starts_with(head, n, XZ_MAGIC, sizeof XZ_MAGIC))
        return std::make_unique<BRIM_XZ_DECODER>();
    return nullptr;
}
