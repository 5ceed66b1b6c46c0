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
// get area, plain memory is the get area itself; compressed input is read
// into an input block (memory is taken in blocks of the same size, where it
// lies) and decoded into an output block that serves as the get area. Reads of at least one block
// bypass the get area: plain data is read, compressed data decoded,
// straight into the caller's memory.
//
// Damaged data is never delivered as if it were whole: the buffer records
// the reason and throws std::ios_base::failure from underflow or xsgetn, and
// std::istream turns that into badbit (or passes it on when the caller asked
// for exceptions on badbit). Nothing decoded by the call that met the damage
// is handed out. When decoded bytes fill their destination, one byte more is
// decoded and held back for the next call: so the call that hands out the
// last byte of the data has also met the end of the data, and so checked
// what the decoder checks there (check values, what follows the end).
class BRIM_ZIFSTREAM::BUFFER : public std::streambuf {
public:
    BUFFER(const char* file_name, std::ios::openmode mode, const unsigned char* dictionary, int block_log2);
    BUFFER(const void* data, std::size_t size, const char* name);
    BUFFER(int fd, const char* name);
    ~BUFFER() override;
    BUFFER(const BUFFER&) = delete;
    BUFFER& operator=(const BUFFER&) = delete;

    bool is_open() const { return m_open; }
    const char* format() const { return m_decoder != nullptr ? m_decoder->name() : "plain"; }
    const std::string& error() const { return m_error; }
    const std::string& damage() const { return m_damage; }
    int error_number() const { return m_errno; }
    bool finish(std::uint64_t limit);
    bool stopped_short() const { return m_stopped_short; }
    std::uint64_t input_position() const;
    std::uint64_t input_size() const { return m_source_size; }

protected:
    int_type underflow() override;
    std::streamsize xsgetn(char_type* s, std::streamsize n) override;
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override;

private:
    bool open(const char* file_name, std::ios::openmode mode, const unsigned char* dictionary);
    bool open_descriptor();
    bool start(const unsigned char* head, std::size_t n);
    std::size_t read_file(char* dst, std::size_t cap);
    void next_input();
    std::size_t next_window();
    std::size_t decode_into(char* dst, std::size_t cap);
    std::size_t produce(char* dst, std::size_t cap, bool spare);
    std::size_t deliver(char* dst, std::size_t cap);
    std::size_t refill_get_area();
    void skip_plain(std::uint64_t limit);
    void decoder_failed();
    std::string named(const std::string& text) const;
    void system_failed(int code, const char* before, const std::string& after = std::string());
    [[noreturn]] void raise() const;
    void report_progress() const;

    std::string m_name;
    int m_fd = -1;
    bool m_owns_fd = true;  // false: the caller's descriptor, left open
    const char* m_data = nullptr;  // the input in memory, when it is there
    bool m_open = false;
    std::uint64_t m_source_size = 0;  // bytes of the input; 0 when unknown
    std::uint64_t m_source_read = 0;  // bytes taken from the file or memory so far
    bool m_source_eof = false;        // all of the input has been taken
    std::size_t m_block;
    std::unique_ptr<char[]> m_in;  // file block: the get area of plain data
    const unsigned char* m_in_pos = nullptr;
    const unsigned char* m_in_end = nullptr;
    std::unique_ptr<char[]> m_out;  // decoded block, the get area of compressed data, and one byte more
    std::unique_ptr<BRIM_DECODER> m_decoder;
    bool m_ended = false;           // the compressed data ended properly
    bool m_holding = false;         // m_held is the next decoded byte
    char m_held = 0;
    std::uint64_t m_delivered = 0;  // bytes handed out or placed in the get area
    std::string m_error;            // why the stream went bad; empty while it is fine
    std::string m_damage;           // what is wrong with the compressed data
    int m_errno = 0;                // the system's reason for m_error, when it is the system's
    bool m_stopped_short = false;   // finish() met its limit first
};

namespace {

// Plain data in memory is handed out in windows no larger than this, so
// that positions within one always fit the int that gbump takes.
const std::size_t MAX_WINDOW = std::size_t(1) << 30;

}  // namespace

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

BRIM_ZIFSTREAM::BUFFER::BUFFER(const void* data, std::size_t size, const char* name)
    : m_name(name != nullptr ? name : ""), m_data(static_cast<const char*>(data)), m_source_size(size),
      m_block(std::size_t(1) << 16)
{
    if (data == nullptr && size != 0) {
        m_error = named("no data");
        return;
    }
    m_open = start(static_cast<const unsigned char*>(data), size);
}

BRIM_ZIFSTREAM::BUFFER::BUFFER(int fd, const char* name)
    : m_name(name != nullptr ? name : ""), m_fd(fd), m_owns_fd(false), m_block(std::size_t(1) << 16)
{
    if (fd < 0)
        m_error = named(std::strerror(EBADF));
    else
        m_open = open_descriptor();
}

BRIM_ZIFSTREAM::BUFFER::~BUFFER()
{
    if (m_fd >= 0 && m_owns_fd)
        ::close(m_fd);
}

// Opens the file and reads its first block. False, with the reason in
// m_error, when the file cannot be read.
bool BRIM_ZIFSTREAM::BUFFER::open(const char* file_name, std::ios::openmode mode, const unsigned char* dictionary)
{
    if (file_name == nullptr) {
        m_error = "no file name";
        return false;
    }
    if (dictionary != nullptr) {
        m_error = named("preset dictionaries are not supported");
        return false;
    }
    if (mode & (std::ios::out | std::ios::app | std::ios::trunc)) {
        m_error = named("the stream can only read");
        return false;
    }
    do
        m_fd = ::open(file_name, O_RDONLY | O_CLOEXEC);
    while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        system_failed(errno, "");
        return false;
    }
    return open_descriptor();
}

// Sizes up the open m_fd and reads its first block. False, with the reason
// in m_error, when it cannot be read.
bool BRIM_ZIFSTREAM::BUFFER::open_descriptor()
{
    struct stat st;
    if (::fstat(m_fd, &st) != 0) {
        system_failed(errno, "");
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        system_failed(EISDIR, "");
        return false;
    }
    if (S_ISREG(st.st_mode))
        m_source_size = static_cast<std::uint64_t>(st.st_size);
    if (m_owns_fd)
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    m_in.reset(new char[m_block]);
    next_input();
    return m_error.empty() && start(m_in_pos, static_cast<std::size_t>(m_in_end - m_in_pos));
}

// Picks the decoder from the first `n` bytes of the input, at `head` (the
// first block of a file, all of the memory), and sets up the first get area
// or the decoder's first input.
bool BRIM_ZIFSTREAM::BUFFER::start(const unsigned char* head, std::size_t n)
{
    m_decoder = BRIM_DECODER::for_data(head, n);
    if (m_decoder == nullptr) {
        if (m_data != nullptr)
            next_window();
        else
            setg(m_in.get(), m_in.get(), m_in.get() + n);
        m_in_pos = m_in_end = nullptr;
        m_delivered = m_source_read;
        return true;
    }
    if (!m_decoder->error().empty()) {
        m_error = named(m_decoder->error());
        return false;
    }
    if (m_data != nullptr)
        next_input();
    m_out.reset(new char[m_block + 1]);  // room for the byte after a block
    setg(m_out.get(), m_out.get(), m_out.get());
    return true;
}

// Reads up to `cap` bytes of the file into `dst`, stopping early only at the
// end of the file or on an error (recorded in m_error).
std::size_t BRIM_ZIFSTREAM::BUFFER::read_file(char* dst, std::size_t cap)
{
    std::size_t got = 0;
    while (got < cap && !m_source_eof) {
        ssize_t r = ::read(m_fd, dst + got, std::min(cap - got, MAX_READ_CALL));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            int code = errno;
            system_failed(code, "read error: ", " at byte " + std::to_string(m_source_read) + " of the file");
            break;
        }
        if (r == 0) {
            m_source_eof = true;
            break;
        }
        got += static_cast<std::size_t>(r);
        m_source_read += static_cast<std::uint64_t>(r);
        report_progress();
    }
    return got;
}

// Makes the next block of the input the decoder's input: read from the
// file, or taken as it is from the memory. Either way the decoder gets the
// same blocks, so it meets damage, and places it, alike.
void BRIM_ZIFSTREAM::BUFFER::next_input()
{
    std::size_t n;
    if (m_data != nullptr) {
        n = static_cast<std::size_t>(std::min<std::uint64_t>(m_source_size - m_source_read, m_block));
        m_in_pos = reinterpret_cast<const unsigned char*>(m_data) + m_source_read;
        m_source_read += n;
        m_source_eof = n == 0;
    } else {
        n = read_file(m_in.get(), m_block);
        m_in_pos = reinterpret_cast<const unsigned char*>(m_in.get());
    }
    m_in_end = m_in_pos + n;
}

// Makes the next part of plain data in memory the get area; no copy.
std::size_t BRIM_ZIFSTREAM::BUFFER::next_window()
{
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(m_source_size - m_source_read, MAX_WINDOW));
    // The get area is never written through: const_cast only to fit streambuf.
    char* window = const_cast<char*>(m_data) + m_source_read;
    setg(window, window, window + n);
    m_source_read += n;
    m_source_eof = m_source_read == m_source_size;
    return n;
}

// Decodes up to `cap` bytes into `dst`; fewer only at the end of the data
// or on damage (recorded in m_error).
std::size_t BRIM_ZIFSTREAM::BUFFER::decode_into(char* dst, std::size_t cap)
{
    char* out = dst;
    char* const end = dst + cap;
    while (out < end && !m_ended && m_error.empty()) {
        if (m_in_pos == m_in_end && !m_source_eof) {
            next_input();
            if (!m_error.empty())
                break;
        }
        const unsigned char* in_before = m_in_pos;
        char* out_before = out;
        BRIM_DECODER::STATUS status = m_decoder->decode(m_in_pos, m_in_end, out, end, m_source_eof);
        if (status == BRIM_DECODER::END) {
            m_ended = true;
        } else if (status == BRIM_DECODER::FAILED) {
            decoder_failed();
        } else if (out == out_before && m_in_pos == in_before && (m_in_pos != m_in_end || m_source_eof)) {
            // Guards against looping on a decoder that neither moves nor fails.
            m_damage = std::string(format()) + " data damaged at byte " + std::to_string(input_position()) +
                       " (decoder stalled)";
            m_error = named(m_damage);
        }
    }
    return static_cast<std::size_t>(out - dst);
}

// Decodes up to `cap` bytes into `dst`, the held byte first; fewer only at
// the end of the data or on damage. When they fill `dst`, the byte after
// them is decoded and held: in the same call into dst[cap] when `dst` has
// room for it (`spare`), else by a call of its own. (One call keeps zlib's
// window in whole blocks, which its copies are fastest with.)
std::size_t BRIM_ZIFSTREAM::BUFFER::produce(char* dst, std::size_t cap, bool spare)
{
    std::size_t n = 0;
    if (m_holding && cap > 0) {
        dst[n++] = m_held;
        m_holding = false;
    }
    n += decode_into(dst + n, cap + (spare ? 1 : 0) - n);
    if (n > cap) {
        m_held = dst[cap];
        m_holding = true;
        return cap;
    }
    if (n == cap && cap > 0 && !spare && !m_ended && m_error.empty())
        m_holding = decode_into(&m_held, 1) == 1;
    return n;
}

// Places up to `cap` delivered bytes at `dst`, bypassing the get area.
std::size_t BRIM_ZIFSTREAM::BUFFER::deliver(char* dst, std::size_t cap)
{
    std::size_t n;
    if (m_decoder != nullptr) {
        n = produce(dst, cap, false);
    } else if (m_data != nullptr) {
        n = static_cast<std::size_t>(std::min<std::uint64_t>(m_source_size - m_source_read, cap));
        std::memcpy(dst, m_data + m_source_read, n);
        m_source_read += n;
    } else {
        n = read_file(dst, cap);
    }
    m_delivered += n;
    return n;
}

// A new get area; empty at the end of the data, and when damage was met.
std::size_t BRIM_ZIFSTREAM::BUFFER::refill_get_area()
{
    if (m_decoder == nullptr && m_data != nullptr) {
        std::size_t n = next_window();
        m_delivered += n;
        return n;
    }
    char* area = m_decoder != nullptr ? m_out.get() : m_in.get();
    std::size_t n = m_decoder != nullptr ? produce(area, m_block, true) : read_file(area, m_block);
    if (!m_error.empty())
        n = 0;
    m_delivered += n;
    setg(area, area, area + n);
    return n;
}

bool BRIM_ZIFSTREAM::BUFFER::finish(std::uint64_t limit)
{
    if (!m_open || !m_error.empty())
        return false;
    if (m_decoder == nullptr) {
        skip_plain(limit);
        return m_error.empty() && !m_stopped_short;
    }
    m_delivered += m_holding ? 1 : 0;
    m_holding = false;
    // Counted in whichever grows faster: the input read, or what it makes.
    const std::uint64_t read_before = m_source_read, made_before = m_delivered;
    while (!m_ended && m_error.empty()) {
        if (m_source_read - read_before >= limit || m_delivered - made_before >= limit) {
            m_stopped_short = true;
            break;
        }
        m_delivered += decode_into(m_out.get(), m_block);
    }
    setg(m_out.get(), m_out.get(), m_out.get());
    return m_error.empty() && !m_stopped_short;
}

// Moves past the rest of plain data: in memory, and in a regular file,
// without reading it; anything else is read, `limit` bytes at most.
void BRIM_ZIFSTREAM::BUFFER::skip_plain(std::uint64_t limit)
{
    setg(egptr(), egptr(), egptr());
    if (m_data != nullptr) {
        m_source_read = m_source_size;
        m_source_eof = true;
    } else if (!m_source_eof) {
        // Only a regular file's end is where lseek says: a device's is not.
        off_t end = m_source_size != 0 ? ::lseek(m_fd, 0, SEEK_END) : -1;
        if (end >= 0 && static_cast<std::uint64_t>(end) >= m_source_read) {
            m_source_read = static_cast<std::uint64_t>(end);
            m_source_eof = true;
            report_progress();
        }
        const std::uint64_t read_before = m_source_read;
        while (!m_source_eof && m_error.empty()) {
            if (m_source_read - read_before >= limit) {
                m_stopped_short = true;
                break;
            }
            read_file(m_in.get(), static_cast<std::size_t>(std::min<std::uint64_t>(m_block, limit)));
        }
    }
    m_delivered = m_source_read;
}

void BRIM_ZIFSTREAM::BUFFER::decoder_failed()
{
    if (m_decoder->data_fault())
        m_damage = m_decoder->error();
    m_error = named(m_decoder->error());
}

std::string BRIM_ZIFSTREAM::BUFFER::named(const std::string& text) const
{
    return m_name.empty() ? text : m_name + ": " + text;
}

// The file failed for the system's reason `code`: its text, between
// `before` and `after`, is the stream's error.
void BRIM_ZIFSTREAM::BUFFER::system_failed(int code, const char* before, const std::string& after)
{
    m_errno = code;
    m_error = named(before + std::string(std::strerror(code)) + after);
}

std::uint64_t BRIM_ZIFSTREAM::BUFFER::input_position() const
{
    if (m_decoder == nullptr)
        return m_delivered - static_cast<std::uint64_t>(egptr() - gptr());
    return m_source_read - static_cast<std::uint64_t>(m_in_end - m_in_pos);
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
        (*hook)(m_source_read, m_source_size);
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
    while (done < wanted && m_error.empty()) {
        std::size_t avail = static_cast<std::size_t>(egptr() - gptr());
        if (avail > 0) {
            std::size_t k = std::min(avail, wanted - done);
            std::memcpy(s + done, gptr(), k);
            gbump(static_cast<int>(k));
            done += k;
            continue;
        }
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
    start();
}

BRIM_ZIFSTREAM::BRIM_ZIFSTREAM(const void* data, std::size_t size, const char* name)
    : std::istream(nullptr), m_buffer(new BUFFER(data, size, name))
{
    start();
}

BRIM_ZIFSTREAM::BRIM_ZIFSTREAM(int fd, const char* name) : std::istream(nullptr), m_buffer(new BUFFER(fd, name))
{
    start();
}

void BRIM_ZIFSTREAM::start()
{
    rdbuf(m_buffer.get());  // also clears the bad state of the null buffer
    if (!m_buffer->is_open())
        setstate(std::ios::failbit);
}

BRIM_ZIFSTREAM::~BRIM_ZIFSTREAM() = default;

const char* BRIM_ZIFSTREAM::format() const { return m_buffer->format(); }

const char* BRIM_ZIFSTREAM::error() const { return m_buffer->error().c_str(); }

const char* BRIM_ZIFSTREAM::damage() const { return m_buffer->damage().c_str(); }

int BRIM_ZIFSTREAM::error_number() const { return m_buffer->error_number(); }

bool BRIM_ZIFSTREAM::finish(std::uint64_t limit)
{
    if (m_buffer->finish(limit))
        return true;
    if (m_buffer->is_open() && !m_buffer->stopped_short())
        setstate(std::ios::badbit);
    return false;
}

bool BRIM_ZIFSTREAM::stopped_short() const { return m_buffer->stopped_short(); }

std::uint64_t BRIM_ZIFSTREAM::input_position() const { return m_buffer->input_position(); }

std::uint64_t BRIM_ZIFSTREAM::input_size() const { return m_buffer->input_size(); }

void BRIM_ZIFSTREAM::set_progress_hook(BRIM_PROGRESS_HOOK hook)
{
    std::shared_ptr<const BRIM_PROGRESS_HOOK> next;
    if (hook)
        next = std::make_shared<const BRIM_PROGRESS_HOOK>(std::move(hook));
    std::lock_guard<std::mutex> lock(hook_mutex());
    g_hook_installed.store(next != nullptr, std::memory_order_relaxed);
    hook_slot() = std::move(next);
}
