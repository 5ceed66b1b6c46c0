#include "rdbxml_progress.h"

#include <sys/ioctl.h>

#include <cstdio>

namespace {

// Columns a UTF-8 text takes, counted as one per character.
std::size_t columns(const std::string& text)
{
    std::size_t n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80;
    return n;
}

// The file name as shown: control characters (a newline would break the
// line) become '?'.
std::string printable(const std::string& name)
{
    std::string shown = name;
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return shown;
}

// The last `keep` characters of a UTF-8 text.
std::string tail(const std::string& text, std::size_t keep)
{
    std::size_t start = text.size();
    for (std::size_t seen = 0; start > 0 && seen < keep;) {
        --start;
        seen += (static_cast<unsigned char>(text[start]) & 0xC0) != 0x80;
    }
    return text.substr(start);
}

}  // namespace

// The terminal's width in columns; 80 when it does not say.
std::size_t RDBXML_PROGRESS_LINE::width() const
{
    winsize size{};
    if (ioctl(m_terminal.fd(), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

std::string RDBXML_PROGRESS_LINE::format(const std::string& file, std::uint64_t read, std::uint64_t total,
                                         std::size_t width)
{
    char sizes[64];
    std::snprintf(sizes, sizeof sizes, ": %.1f MB of %.1f MB", read / 1e6, total / 1e6);
    const std::string prefix = "reading ";
    const std::string ellipsis = "...";
    std::string name = printable(file);
    std::size_t fixed = prefix.size() + std::string(sizes).size();
    std::size_t room = width > fixed + 1 ? width - fixed - 1 : 0;
    if (columns(name) > room) {
        std::size_t keep = room > ellipsis.size() ? room - ellipsis.size() : 0;
        name = ellipsis + tail(name, keep);
    }
    return prefix + name + sizes;
}

void RDBXML_PROGRESS_LINE::show_file(const std::string& file, std::uint64_t read, std::uint64_t total)
{
    if (m_on_terminal && total >= MIN_FILE_SIZE)
        draw(format(file, read, total, width()));
}

std::string RDBXML_PROGRESS_LINE::format_files(std::size_t done, std::size_t files, std::uint64_t read,
                                               std::uint64_t total)
{
    char text[128];
    std::snprintf(text, sizeof text, "reading: %zu of %zu files, %.1f MB of %.1f MB", done, files, read / 1e6,
                  total / 1e6);
    return text;
}

void RDBXML_PROGRESS_LINE::show_files(std::size_t done, std::size_t files, std::uint64_t read, std::uint64_t total)
{
    if (m_on_terminal && total >= MIN_FILE_SIZE)
        draw(format_files(done, files, read, total).substr(0, width() - 1));
}

// Overwrites the line from its start; blanks cover what a shorter text
// leaves of the longer one before it.
void RDBXML_PROGRESS_LINE::draw(const std::string& text)
{
    if (text == m_shown)
        return;
    std::string line = "\r" + text;
    std::size_t shown = columns(m_shown), now = columns(text);
    if (shown > now)
        line += std::string(shown - now, ' ') + "\r" + text;
    m_terminal.write(line);
    m_shown = text;
}

// Blanks the line and leaves the cursor at its start. Plain carriage
// returns and blanks work on every terminal, escape sequences do not.
void RDBXML_PROGRESS_LINE::erase()
{
    if (m_shown.empty())
        return;
    m_terminal.write("\r" + std::string(columns(m_shown), ' ') + "\r");
    m_shown.clear();
}
