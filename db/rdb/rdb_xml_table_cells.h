// What table cells take from their element beyond the cell text: colours
// from the cell's attributes, and the instance an instance-name cell names.
#pragma once

#include <xercesc/util/XercesDefs.hpp>

class HDB_INSTANCE_NAME;
class RDB_TABLE_ELEMENT;
class STL_STRING;

// The raw values of a cell element's "foreground" and "background", read in
// this order (null for an absent attribute); an absent or empty value leaves
// that colour as the cell has it.
void rdb_xml_set_cell_colors(RDB_TABLE_ELEMENT* cell, const XMLCh* foreground, const XMLCh* background);

// The instance named by `name` below the action point's root, or null when
// the name is empty, there is no action point or root, or nothing matches.
// The name is looked up exactly as given, white space included.
HDB_INSTANCE_NAME* rdb_xml_find_instance(const STL_STRING& name);
