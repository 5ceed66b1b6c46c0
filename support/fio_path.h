// FIO_PATH: a file path with its directory, file-name and extension parts.
#pragma once

#include <rdbxml/stl_string.h>

class FIO_PATH {
public:
    explicit FIO_PATH(const char* path);
    explicit FIO_PATH(const STL_STRING& path) : FIO_PATH(path.c_str()) {}

    // Replaces the last component (file name and extension) with `name`.
    FIO_PATH& filename(const char* name);
    // Sets the extension to `new_ext` (without the dot). With a non-empty
    // `old_ext` only an extension equal to it is replaced.
    FIO_PATH& extension(const char* new_ext, const char* old_ext);

    const char* fullpath() const { return m_path.c_str(); }

private:
    STL_STRING m_path;
};
