#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "scratch_dir.h"
#include "support_fixtures.h"

namespace {

// The process's scratch directory, removed with all in it at exit.
struct SCRATCH {
    std::string m_dir;
    SCRATCH() : m_dir(test_scratch_dir("support"))
    {
        if (m_dir.empty())
            throw std::runtime_error("cannot make a scratch directory");
    }
    ~SCRATCH()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
};

}  // namespace

std::string support_temp_path(const std::string& suffix)
{
    static SCRATCH scratch;
    static int count = 0;
    return scratch.m_dir + "/" + std::to_string(++count) + "_" + suffix;
}

std::string support_temp_file(const std::string& suffix, const std::string& bytes)
{
    std::string path = support_temp_path(suffix);
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    EXPECT_TRUE(out.good()) << "cannot write " << path;
    return path;
}
