// The whole of a file as bytes; empty when it cannot be read.
#pragma once

#include <string>

std::string test_read_file(const std::string& path);
