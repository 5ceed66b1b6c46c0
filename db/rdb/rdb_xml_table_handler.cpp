#include "rdb_xml_table_handler.h"

#include <new>
#include <utility>

#include "rdb_report.h"
#include "rdb_xml_context.h"
#include "rdb_xml_convert.h"
#include "rdb_xml_factories.h"
#include "rdb_xml_table_cells.h"

RDB_XML_DEFINE_FACTORY(rdb_xml_create_table_handler, RDB_XML_TABLE_HANDLER)

void RDB_XML_TABLE_HANDLER::handle_start_element(const XMLCh* localname, const xercesc::Attributes& attrs)
{
    // Read at every start; only the table elements use it.
    RDB_XML_CHAR_BUFFER name;
    rdb_xml_get_attribute(attrs, u"name", name);
    clear_characters();
    if (rdb_xml_is_header_or_footer(localname))
        return;

    if (rdb_xml_name_is(localname, u"table")) {
        m_table = RDB_XML_NEW(RDB_TABLE_OBJECT, STL_STRING(name.text()), RDB_OBJECT_TYPE_TABLE);
        attach_table(attrs);
    } else if (rdb_xml_name_is(localname, u"tan_spd_table")) {
        start_spd_table(name.text(), attrs);
    } else if (rdb_xml_name_is(localname, u"tan_slack_table")) {
        start_slack_table(name.text(), attrs);
    } else if (rdb_xml_name_is(localname, u"row")) {
        start_row();
    } else if (rdb_xml_name_is(localname, u"string_cell")) {
        m_string_cell = start_cell<RDB_TABLE_STRING_ELEMENT>("string_cell", attrs);
    } else if (rdb_xml_name_is(localname, u"int_cell")) {
        m_int_cell = start_cell<RDB_TABLE_INT_ELEMENT>("int_cell", attrs);
    } else if (rdb_xml_name_is(localname, u"iname_cell")) {
        m_iname_cell = start_cell<RDB_TABLE_INAME_ELEMENT>("iname_cell", attrs);
    } else if (rdb_xml_name_is(localname, u"delay_cell")) {
        m_delay_cell = start_cell<RDB_TABLE_DELAY_ELEMENT>("delay_cell", attrs, 0L, RDB_DELAY_DISPLAY_NS);
    } else if (rdb_xml_name_is(localname, u"column")) {
        start_column(attrs);
    }
}

void RDB_XML_TABLE_HANDLER::handle_end_element(const XMLCh* localname)
{
    if (rdb_xml_set_header_or_footer(m_table, localname, m_characters))
        return;

    // A cell, "delay" or "display_option" without a current object of its
    // kind (before the first row or delay cell) is passed over.
    if (rdb_xml_name_is(localname, u"string_cell")) {
        if (m_string_cell != nullptr)
            m_string_cell->set_string(m_characters);
    } else if (rdb_xml_name_is(localname, u"int_cell")) {
        if (m_int_cell != nullptr)
            m_int_cell->set_data(rdb_xml_read_int(m_characters.c_str()));
    } else if (rdb_xml_name_is(localname, u"iname_cell")) {
        if (m_iname_cell != nullptr)
            m_iname_cell->set_iname(rdb_xml_find_instance(m_characters));
    } else if (rdb_xml_name_is(localname, u"delay")) {
        if (m_delay_cell != nullptr)
            m_delay_cell->set_delay(rdb_xml_read_long(m_characters.c_str()));
        else
            rdb_xml_passed_over("delay before any delay_cell: passed over");
    } else if (rdb_xml_name_is(localname, u"display_option")) {
        end_display_option();
    } else if (rdb_xml_name_is(localname, u"restricted_to")) {
        end_restricted_to();
    } else if (rdb_xml_name_is(localname, u"table") || rdb_xml_name_is(localname, u"tan_spd_table") ||
               rdb_xml_name_is(localname, u"tan_slack_table")) {
        // The end of any table element ends the handler, whichever began it.
        rdb_xml_hand_back();
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
CELL* RDB_XML_TABLE_HANDLER::start_cell(const char* kind, const xercesc::Attributes& attrs, ARGS&&... args)
{
    // A cell with no row to go into is not made; its kind then has no
    // current cell, so its end changes nothing.
    if (m_row == nullptr) {
        rdb_xml_passed_over("%s before any row: passed over", kind);
        return nullptr;
    }
    CELL* cell = RDB_XML_NEW(CELL, std::forward<ARGS>(args)...);
    if (cell == nullptr)
        rdb_xml_out_of_memory("a table cell");
    try {
        m_row->push_back(cell);
    } catch (const std::bad_alloc&) {
        delete cell;
        rdb_xml_out_of_memory("a table cell");
    }
    rdb_xml_set_cell_colors(cell, attrs);
    return cell;
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
