#include "rdbxml_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

#include "brim_zifstream.h"
#include "msg.h"

namespace {

// The terminal's width in columns; 80 when it does not say.
std::size_t terminal_width()
{
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

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

void put(const std::string& bytes)
{
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

RDBXML_PROGRESS_LINE::RDBXML_PROGRESS_LINE(bool on_terminal) : m_on_terminal(on_terminal)
{
    if (!m_on_terminal)
        return;
    BRIM_ZIFSTREAM::set_progress_hook(
        [this](std::uint64_t read, std::uint64_t total) { update(read, total); });
    msg_set_sink([this](const char* tag, const char* text) {
        erase();
        std::fprintf(stderr, "%s: %s\n", tag, text);
    });
}

RDBXML_PROGRESS_LINE::~RDBXML_PROGRESS_LINE()
{
    if (!m_on_terminal)
        return;
    erase();
    BRIM_ZIFSTREAM::set_progress_hook(BRIM_PROGRESS_HOOK());
    msg_set_sink(MSG_SINK());
}

void RDBXML_PROGRESS_LINE::begin(const std::string& file)
{
    m_file = file;
    m_in_parse = true;
}

void RDBXML_PROGRESS_LINE::end()
{
    m_in_parse = false;
    erase();
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

// Called by the input stream after each block it reads. Streams opened
// outside a parse of the tool (none today) and small files draw nothing;
// the line is redrawn only when its text changes.
void RDBXML_PROGRESS_LINE::update(std::uint64_t read, std::uint64_t total)
{
    if (!m_in_parse || total < MIN_FILE_SIZE)
        return;
    std::string text = format(m_file, read, total, terminal_width());
    if (text != m_shown)
        draw(text);
}

// Overwrites the line from its start; blanks cover what a shorter text
// leaves of the longer one before it.
void RDBXML_PROGRESS_LINE::draw(const std::string& text)
{
    std::string line = "\r" + text;
    std::size_t shown = columns(m_shown), now = columns(text);
    if (shown > now)
        line += std::string(shown - now, ' ') + "\r" + text;
    put(line);
    m_shown = text;
}

// Blanks the line and leaves the cursor at its start. Plain carriage
// returns and blanks work on every terminal, escape sequences do not.
void RDBXML_PROGRESS_LINE::erase()
{
    if (m_shown.empty())
        return;
    put("\r" + std::string(columns(m_shown), ' ') + "\r");
    m_shown.clear();
}
