#include "fuzz_file.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

FUZZ_FILE::FUZZ_FILE(const char* suffix)
{
    const char* directory = std::getenv("TMPDIR");
    std::string pattern = std::string(directory != nullptr ? directory : "/tmp") + "/rdbxml-fuzz-XXXXXX" + suffix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    m_fd = mkstemps(name.data(), static_cast<int>(std::strlen(suffix)));
    if (m_fd >= 0)
        m_path = name.data();
}

FUZZ_FILE::~FUZZ_FILE()
{
    if (m_fd < 0)
        return;
    close(m_fd);
    unlink(m_path.c_str());
}

bool FUZZ_FILE::write(const std::uint8_t* data, std::size_t size)
{
    if (m_fd < 0 || ftruncate(m_fd, 0) != 0)
        return false;
    std::size_t done = 0;
    while (done < size) {
        ssize_t wrote = pwrite(m_fd, data + done, size - done, static_cast<off_t>(done));
        if (wrote <= 0)
            return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}
