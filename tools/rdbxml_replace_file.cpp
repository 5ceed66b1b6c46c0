#include "rdbxml_replace_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "rdbxml_output.h"

namespace fs = std::filesystem;

namespace {

const char* const PREFIX = ".rdbxml-tmp-";

std::string directory_of(const std::string& path)
{
    std::string directory = fs::path(path).parent_path().string();
    return directory.empty() ? "." : directory;
}

// A name for a temporary file in `directory` that no other run, and no
// other thread of this one, uses.
std::string temporary_name(const std::string& directory)
{
    static std::atomic<unsigned> counter{0};
    return directory + "/" + PREFIX + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".html";
}

std::string reason(const std::string& path) { return "cannot write " + path + ": " + std::strerror(errno); }

// Writes `bytes` to the open `fd` and puts them on disk.
bool fill(int fd, const std::string& bytes)
{
    return rdbxml_write_all(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
}

// The permissions a new file gets under the process's umask.
mode_t new_file_mode()
{
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool rdbxml_replace_file(const std::string& path, const std::string& bytes, std::string& error)
{
    std::string directory = directory_of(path);
    std::string temporary = temporary_name(directory);
    int fd = open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    bool named = false;
    if (fd >= 0) {
        // Named only once it is whole.
        std::string self = "/proc/self/fd/" + std::to_string(fd);
        if (!fill(fd, bytes) || linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            error = reason(path);
            close(fd);
            return false;
        }
        named = true;
    } else if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
        // No unnamed files here: a named one from the start.
        fd = open(temporary.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, new_file_mode());
        named = fd >= 0;
        if (fd >= 0 && !fill(fd, bytes)) {
            error = reason(path);
            close(fd);
            unlink(temporary.c_str());
            return false;
        }
    }
    if (fd < 0) {
        error = reason(path);
        return false;
    }
    close(fd);
    if (named && rename(temporary.c_str(), path.c_str()) != 0) {
        error = reason(path);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

void rdbxml_remove_stale_temporaries(const std::string& directory)
{
    std::error_code code;
    for (fs::directory_iterator it(directory, code), end; !code && it != end; it.increment(code)) {
        std::string name = it->path().filename().string();
        if (name.rfind(PREFIX, 0) != 0)
            continue;
        long pid = std::strtol(name.c_str() + std::strlen(PREFIX), nullptr, 10);
        // Only a run that has ended: a file of a run still writing is its own.
        if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            unlink(it->path().c_str());
    }
}
