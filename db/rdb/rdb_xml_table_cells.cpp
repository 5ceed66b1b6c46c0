#include "rdb_xml_table_cells.h"

#include "hdb_instance.h"
#include "rdb_report.h"
#include "rdb_xml_content_handler.h"
#include "rdb_xml_globals.h"

void rdb_xml_set_cell_colors(RDB_TABLE_ELEMENT* cell, const xercesc::Attributes& attrs)
{
    // Stack buffers: a cell's colours cost no allocation.
    RDB_XML_CHAR_BUFFER foreground;
    RDB_XML_CHAR_BUFFER background;
    rdb_xml_get_attribute(attrs, u"foreground", foreground);
    rdb_xml_get_attribute(attrs, u"background", background);
    if (foreground.text()[0] != 0)
        cell->set_foreground(rdb_get_rgb_color(foreground.text()));
    if (background.text()[0] != 0)
        cell->set_background(rdb_get_rgb_color(background.text()));
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
