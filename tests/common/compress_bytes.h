// Test data compressed as a whole file image: one gzip member, one zstd
// frame with its checksum, or one xz stream with a CRC64 check, made with
// the compression libraries themselves. "plain" gives the data unchanged.
#pragma once

#include <string>

// `gzip_name` names the file in a gzip member's header; `xz_check` is the
// xz stream's check, an lzma_check value.
struct COMPRESS_SHAPE {
    std::string gzip_name;
    int xz_check = 4;  // LZMA_CHECK_CRC64
};

std::string compress_bytes(const std::string& format, const std::string& data,
                           const COMPRESS_SHAPE& shape = COMPRESS_SHAPE());

// The formats the stream decompresses.
extern const char* const COMPRESSED_FORMATS[3];
