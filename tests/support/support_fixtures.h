// Shared helpers of the support library's tests: scratch files and
// compressed copies of test data.
#pragma once

#include <cstddef>
#include <string>

// A fresh path in the tests' scratch directory, unique to the running test
// and `suffix`; any old file there is removed.
std::string support_temp_path(const std::string& suffix);

void support_write_file(const std::string& path, const std::string& bytes);

// Text that compresses well yet does not repeat in short cycles, `size`
// bytes long, different for each seed.
std::string support_sample_text(std::size_t size, unsigned seed);

// Complete single-member / single-frame / single-stream encodings of `data`.
std::string support_gzip(const std::string& data);
std::string support_zstd(const std::string& data);
std::string support_xz(const std::string& data);
