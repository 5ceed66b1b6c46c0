#include <rdbxml/rdb_cells.h>

#include <cstdio>
#include <cstring>

#include <rdbxml/hdb_instance.h>
#include <rdbxml/rdb_columns.h>

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

bool rdb_format_delay_in_unit(long delay, RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option, std::string& number)
{
    char text[48];
    if (option == RDB_DELAY_DISPLAY_MHZ) {
        double frequency = 0;
        if (!rdb_delay_number(delay, option, frequency))
            return false;
        std::snprintf(text, sizeof(text), "%.1f", frequency);
    } else if (option == RDB_DELAY_DISPLAY_PS) {
        std::snprintf(text, sizeof(text), "%ld", delay);
    } else {
        // Integer arithmetic keeps every digit of large delays exact.
        unsigned long magnitude = delay < 0 ? 0ul - static_cast<unsigned long>(delay) : static_cast<unsigned long>(delay);
        std::snprintf(text, sizeof(text), "%s%lu.%03lu", delay < 0 ? "-" : "", magnitude / 1000, magnitude % 1000);
    }
    number = text;
    return true;
}

const char* rdb_delay_unit(RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option)
{
    return option == RDB_DELAY_DISPLAY_PS ? "ps" : option == RDB_DELAY_DISPLAY_MHZ ? "MHz" : "ns";
}

std::string rdb_format_delay(long delay, RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option)
{
    // A delay of 0 or less has no frequency: picoseconds instead.
    if (option == RDB_DELAY_DISPLAY_MHZ && delay <= 0)
        option = RDB_DELAY_DISPLAY_PS;
    std::string text;
    rdb_format_delay_in_unit(delay, option, text);
    return text + " " + rdb_delay_unit(option);
}

void rdb_append_cell_text(std::string& out, const RDB_TABLE_ELEMENT& cell)
{
    switch (cell.get_cell_kind()) {
    case RDB_CELL_STRING: {
        const STL_STRING& text = static_cast<const RDB_TABLE_STRING_ELEMENT&>(cell).get_string();
        out.append(text.c_str(), text.size());
        break;
    }
    case RDB_CELL_INT:
        out += std::to_string(static_cast<const RDB_TABLE_INT_ELEMENT&>(cell).get_data());
        break;
    case RDB_CELL_DELAY: {
        const auto& delay = static_cast<const RDB_TABLE_DELAY_ELEMENT&>(cell);
        out += rdb_format_delay(delay.get_delay(), delay.get_display_option());
        break;
    }
    case RDB_CELL_INAME: {
        const auto& iname = static_cast<const RDB_TABLE_INAME_ELEMENT&>(cell);
        if (iname.get_iname() != nullptr) {
            STL_STRING path = iname.get_iname()->full_path();
            out.append(path.c_str(), path.size());
        } else {
            out += iname.get_path();
        }
        break;
    }
    }
}

std::string rdb_cell_text(const RDB_TABLE_ELEMENT& cell)
{
    std::string text;
    rdb_append_cell_text(text, cell);
    return text;
}

bool rdb_cell_is_numeric(const RDB_TABLE_ELEMENT& cell)
{
    return cell.get_cell_kind() == RDB_CELL_INT || cell.get_cell_kind() == RDB_CELL_DELAY;
}
