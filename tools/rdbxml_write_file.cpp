#include "rdbxml_write_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "rdbxml_output.h"
#include "rdbxml_replace_file.h"

namespace {

// What is at `path` now is replaced, not written through: a regular file, a
// directory (which the rename then refuses, saying so), or nothing.
bool replaced(const struct stat& status) { return S_ISREG(status.st_mode) || S_ISDIR(status.st_mode); }

// The file that `path` names: a symbolic link to a regular file stays a
// link, and the file it points to is replaced.
std::string followed(const std::string& path)
{
    struct stat link;
    if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return path;
    std::unique_ptr<char, decltype(&std::free)> target(realpath(path.c_str(), nullptr), &std::free);
    return target ? std::string(target.get()) : path;
}

}  // namespace

bool rdbxml_write_file(const std::string& path, const std::string& bytes, std::string& error)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return rdbxml_replace_file(path, bytes, error);
    if (replaced(status))
        return rdbxml_replace_file(followed(path), bytes, error);
    // Without O_CREAT or O_TRUNC: should a regular file have taken the
    // place meanwhile, it is neither made nor cut short here.
    int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0 && fstat(fd, &status) == 0 && replaced(status)) {
        close(fd);
        return rdbxml_replace_file(followed(path), bytes, error);
    }
    bool written = fd >= 0 && rdbxml_write_all(fd, bytes.data(), bytes.size());
    int reason = errno;
    if (fd >= 0 && close(fd) != 0 && written) {
        written = false;
        reason = errno;
    }
    if (!written)
        error = "cannot write " + path + ": " + std::strerror(reason);
    return written;
}
