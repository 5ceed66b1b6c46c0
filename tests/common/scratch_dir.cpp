#include "scratch_dir.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

std::string test_scratch_dir(const std::string& prefix)
{
    const char* base = std::getenv("RDBXML_TEST_TMP");
    std::string root = base != nullptr && *base != '\0' ? base : "/tmp";
    std::error_code code;
    std::filesystem::create_directories(root, code);
    std::string name = root + "/" + prefix + "-XXXXXX";
    return mkdtemp(&name[0]) != nullptr ? name : std::string();
}
