// Test data compressed as a whole file image: one gzip member, one zstd
// frame with its checksum, or one xz stream with a CRC64 check, made with
// the compression libraries themselves. "plain" gives the data unchanged.
#pragma once

#include <string>

std::string compress_bytes(const std::string& format, const std::string& data);

// The formats the stream decompresses.
extern const char* const COMPRESSED_FORMATS[3];
