// gzip of test data, as a whole file image (one member), made with zlib.
#pragma once

#include <string>

std::string gzip_bytes(const std::string& data);
