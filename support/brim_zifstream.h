// BRIM_ZIFSTREAM: an input stream over a file, or over bytes in memory,
// that may be compressed.
//
// The format is recognised from the first bytes, never from the name:
// gzip, zstd and xz are decompressed, anything else is delivered as it is
// (so is an input too short to hold a whole magic number). Compressed data
// is accepted as the format's own test command accepts it: several gzip
// members and zero bytes after the last one; xz stream padding and several
// xz streams; several zstd frames, skippable ones too. Every check value is
// verified, and anything else after the end of the data is damage.
//
// read/gcount/tellg and the fail and bad bits behave like a file stream's:
// tellg is the position in the delivered bytes; a missing or unreadable
// file (a directory too) is failed from the start; a truncated or damaged
// compressed input sets badbit where the damage is: the read that meets it
// extracts nothing (gcount 0), so damaged data is never taken for good data.
// The read that hands out the last byte of the data has checked everything
// after it; a reader that stops before the end calls finish() to have the
// rest checked. Only the position query of seekoff is supported (tellg).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>

// Called as input is consumed: bytes read from the file so far, and the
// file's size in bytes (0 when unknown).
using BRIM_PROGRESS_HOOK = std::function<void(std::uint64_t file_bytes_read, std::uint64_t file_size)>;

class BRIM_ZIFSTREAM : public std::istream {
public:
    // `dictionary` must be null (preset dictionaries are not supported; a
    // non-null one fails the stream). `block_log2` sets the read block size
    // to 2^block_log2 bytes (16: 64 KiB), clamped to [12, 24].
    BRIM_ZIFSTREAM(const char* file_name, std::ios::openmode mode = std::ios::in,
                   const unsigned char* dictionary = nullptr, int block_log2 = 16);
    // The `size` bytes at `data`, which are not copied and must outlive the
    // stream. `name` stands for them in error().
    BRIM_ZIFSTREAM(const void* data, std::size_t size, const char* name);
    // What the open descriptor `fd` (a pipe, a terminal, a file) reads from
    // where it stands; the stream neither owns nor closes it. `name` stands
    // for it in error().
    BRIM_ZIFSTREAM(int fd, const char* name);
    ~BRIM_ZIFSTREAM() override;

    // Which decoder the stream chose: "plain", "gzip", "zstd" or "xz".
    const char* format() const;
    // Why the stream failed to open or went bad, naming the file (and for
    // damaged data the byte of the file where it was found); empty while
    // all is well. A clean end of the data is no error.
    const char* error() const;
    // What is wrong with damaged, truncated or overlong compressed data,
    // without the file name, as "gzip data damaged at byte 812345 (invalid
    // distance)": the byte of the input the decoder had read up to when it
    // found the damage, and the decoder's reason. Empty while all is well,
    // and for every other failure (those are in error()).
    const char* damage() const;
    // The system's error number (errno) of a file that could not be opened
    // or read, so that a caller can say which kind of failure it was; 0
    // while all is well and for every failure that is not the system's.
    int error_number() const;

    // Reads what remains of the input to its end, checking it and discarding
    // the data: true when the whole input is intact (remaining plain bytes
    // are skipped unread where the file can seek). On damage sets badbit, as
    // a read would. Cheap once the data has ended. With `limit`, stops once
    // that many more bytes have been taken from the input or made from it,
    // and returns false without badbit when it stopped there: an input
    // that never ends (a device, a pipe) ends the check too.
    bool finish(std::uint64_t limit = UINT64_MAX);
    // finish() stopped at its limit before the end of the input.
    bool stopped_short() const;

    // Bytes of the input (the compressed bytes of a compressed one) consumed
    // so far, and its size in bytes (0 when unknown).
    std::uint64_t input_position() const;
    std::uint64_t input_size() const;

    // A process-wide hook that every stream calls after each block it reads
    // from its file, on the thread that reads the stream (for a stream read
    // ahead, BRIM_PREFETCH's own); empty to switch it off.
    static void set_progress_hook(BRIM_PROGRESS_HOOK hook);

    class BUFFER;

private:
    void start();

    std::unique_ptr<BUFFER> m_buffer;
};
