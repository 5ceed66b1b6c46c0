#include "fio_path.h"

#include <cstring>
#include <string>

namespace {

// Index where the last component starts.
std::size_t name_start(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash == nullptr ? 0 : static_cast<std::size_t>(slash - path) + 1;
}

}  // namespace

FIO_PATH::FIO_PATH(const char* path) : m_path(path) {}

FIO_PATH& FIO_PATH::filename(const char* name)
{
    std::string p(m_path.c_str());
    p.resize(name_start(m_path.c_str()));
    p += (name != nullptr ? name : "");
    m_path = p.c_str();
    return *this;
}

FIO_PATH& FIO_PATH::extension(const char* new_ext, const char* old_ext)
{
    std::string p(m_path.c_str());
    std::size_t start = name_start(p.c_str());
    std::size_t dot = p.rfind('.');
    bool has_ext = dot != std::string::npos && dot > start;
    std::string current = has_ext ? p.substr(dot + 1) : std::string();
    if (old_ext != nullptr && *old_ext != '\0' && current != old_ext)
        return *this;
    if (has_ext)
        p.resize(dot);
    if (new_ext != nullptr && *new_ext != '\0') {
        p += '.';
        p += new_ext;
    }
    m_path = p.c_str();
    return *this;
}

