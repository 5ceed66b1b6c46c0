// What table cells take from their element beyond the cell text: colours
// from the cell's attributes, and the instance an instance-name cell names.
#pragma once

#include <xercesc/sax2/Attributes.hpp>

class HDB_INSTANCE_NAME;
class RDB_TABLE_ELEMENT;
class STL_STRING;

// "foreground" and "background" of a cell element, in this order; an
// absent or empty attribute leaves that colour as the cell has it.
void rdb_xml_set_cell_colors(RDB_TABLE_ELEMENT* cell, const xercesc::Attributes& attrs);

// The instance named by `name` below the action point's root, or null when
// the name is empty, there is no action point or root, or nothing matches.
// The name is looked up exactly as given, white space included.
HDB_INSTANCE_NAME* rdb_xml_find_instance(const STL_STRING& name);
