#include "rdbxml_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool rdbxml_write_all(int fd, const char* bytes, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool RDBXML_OUTPUT::write(const std::string& bytes)
{
    if (failed())
        return false;
    if (rdbxml_write_all(m_fd, bytes.data(), bytes.size()))
        return true;
    m_error = "cannot write " + m_name + ": " + std::strerror(errno);
    return false;
}

void rdbxml_say_failure(const RDBXML_OUTPUT& output)
{
    std::fprintf(stderr, "rdbxml: %s\n", output.error().c_str());
}

bool rdbxml_print(const std::string& text)
{
    RDBXML_OUTPUT out(STDOUT_FILENO, "standard output");
    if (out.write(text))
        return true;
    rdbxml_say_failure(out);
    return false;
}
