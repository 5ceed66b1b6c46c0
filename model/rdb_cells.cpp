#include <rdbxml/rdb_cells.h>

#include <cstdio>
#include <cstring>

RDB_MEMORY_MANAGED_DEFINE(RDB_TABLE_ELEMENT)
RDB_MEMORY_MANAGED_DEFINE(RDB_TABLE_STRING_ELEMENT)
RDB_MEMORY_MANAGED_DEFINE(RDB_TABLE_INT_ELEMENT)
RDB_MEMORY_MANAGED_DEFINE(RDB_TABLE_INAME_ELEMENT)
RDB_MEMORY_MANAGED_DEFINE(RDB_TABLE_DELAY_ELEMENT)

namespace {

bool is_rgb(RDB_RGB_COLOR color) { return color <= 0xFFFFFFu; }

bool is_display_option(RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option)
{
    return option >= 0 && option < RDB_DELAY_DISPLAY_COUNT;
}

}  // namespace

RDB_TABLE_ELEMENT::~RDB_TABLE_ELEMENT() = default;

RDB_TABLE_INAME_ELEMENT::~RDB_TABLE_INAME_ELEMENT() { rdb_model_release(m_path); }

bool RDB_TABLE_INAME_ELEMENT::set_path(std::string_view path)
{
    char* copy = nullptr;
    if (!path.empty()) {
        copy = static_cast<char*>(MEM_MANAGER::new_wrapper(path.size() + 1, MEM_SITE_TRACKER(char, RDB_MODEL_TAG),
                                                           "model/rdb_cells"));
        if (copy == nullptr)
            return false;
        std::memcpy(copy, path.data(), path.size());
        copy[path.size()] = '\0';
    }
    rdb_model_release(m_path);
    m_path = copy;
    return true;
}

void RDB_TABLE_ELEMENT::set_foreground(RDB_RGB_COLOR color)
{
    if (is_rgb(color))
        m_foreground = color;
}

void RDB_TABLE_ELEMENT::set_background(RDB_RGB_COLOR color)
{
    if (is_rgb(color))
        m_background = color;
}

void RDB_TABLE_STRING_ELEMENT::accept(RDB_TABLE_ELEMENT_VISITOR& visitor) const { visitor.visit(*this); }
void RDB_TABLE_INT_ELEMENT::accept(RDB_TABLE_ELEMENT_VISITOR& visitor) const { visitor.visit(*this); }
void RDB_TABLE_INAME_ELEMENT::accept(RDB_TABLE_ELEMENT_VISITOR& visitor) const { visitor.visit(*this); }
void RDB_TABLE_DELAY_ELEMENT::accept(RDB_TABLE_ELEMENT_VISITOR& visitor) const { visitor.visit(*this); }

RDB_TABLE_DELAY_ELEMENT::RDB_TABLE_DELAY_ELEMENT(long delay, RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option)
    : m_delay(delay), m_option(is_display_option(option) ? option : RDB_DELAY_DISPLAY_NS)
{
}

void RDB_TABLE_DELAY_ELEMENT::set_display_option(RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option)
{
    if (is_display_option(option))
        m_option = option;
}

std::string rdb_format_delay(long delay, RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option)
{
    char text[48];
    if (option == RDB_DELAY_DISPLAY_MHZ && delay > 0) {
        std::snprintf(text, sizeof(text), "%.1f MHz", 1e6 / static_cast<double>(delay));
    } else if (option == RDB_DELAY_DISPLAY_PS || option == RDB_DELAY_DISPLAY_MHZ) {
        std::snprintf(text, sizeof(text), "%ld ps", delay);
    } else {
        // Integer arithmetic keeps every digit of large delays exact.
        unsigned long magnitude = delay < 0 ? 0ul - static_cast<unsigned long>(delay) : static_cast<unsigned long>(delay);
        std::snprintf(text, sizeof(text), "%s%lu.%03lu ns", delay < 0 ? "-" : "", magnitude / 1000, magnitude % 1000);
    }
    return text;
}
