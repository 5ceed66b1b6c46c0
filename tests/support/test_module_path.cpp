// The module path names the shared library or program that holds the
// calling code, never merely the running executable.
#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>

#include <string>

#include "gen_util.h"

// In module_path_lib.cpp, a shared library of its own.
STL_STRING support_module_path_from_library();

namespace {

std::string canonical(const std::string& path)
{
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? resolved : "";
}

}  // namespace

TEST(ModulePath, NamesTheLibraryOrProgramHoldingTheCode)
{
    std::string program = canonical("/proc/self/exe");
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(std::string(gen_get_module_path().c_str()), program);
    EXPECT_EQ(std::string(support_module_path_from_library().c_str()),
              canonical(RDBXML_OUTPUT_DIR "/libsupport_module_path_lib.so"));
    EXPECT_EQ(std::string(gen_module_path_of(reinterpret_cast<const void*>(&gen_stricmp)).c_str()),
              canonical(RDBXML_OUTPUT_DIR "/librdbsupport.so"));
    EXPECT_TRUE(gen_module_path_of(nullptr).empty());
}
