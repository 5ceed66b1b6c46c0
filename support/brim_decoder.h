// BRIM_DECODER: the decompressors behind BRIM_ZIFSTREAM, one per format,
// all driven through one block-by-block interface.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

class BRIM_DECODER {
public:
    enum STATUS {
        MORE,   // call again: with more room for output, or with more input
        END,    // the compressed data ended properly and everything was delivered
        FAILED  // the data is corrupt or truncated: see error()
    };

    virtual ~BRIM_DECODER() = default;

    // "gzip", "zstd" or "xz".
    virtual const char* name() const = 0;

    // Decodes input from [in, in_end) into [out, out_end), advancing `in`
    // past the bytes consumed and `out` past the bytes produced. `last` is
    // true when no input follows in_end; it must stay true once it was.
    virtual STATUS decode(const unsigned char*& in, const unsigned char* in_end, char*& out, char* out_end,
                          bool last) = 0;

    const std::string& error() const { return m_error; }

    // The decoder for data that starts with the `n` bytes at `head`, or null
    // when they start no known compressed format (plain data). A decoder that
    // could not be set up has a non-empty error().
    static std::unique_ptr<BRIM_DECODER> for_data(const unsigned char* head, std::size_t n);

protected:
    STATUS fail(std::string text)
    {
        m_error = std::move(text);
        return FAILED;
    }

private:
    std::string m_error;
};
