// A design of a few thousand instances and reports full of instance-name
// cells that resolve against it: what parses sharing one loaded hierarchy
// on several threads read.
#pragma once

#include <string>

// One instance path a line: "top/b<i>/u<j>" for `blocks` blocks of `units`
// units each, the blocks in order.
inline std::string test_design_hierarchy(int blocks, int units)
{
    std::string text = "# a design for instance-name cells\n";
    for (int b = 0; b < blocks; ++b)
        for (int u = 0; u < units; ++u)
            text += "top/b" + std::to_string(b) + "/u" + std::to_string(u) + "\n";
    return text;
}

// A report of `rows` rows in a table "t<seed>", each row with three
// instance names of the design above: a unit alone (resolved below any
// block, the first in file order), a block and its unit, and a name that
// is in the design nowhere (kept as written).
inline std::string test_instance_report(int seed, int rows, int blocks, int units)
{
    std::string xml = "<report><folders><root name=\"main\"/></folders><table name=\"t" + std::to_string(seed) +
                      "\" parent=\"main\">";
    for (int r = 0; r < rows; ++r) {
        int k = seed * 7919 + r * 31;
        std::string unit = "u" + std::to_string(k % units);
        std::string block = "b" + std::to_string((k / units) % blocks);
        xml += "<row><iname_cell>" + unit + "</iname_cell><iname_cell>" + block + "/" + unit +
               "</iname_cell><iname_cell>" + block + "/nowhere" + std::to_string(r) + "</iname_cell></row>";
    }
    return xml + "</table></report>";
}
