// The module path names the shared library or program that holds the
// calling code, never merely the running executable.
#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "gen_util.h"
#include "module_path_lib.h"

namespace {

std::string canonical(const std::string& path)
{
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return "";
    std::string result(resolved);
    std::free(resolved);
    return result;
}

std::string running_program()
{
    char buffer[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace

TEST(ModulePath, CodeInASharedLibraryNamesThatLibrary)
{
    std::string path = support_module_path_from_library().c_str();
    EXPECT_EQ(path, canonical(std::string(RDBXML_OUTPUT_DIR) + "/libsupport_module_path_lib.so"));
    EXPECT_NE(path, running_program());
    EXPECT_EQ(std::string(gen_module_path_of(reinterpret_cast<const void*>(&gen_stricmp)).c_str()),
              canonical(std::string(RDBXML_OUTPUT_DIR) + "/librdbsupport.so"));
}

TEST(ModulePath, CodeInTheProgramNamesTheProgramAndNoModuleNothing)
{
    EXPECT_EQ(std::string(gen_get_module_path().c_str()), running_program());
    EXPECT_FALSE(running_program().empty());
    EXPECT_TRUE(gen_module_path_of(nullptr).empty());
}
