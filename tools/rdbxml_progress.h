// The progress line of the rdbxml tool: while large input is read and
// stderr is a terminal, one line on stderr says how far the reading is,
// redrawn in place: "reading FILE: 12.3 MB of 456.7 MB" while one file is
// read, "reading: 3 of 30 files, 12.3 MB of 456.7 MB" while several are.
//
// Only the thread that prints draws it, and it erases the line before
// anything else goes to stderr or to the terminal, so that every message
// starts on a clean line and never carries remains of the progress line.
// Its writes are checked as every other write to stderr is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "rdbxml_output.h"

class RDBXML_PROGRESS_LINE {
public:
    // Input smaller than this in all gets no progress line.
    static constexpr std::uint64_t MIN_FILE_SIZE = 8'000'000;

    // Draws on `terminal`; with `on_terminal` false nothing is ever drawn.
    RDBXML_PROGRESS_LINE(RDBXML_OUTPUT& terminal, bool on_terminal)
        : m_terminal(terminal), m_on_terminal(on_terminal)
    {
    }
    ~RDBXML_PROGRESS_LINE() { erase(); }
    RDBXML_PROGRESS_LINE(const RDBXML_PROGRESS_LINE&) = delete;
    RDBXML_PROGRESS_LINE& operator=(const RDBXML_PROGRESS_LINE&) = delete;

    // Draws the line for `read` of `total` bytes of the one file being read.
    void show_file(const std::string& file, std::uint64_t read, std::uint64_t total);
    // Draws the line for `done` of `files` files and `read` of `total` bytes.
    void show_files(std::size_t done, std::size_t files, std::uint64_t read, std::uint64_t total);
    // Blanks the line, if one is drawn.
    void erase();

    // The text of each line, shortened (at the start of the file name) to
    // fit `width` columns less one, so that the terminal never wraps it.
    static std::string format(const std::string& file, std::uint64_t read, std::uint64_t total,
                              std::size_t width);
    static std::string format_files(std::size_t done, std::size_t files, std::uint64_t read, std::uint64_t total);

private:
    void draw(const std::string& text);
    std::size_t width() const;

    RDBXML_OUTPUT& m_terminal;
    bool m_on_terminal;
    std::string m_shown;  // the text on the terminal now; empty when none
};
