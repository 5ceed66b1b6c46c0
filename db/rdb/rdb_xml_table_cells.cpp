#include "rdb_xml_table_cells.h"

#include <rdbxml/hdb_instance.h>
#include <rdbxml/rdb_report.h>
#include "rdb_xml_content_handler.h"
#include "rdb_xml_globals.h"

namespace {

// "magenta" and "#rrggbb": no longer text names a colour.
constexpr std::size_t LONGEST_COLOR = 7;

// An absent value, or one of at most LONGEST_COLOR ASCII characters, as
// narrow text: what a char buffer would hold for it, without a message.
// False for any other value.
bool narrow_short_value(const XMLCh* value, char (&text)[LONGEST_COLOR + 1])
{
    std::size_t n = 0;
    if (value != nullptr) {
        for (; value[n] != 0; ++n) {
            if (n == LONGEST_COLOR || value[n] >= 0x80)
                return false;
            text[n] = static_cast<char>(value[n]);
        }
    }
    text[n] = 0;
    return true;
}

void set_colors(RDB_TABLE_ELEMENT* cell, const char* foreground, const char* background)
{
    if (foreground[0] != 0)
        cell->set_foreground(rdb_get_rgb_color(foreground));
    if (background[0] != 0)
        cell->set_background(rdb_get_rgb_color(background));
}

}  // namespace

void rdb_xml_set_cell_colors(RDB_TABLE_ELEMENT* cell, const XMLCh* foreground_value, const XMLCh* background_value)
{
    // Colour values are short ASCII: with static buffers they are narrowed
    // straight into a few bytes each, and most cells have none at all.
    if (rdb_xml_use_static_buffers) {
        if (foreground_value == nullptr && background_value == nullptr)
            return;
        char foreground[LONGEST_COLOR + 1];
        char background[LONGEST_COLOR + 1];
        if (narrow_short_value(foreground_value, foreground) && narrow_short_value(background_value, background)) {
            set_colors(cell, foreground, background);
            return;
        }
    }
    // Any other value is read as every attribute is, in a stack buffer
    // (with its message when it takes the heap).
    RDB_XML_CHAR_BUFFER foreground;
    RDB_XML_CHAR_BUFFER background;
    foreground.assign(foreground_value);
    background.assign(background_value);
    set_colors(cell, foreground.text(), background.text());
}

HDB_INSTANCE_NAME* rdb_xml_find_instance(const STL_STRING& name)
{
    if (name.empty() || rdb_xml_action_point == nullptr)
        return nullptr;
    HDB_INSTANCE_NAME* root = rdb_xml_action_point->get_m_rooted_at();
    if (root == nullptr)
        return nullptr;
    return root->find_in_descendants(name, true);
}
