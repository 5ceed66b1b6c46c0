// gzip of test data, as a whole file image (one member), made with zlib;
// its header names the file `name`, if one is given.
#pragma once

#include <string>

std::string gzip_bytes(const std::string& data, const std::string& name = "");
