#include "rdb_bench_reports.h"

namespace {

const char* const HEAD = "<report><folders><root name=\"main\"/>";

std::string folder_name(const char* prefix, std::size_t i) { return prefix + std::to_string(i); }

// Declarations of folders `prefix`0 to `prefix`(count - 1).
void declare(std::string& xml, const char* prefix, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        xml += "<folder name=\"" + folder_name(prefix, i) + "\"/>";
}

// Places folders "f0" to "f(depth - 1)", each in the one before.
void place_chain(std::string& xml, std::size_t depth)
{
    for (std::size_t i = 0; i < depth; ++i)
        xml += "<folder_ref name=\"" + folder_name("f", i) + "\" parent=\"" +
               (i == 0 ? std::string("main") : folder_name("f", i - 1)) + "\"/>";
}

std::string bottom_of_chain(std::size_t depth) { return depth == 0 ? std::string("main") : folder_name("f", depth - 1); }

}  // namespace

std::string rdb_bench_folder_chain(std::size_t folders, bool deep_leaf)
{
    std::string xml = HEAD;
    declare(xml, "f", folders);
    xml += "</folders>";
    place_chain(xml, folders);
    if (deep_leaf)
        xml += "<text name=\"deep\" parent=\"" + bottom_of_chain(folders) + "\"/>";
    return xml + "</report>";
}

std::string rdb_bench_filled_folders_under_chain(std::size_t depth, std::size_t folders)
{
    std::string xml = HEAD;
    declare(xml, "f", depth);
    declare(xml, "g", folders);
    xml += "</folders>";
    place_chain(xml, depth);
    const std::string bottom = bottom_of_chain(depth);
    for (std::size_t i = 0; i < folders; ++i) {
        std::string name = folder_name("g", i);
        xml += "<text name=\"t\" parent=\"" + name + "\"/><folder_ref name=\"" + name + "\" parent=\"" + bottom +
               "\"/>";
    }
    return xml + "</report>";
}

std::string rdb_bench_defaulted_attributes(std::size_t length, std::size_t cells)
{
    std::string xml = "<!DOCTYPE report [<!ATTLIST string_cell name CDATA \"" + std::string(length, 'n') + "\">]>";
    xml += HEAD;
    xml += "</folders><table name=\"t\" parent=\"main\"><row>";
    for (std::size_t i = 0; i < cells; ++i)
        xml += "<string_cell/>";
    return xml + "</row></table></report>";
}

std::string rdb_bench_cells_before_any_row(std::size_t cells)
{
    std::string xml = HEAD;
    xml += "</folders><table name=\"t\" parent=\"main\">";
    for (std::size_t i = 0; i < cells; ++i)
        xml += "<int_cell/>";
    return xml + "</table></report>";
}
