#include "rdb_xml_table_handler.h"

#include <new>
#include <utility>

#include <rdbxml/rdb_report.h>
#include "rdb_xml_context.h"
#include "rdb_xml_convert.h"
#include "rdb_xml_factories.h"
#include "rdb_xml_table_cells.h"

RDB_XML_DEFINE_FACTORY(rdb_xml_create_table_handler, RDB_XML_TABLE_HANDLER)

void RDB_XML_TABLE_HANDLER::handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs)
{
    // Every start reads the name, which only the table elements use, and a
    // cell's colours too: all three are found in one pass.
    static const XMLCh* const NAMES[] = {u"name", u"foreground", u"background"};
    const XMLCh* values[3];
    rdb_xml_find_attributes(attrs, NAMES, values);
    RDB_XML_CHAR_BUFFER name;
    name.assign(values[0]);
    clear_characters();
    const XMLCh* foreground = values[1];
    const XMLCh* background = values[2];

    switch (element) {
    case RDB_XML_ELEMENT_TABLE:
        say_table_inside_table("table", name.text());
        m_table = RDB_XML_NEW(RDB_TABLE_OBJECT, STL_STRING(name.text()), RDB_OBJECT_TYPE_TABLE);
        attach_table(attrs);
        break;
    case RDB_XML_ELEMENT_TAN_SPD_TABLE:
        say_table_inside_table("tan_spd_table", name.text());
        start_spd_table(name.text(), attrs);
        break;
    case RDB_XML_ELEMENT_TAN_SLACK_TABLE:
        say_table_inside_table("tan_slack_table", name.text());
        start_slack_table(name.text(), attrs);
        break;
    case RDB_XML_ELEMENT_ROW:
        start_row();
        m_in_row = true;
        break;
    case RDB_XML_ELEMENT_STRING_CELL:
        m_string_cell = start_cell<RDB_TABLE_STRING_ELEMENT>("string_cell", foreground, background);
        break;
    case RDB_XML_ELEMENT_INT_CELL:
        m_int_cell = start_cell<RDB_TABLE_INT_ELEMENT>("int_cell", foreground, background);
        break;
    case RDB_XML_ELEMENT_INAME_CELL:
        m_iname_cell = start_cell<RDB_TABLE_INAME_ELEMENT>("iname_cell", foreground, background);
        break;
    case RDB_XML_ELEMENT_DELAY_CELL:
        m_delay_cell =
            start_cell<RDB_TABLE_DELAY_ELEMENT>("delay_cell", foreground, background, 0L, RDB_DELAY_DISPLAY_NS);
        break;
    case RDB_XML_ELEMENT_COLUMN: start_column(attrs); break;
    default: break;  // header, footer and anything else: only its text is kept
    }
}

void RDB_XML_TABLE_HANDLER::handle_end_element(RDB_XML_ELEMENT_KIND element)
{
    if (rdb_xml_set_header_or_footer(m_table, element, m_characters))
        return;

    // A cell, "delay" or "display_option" without a current object of its
    // kind (before the first row or delay cell) is passed over.
    switch (element) {
    case RDB_XML_ELEMENT_ROW: m_in_row = false; break;
    case RDB_XML_ELEMENT_STRING_CELL:
        if (m_string_cell != nullptr)
            m_string_cell->set_string(m_characters);
        break;
    case RDB_XML_ELEMENT_INT_CELL:
        if (m_int_cell != nullptr)
            m_int_cell->set_data(rdb_xml_read_int(m_characters.c_str(), "int_cell"));
        break;
    case RDB_XML_ELEMENT_INAME_CELL:
        if (m_iname_cell != nullptr) {
            if (!m_iname_cell->set_path(m_characters.view()))
                rdb_xml_out_of_memory("a table cell");
            m_iname_cell->set_iname(rdb_xml_find_instance(m_characters));
        }
        break;
    case RDB_XML_ELEMENT_DELAY:
        if (m_delay_cell != nullptr)
            m_delay_cell->set_delay(rdb_xml_read_long(m_characters.c_str(), "delay"));
        else
            rdb_xml_passed_over("delay before any delay_cell: passed over");
        break;
    case RDB_XML_ELEMENT_DISPLAY_OPTION: end_display_option(); break;
    case RDB_XML_ELEMENT_RESTRICTED_TO: end_restricted_to(); break;
    case RDB_XML_ELEMENT_TABLE:
    case RDB_XML_ELEMENT_TAN_SPD_TABLE:
    case RDB_XML_ELEMENT_TAN_SLACK_TABLE:
        // The end of any table element ends the handler, whichever began it.
        rdb_xml_hand_back();
        break;
    default: break;
    }
}

void RDB_XML_TABLE_HANDLER::attach_table(const xercesc::Attributes& attrs)
{
    if (m_table == nullptr)
        rdb_xml_out_of_memory("a table");
    RDB_XML_UNATTACHED guard(m_table);
    RDB_XML_CHAR_BUFFER enable_fled;
    rdb_xml_get_attribute(attrs, u"enable_fled", enable_fled);
    m_table->set_last_cmp_flp_location_available(rdb_xml_is_true(enable_fled.text()));
    rdb_xml_set_common_attributes(m_table, attrs);
    rdb_xml_add_to_parent_folder(m_table, attrs);
}

void RDB_XML_TABLE_HANDLER::start_row()
{
    // Without a table there is nothing to hold the row.
    if (m_table == nullptr)
        return;
    // Rows mostly have as many cells as the row before: room for that many
    // at once spares the new row its step-by-step growth.
    std::size_t cells = m_row != nullptr ? m_row->size() : 0;
    // The table keeps this very vector: cells appended later are in it.
    RDB_TABLE_ROW* row = RDB_XML_NEW(RDB_TABLE_ROW);
    if (row == nullptr)
        rdb_xml_out_of_memory("a table row");
    if (!m_table->add_row(row)) {
        // Refused, the row is still ours.
        rdb_release_row(row);
        rdb_xml_out_of_memory("a table row");
    }
    m_row = row;
    if (cells != 0) {
        try {
            m_row->reserve(cells);
        } catch (const std::bad_alloc&) {
            // The row grows cell by cell instead.
        }
    }
}

template <class CELL, class... ARGS>
CELL* RDB_XML_TABLE_HANDLER::start_cell(const char* kind, const XMLCh* foreground, const XMLCh* background,
                                        ARGS&&... args)
{
    // A cell with no row to go into is not made; its kind then has no
    // current cell, so its end changes nothing.
    if (m_row == nullptr) {
        rdb_xml_passed_over("%s before any row: passed over", kind);
        return nullptr;
    }
    // Nothing ends the current row but the next: a cell after a row's end
    // joins it.
    if (!m_in_row)
        rdb_xml_not_as_written("%s outside a row: added to the row before it", kind);
    CELL* cell = RDB_XML_NEW(CELL, std::forward<ARGS>(args)...);
    if (cell == nullptr)
        rdb_xml_out_of_memory("a table cell");
    try {
        m_row->push_back(cell);
    } catch (const std::bad_alloc&) {
        delete cell;
        rdb_xml_out_of_memory("a table cell");
    }
    rdb_xml_set_cell_colors(cell, foreground, background);
    return cell;
}

void RDB_XML_TABLE_HANDLER::say_table_inside_table(const char* kind, const char* name) const
{
    // The first start is the handler's own table. A later one makes a new
    // table that takes the rows from there on, and the end of either ends
    // the handler: what follows in the outer table is read outside any.
    if (m_table == nullptr)
        return;
    rdb_xml_not_as_written("%s \"%s\" inside %s \"%s\": its end ends both, and the rest of \"%s\" is passed over",
                           kind, name, m_table->get_kind(), m_table->get_name().c_str(), m_table->get_name().c_str());
}

void RDB_XML_TABLE_HANDLER::end_display_option()
{
    if (m_delay_cell == nullptr) {
        rdb_xml_passed_over("display_option before any delay_cell: passed over");
        return;
    }
    RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option =
        rdb_get_rdb_table_delay_element_display_option_enum_by_string(m_characters.c_str());
    // An unknown name leaves the cell's option as it was.
    if (option == -1) {
        rdb_xml_unknown_enumeration(m_characters.c_str());
        return;
    }
    m_delay_cell->set_display_option(option);
}
