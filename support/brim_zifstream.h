// BRIM_ZIFSTREAM: an input stream over a file that may be compressed.
//
// The format is recognised from the first bytes, never from the name:
// gzip (multi-member too), zstd and xz are decompressed, anything else is
// delivered as it is (so is a file too short to hold a whole magic number). read/gcount/tellg and the fail and bad bits behave like
// a file stream's: tellg is the position in the delivered bytes; a missing or
// unreadable file (a directory too) is failed from the start; a truncated or
// corrupt compressed file sets badbit where the damage is: the read that
// meets it extracts nothing (gcount 0), so damaged data is never taken for
// good data. Only the position query of seekoff is supported (tellg).
#pragma once

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
    ~BRIM_ZIFSTREAM() override;

    // Which decoder the stream chose: "plain", "gzip", "zstd" or "xz".
    const char* format() const;
    // Why the stream failed to open or went bad, naming the file (and for
    // damaged data the byte of the file where it was found); empty while
    // all is well. A clean end of the data is no error.
    const char* error() const;

    // A process-wide hook that every stream calls after each block it reads
    // from its file; empty to switch it off.
    static void set_progress_hook(BRIM_PROGRESS_HOOK hook);

    class BUFFER;

private:
    std::unique_ptr<BUFFER> m_buffer;
};
