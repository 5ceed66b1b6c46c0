// The progress line of the rdbxml tool: while a large file is read and
// stderr is a terminal, one line on stderr says how far the reading is
// ("reading FILE: 12.3 MB of 456.7 MB"), redrawn in place as the input
// stream reads its blocks.
//
// The line is erased when the parse ends, and before every message, since
// the parser's messages (and progress) share stderr: a message always
// starts on a clean line and never carries remains of the progress line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class RDBXML_PROGRESS_LINE {
public:
    // Files smaller than this get no progress line.
    static constexpr std::uint64_t MIN_FILE_SIZE = 8'000'000;

    // With `on_terminal` false nothing is ever drawn and the process-wide
    // progress hook and message sink are left alone; otherwise both are
    // installed, for as long as the object lives.
    explicit RDBXML_PROGRESS_LINE(bool on_terminal);
    ~RDBXML_PROGRESS_LINE();
    RDBXML_PROGRESS_LINE(const RDBXML_PROGRESS_LINE&) = delete;
    RDBXML_PROGRESS_LINE& operator=(const RDBXML_PROGRESS_LINE&) = delete;

    // Brackets the parse of one file: progress reported in between names
    // `file`; end() erases the line.
    void begin(const std::string& file);
    void end();

    // The text of the line for `read` of `total` bytes of `file`, shortened
    // at the start of the file name to fit `width` columns (less one, so
    // that the terminal never wraps it).
    static std::string format(const std::string& file, std::uint64_t read, std::uint64_t total,
                              std::size_t width);

private:
    void update(std::uint64_t read, std::uint64_t total);
    void draw(const std::string& text);
    void erase();

    bool m_on_terminal;
    bool m_in_parse = false;
    std::string m_file;
    std::string m_shown;  // the text on the terminal now; empty when none
};
