#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "support_fixtures.h"

namespace {

// The process's scratch directory, removed with all in it at exit.
struct SCRATCH {
    std::string m_dir;
    SCRATCH()
    {
        const char* env = std::getenv("RDBXML_TEST_TMP");
        std::string root = env != nullptr && *env != '\0' ? env : "/tmp";
        ::mkdir(root.c_str(), 0755);  // its parent, the build directory, is there
        m_dir = root + "/support-XXXXXX";
        if (::mkdtemp(&m_dir[0]) == nullptr)
            throw std::runtime_error("cannot make " + m_dir);
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
