// BRIM_DECODER: the decompressors behind BRIM_ZIFSTREAM, one per format,
// all driven through one block-by-block interface.
//
// A decoder accepts what the format's own test command accepts and nothing
// more: every check value is verified, the data must not break off, and
// after its end only what the format allows may follow (further gzip
// members and zero bytes up to the end; xz stream padding and further xz
// streams; further zstd frames, skippable ones too).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class BRIM_DECODER {
public:
    enum STATUS {
        MORE,   // call again: with more room for output, or with more input
        END,    // the compressed data ended properly and everything was delivered
        FAILED  // the data is damaged, cut short or followed by other data: see error()
    };

    virtual ~BRIM_DECODER() = default;

    // "gzip", "zstd" or "xz".
    virtual const char* name() const = 0;

    // Decodes input from [in, in_end) into [out, out_end), advancing `in`
    // past the bytes consumed and `out` past the bytes produced. `last` is
    // true when no input follows in_end; it must stay true once it was. The
    // input is counted from the first byte of the data on: that is how
    // error() places the damage.
    STATUS decode(const unsigned char*& in, const unsigned char* in_end, char*& out, char* out_end, bool last);

    // Why decoding failed: for faults of the data a text like "gzip data
    // damaged at byte 812 (invalid distance)", with the byte of the input
    // the decoder had read up to when it found the fault; else what kept the
    // decoder from working (no memory). Empty while all is well.
    const std::string& error() const { return m_error; }
    // True when error() is about the data: damaged, cut short, or followed
    // by bytes that do not belong to it.
    bool data_fault() const { return m_fault != NONE && m_fault != BROKEN; }

    // The decoder for data that starts with the `n` bytes at `head`, or null
    // when they start no known compressed format (plain data). A decoder that
    // could not be set up has a non-empty error().
    static std::unique_ptr<BRIM_DECODER> for_data(const unsigned char* head, std::size_t n);

protected:
    // One call of decode(), without the bookkeeping.
    virtual STATUS step(const unsigned char*& in, const unsigned char* in_end, char*& out, char* out_end,
                        bool last) = 0;

    // The byte of the input that `in` (a pointer into the current call's
    // input) stands for.
    std::uint64_t position(const unsigned char* in) const { return m_consumed + std::uint64_t(in - m_call_in); }

    // Failures, to return from step(). Damage and truncation are placed at
    // the input step() has consumed when it returns; data after the end at
    // `end`, where the data ended.
    STATUS damaged(const std::string& reason) { return failure(DAMAGED, reason, 0); }
    STATUS truncated() { return failure(TRUNCATED, "truncated", 0); }
    STATUS trailing(std::uint64_t end) { return failure(TRAILING, std::string(), end); }
    STATUS broken(const std::string& text) { return failure(BROKEN, text, 0); }

private:
    enum FAULT { NONE, DAMAGED, TRUNCATED, TRAILING, BROKEN };

    STATUS failure(FAULT fault, const std::string& reason, std::uint64_t at);
    void describe_failure();

    std::string m_error;
    FAULT m_fault = NONE;
    std::string m_reason;
    std::uint64_t m_fault_at = 0;
    std::uint64_t m_consumed = 0;             // input consumed by earlier calls
    const unsigned char* m_call_in = nullptr;  // where the current call's input starts
};
