// Checked writes to an open file descriptor (standard output, standard
// error): every byte goes out, or the first failure is kept with its reason
// and nothing more is written. A full disk, a closed descriptor, a file-size
// limit or a closed pipe (with SIGPIPE ignored; by default the signal ends
// the tool quietly, as it ends cat) are each a failure, never silence.
#pragma once

#include <string>

class RDBXML_OUTPUT {
public:
    // `name` says which output in the message: "standard output".
    RDBXML_OUTPUT(int fd, std::string name) : m_fd(fd), m_name(std::move(name)) {}

    // False once a write has failed (this one or an earlier one).
    bool write(const std::string& bytes);
    bool failed() const { return !m_error.empty(); }
    // "cannot write standard output: No space left on device"; empty while
    // all went out.
    const std::string& error() const { return m_error; }
    int fd() const { return m_fd; }

private:
    int m_fd;
    std::string m_name;
    std::string m_error;
};

// Writes all of `bytes` to `fd`, retrying interrupted and partial writes;
// false with errno set when a write fails.
bool rdbxml_write_all(int fd, const char* bytes, std::size_t size);

// Says on standard error that `output` could not be written ("rdbxml:
// cannot write standard output: No space left on device"), whatever -q
// asked: -q silences what the files say, never the tool's own failure.
void rdbxml_say_failure(const RDBXML_OUTPUT& output);

// Writes `text` (the help, the version) to standard output; false, having
// said why, when it cannot be written.
bool rdbxml_print(const std::string& text);
