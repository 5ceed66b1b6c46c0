#include "brim_zifstream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

#include "brim_decoder.h"

namespace {

// The process-wide progress hook. Streams look it up once per block; the
// flag spares them the lock while no hook is installed.
std::mutex& hook_mutex()
{
    static std::mutex m;
    return m;
}

std::shared_ptr<const BRIM_PROGRESS_HOOK>& hook_slot()
{
    static std::shared_ptr<const BRIM_PROGRESS_HOOK> hook;
    return hook;
}

std::atomic<bool> g_hook_installed{false};

// One read() call never asks for more than this, so progress is reported
// regularly even for reads straight into a large caller buffer.
const std::size_t MAX_READ_CALL = std::size_t(1) << 24;

}  // namespace

// The stream buffer. Plain files are read block by block straight into the
// get area; compressed files are read into an input block and decoded into
// an output block that serves as the get area. Reads of at least one block
// bypass the get area: plain data is read, compressed data decoded, straight
// into the caller's memory.
//
// Damaged data is never delivered as if it were whole: the buffer records
// the reason and throws std::ios_base::failure from underflow or xsgetn, and
// std::istream turns that into badbit (or passes it on when the caller asked
// for exceptions on badbit). Bytes decoded before the damage are delivered
// first when the get area is used.
class BRIM_ZIFSTREAM::BUFFER : public std::streambuf {
public:
    BUFFER(const char* file_name, std::ios::openmode mode, const unsigned char* dictionary, int block_log2);
    ~BUFFER() override;
    BUFFER(const BUFFER&) = delete;
    BUFFER& operator=(const BUFFER&) = delete;

    bool is_open() const { return m_open; }
    const char* format() const { return m_decoder != nullptr ? m_decoder->name() : "plain"; }
    const std::string& error() const { return m_error; }

protected:
    int_type underflow() override;
    std::streamsize xsgetn(char_type* s, std::streamsize n) override;
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override;

private:
    bool open(const char* file_name, std::ios::openmode mode, const unsigned char* dictionary);
    std::size_t read_file(char* dst, std::size_t cap);
    std::size_t produce(char* dst, std::size_t cap);
    std::size_t deliver(char* dst, std::size_t cap);
    std::size_t refill_get_area();
    void set_error(const std::string& reason);
    [[noreturn]] void raise() const;
    void report_progress() const;

    std::string m_name;
    int m_fd = -1;
    bool m_open = false;
    std::uint64_t m_file_size = 0;
    std::uint64_t m_file_read = 0;  // bytes read from the file so far
    bool m_file_eof = false;        // read() has returned 0
    std::size_t m_block;
    std::unique_ptr<char[]> m_in;  // file block: the get area of plain data
    const unsigned char* m_in_pos = nullptr;
    const unsigned char* m_in_end = nullptr;
    std::unique_ptr<char[]> m_out;  // decoded block: the get area of compressed data
    std::unique_ptr<BRIM_DECODER> m_decoder;
    bool m_ended = false;           // the compressed data ended properly
    std::uint64_t m_delivered = 0;  // bytes handed out or placed in the get area
    std::string m_error;            // why the stream went bad; empty while it is fine
};

BRIM_ZIFSTREAM::BUFFER::BUFFER(const char* file_name, std::ios::openmode mode, const unsigned char* dictionary,
                               int block_log2)
    : m_name(file_name != nullptr ? file_name : ""),
      m_block(std::size_t(1) << std::min(std::max(block_log2, 12), 24))
{
    m_open = open(file_name, mode, dictionary);
    if (!m_open && m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

BRIM_ZIFSTREAM::BUFFER::~BUFFER()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

// Opens the file, reads its first block and picks the decoder from the
// block's first bytes. False, with the reason in m_error, when the file
// cannot be read.
bool BRIM_ZIFSTREAM::BUFFER::open(const char* file_name, std::ios::openmode mode, const unsigned char* dictionary)
{
    if (file_name == nullptr) {
        m_error = "no file name";
        return false;
    }
    if (dictionary != nullptr) {
        m_error = m_name + ": preset dictionaries are not supported";
        return false;
    }
    if (mode & (std::ios::out | std::ios::app | std::ios::trunc)) {
        m_error = m_name + ": the stream can only read";
        return false;
    }
    do
        m_fd = ::open(file_name, O_RDONLY | O_CLOEXEC);
    while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        m_error = m_name + ": " + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::fstat(m_fd, &st) != 0) {
        m_error = m_name + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        m_error = m_name + ": " + std::strerror(EISDIR);
        return false;
    }
    if (S_ISREG(st.st_mode))
        m_file_size = static_cast<std::uint64_t>(st.st_size);
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    m_in.reset(new char[m_block]);
    std::size_t n = read_file(m_in.get(), m_block);
    if (!m_error.empty())
        return false;
    const unsigned char* head = reinterpret_cast<const unsigned char*>(m_in.get());
    m_decoder = BRIM_DECODER::for_data(head, n);
    if (m_decoder == nullptr) {
        setg(m_in.get(), m_in.get(), m_in.get() + n);
        m_delivered = n;
        return true;
    }
    if (!m_decoder->error().empty()) {
        m_error = m_name + ": " + m_decoder->error();
        return false;
    }
    m_in_pos = head;
    m_in_end = head + n;
    m_out.reset(new char[m_block]);
    setg(m_out.get(), m_out.get(), m_out.get());
    return true;
}

// Reads up to `cap` bytes of the file into `dst`, stopping early only at the
// end of the file or on an error (recorded in m_error).
std::size_t BRIM_ZIFSTREAM::BUFFER::read_file(char* dst, std::size_t cap)
{
    std::size_t got = 0;
    while (got < cap && !m_file_eof) {
        ssize_t r = ::read(m_fd, dst + got, std::min(cap - got, MAX_READ_CALL));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            set_error(std::string("read error: ") + std::strerror(errno));
            break;
        }
        if (r == 0) {
            m_file_eof = true;
            break;
        }
        got += static_cast<std::size_t>(r);
        m_file_read += static_cast<std::uint64_t>(r);
        report_progress();
    }
    return got;
}

// Decodes up to `cap` bytes into `dst`; fewer only at the end of the data
// or on damage (recorded in m_error).
std::size_t BRIM_ZIFSTREAM::BUFFER::produce(char* dst, std::size_t cap)
{
    char* out = dst;
    char* const end = dst + cap;
    while (out < end && !m_ended && m_error.empty()) {
        if (m_in_pos == m_in_end && !m_file_eof) {
            std::size_t n = read_file(m_in.get(), m_block);
            m_in_pos = reinterpret_cast<const unsigned char*>(m_in.get());
            m_in_end = m_in_pos + n;
            if (!m_error.empty())
                break;
        }
        const unsigned char* in_before = m_in_pos;
        char* out_before = out;
        BRIM_DECODER::STATUS status = m_decoder->decode(m_in_pos, m_in_end, out, end, m_file_eof);
        if (status == BRIM_DECODER::END)
            m_ended = true;
        else if (status == BRIM_DECODER::FAILED)
            set_error(m_decoder->error());
        else if (out == out_before && m_in_pos == in_before && (m_in_pos != m_in_end || m_file_eof))
            set_error(std::string(m_decoder->name()) + " decoder stalled");  // guards against looping
    }
    return static_cast<std::size_t>(out - dst);
}

// Places up to `cap` delivered bytes at `dst`, bypassing the get area.
std::size_t BRIM_ZIFSTREAM::BUFFER::deliver(char* dst, std::size_t cap)
{
    std::size_t n = m_decoder != nullptr ? produce(dst, cap) : read_file(dst, cap);
    m_delivered += n;
    return n;
}

std::size_t BRIM_ZIFSTREAM::BUFFER::refill_get_area()
{
    char* area = m_decoder != nullptr ? m_out.get() : m_in.get();
    std::size_t n = deliver(area, m_block);
    setg(area, area, area + n);
    return n;
}

void BRIM_ZIFSTREAM::BUFFER::set_error(const std::string& reason)
{
    std::uint64_t at = m_file_read - static_cast<std::uint64_t>(m_in_end - m_in_pos);
    m_error = m_name + ": " + reason + " at byte " + std::to_string(at) + " of the file";
}

void BRIM_ZIFSTREAM::BUFFER::raise() const { throw std::ios_base::failure(m_error); }

void BRIM_ZIFSTREAM::BUFFER::report_progress() const
{
    if (!g_hook_installed.load(std::memory_order_relaxed))
        return;
    std::shared_ptr<const BRIM_PROGRESS_HOOK> hook;
    {
        std::lock_guard<std::mutex> lock(hook_mutex());
        hook = hook_slot();
    }
    if (hook)
        (*hook)(m_file_read, m_file_size);
}

BRIM_ZIFSTREAM::BUFFER::int_type BRIM_ZIFSTREAM::BUFFER::underflow()
{
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    if (!m_open)
        return traits_type::eof();
    if (m_error.empty() && refill_get_area() > 0)
        return traits_type::to_int_type(*gptr());
    if (!m_error.empty())
        raise();
    return traits_type::eof();
}

std::streamsize BRIM_ZIFSTREAM::BUFFER::xsgetn(char_type* s, std::streamsize n)
{
    if (!m_open || n <= 0)
        return 0;
    std::size_t wanted = static_cast<std::size_t>(n);
    std::size_t done = 0;
    while (done < wanted) {
        std::size_t avail = static_cast<std::size_t>(egptr() - gptr());
        if (avail > 0) {
            std::size_t k = std::min(avail, wanted - done);
            std::memcpy(s + done, gptr(), k);
            gbump(static_cast<int>(k));
            done += k;
            continue;
        }
        if (!m_error.empty())
            break;
        bool direct = wanted - done >= m_block;
        std::size_t got = direct ? deliver(s + done, wanted - done) : refill_get_area();
        if (got == 0)
            break;
        if (direct)
            done += got;
    }
    // Damage met during this read: the whole read fails, so no damaged or
    // partial data is taken for good data.
    if (!m_error.empty())
        raise();
    return static_cast<std::streamsize>(done);
}

BRIM_ZIFSTREAM::BUFFER::pos_type BRIM_ZIFSTREAM::BUFFER::seekoff(off_type off, std::ios_base::seekdir dir,
                                                                 std::ios_base::openmode which)
{
    // Only the position query is supported: tellg().
    if (off != 0 || dir != std::ios_base::cur || !(which & std::ios_base::in) || !m_open)
        return pos_type(off_type(-1));
    return pos_type(static_cast<off_type>(m_delivered - static_cast<std::uint64_t>(egptr() - gptr())));
}

BRIM_ZIFSTREAM::BRIM_ZIFSTREAM(const char* file_name, std::ios::openmode mode, const unsigned char* dictionary,
                               int block_log2)
    : std::istream(nullptr), m_buffer(new BUFFER(file_name, mode, dictionary, block_log2))
{
    rdbuf(m_buffer.get());  // also clears the bad state of the null buffer
    if (!m_buffer->is_open())
        setstate(std::ios::failbit);
}

BRIM_ZIFSTREAM::~BRIM_ZIFSTREAM() = default;

const char* BRIM_ZIFSTREAM::format() const { return m_buffer->format(); }

const char* BRIM_ZIFSTREAM::error() const { return m_buffer->error().c_str(); }

void BRIM_ZIFSTREAM::set_progress_hook(BRIM_PROGRESS_HOOK hook)
{
    std::shared_ptr<const BRIM_PROGRESS_HOOK> next;
    if (hook)
        next = std::make_shared<const BRIM_PROGRESS_HOOK>(std::move(hook));
    std::lock_guard<std::mutex> lock(hook_mutex());
    g_hook_installed.store(next != nullptr, std::memory_order_relaxed);
    hook_slot() = std::move(next);
}
