// FUZZ_FILE: a file of its own in the temporary directory that holds the
// bytes of the input being run, so that a target reads them through the
// real file stream. Removed when the object goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class FUZZ_FILE {
public:
    // `suffix` ends the file's name (".xml").
    explicit FUZZ_FILE(const char* suffix);
    ~FUZZ_FILE();
    FUZZ_FILE(const FUZZ_FILE&) = delete;
    FUZZ_FILE& operator=(const FUZZ_FILE&) = delete;

    // Makes `data` the whole content of the file; false when it could not.
    bool write(const std::uint8_t* data, std::size_t size);
    const char* path() const { return m_path.c_str(); }

private:
    std::string m_path;
    int m_fd = -1;
};
