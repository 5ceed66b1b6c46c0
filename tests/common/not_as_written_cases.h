// Reports whose content the reader does not take as written, each with the
// report it is read as (which says exactly that content as it is held) and
// the warnings it gives: shared by the parser's and the tool's tests, which
// both read them as real files.
#pragma once

#include <string>
#include <vector>

struct NOT_AS_WRITTEN_CASE {
    const char* m_body;     // line 2 of the report
    const char* m_read_as;  // line 2 of the report it is read as
    // Every diagnostic of the file, "LINE:COL: warning: MESSAGE", in order.
    std::vector<std::string> m_warnings;
    int m_not_as_written;  // how many of them are for content not taken as written
};

inline std::string not_as_written_report(const std::string& body)
{
    return "<report><folders><root name=\"main\"/></folders>\n" + body + "\n</report>\n";
}

inline const std::vector<NOT_AS_WRITTEN_CASE>& not_as_written_cases()
{
    static const std::vector<NOT_AS_WRITTEN_CASE> cases = {
        // Numbers that are no whole number of their field.
        {"<tan_slack_table name=\"s\" parent=\"main\"><row><delay_cell><delay>minus</delay></delay_cell></row>"
         "</tan_slack_table>",
         "<tan_slack_table name=\"s\" parent=\"main\"><row><delay_cell><delay>0</delay></delay_cell></row>"
         "</tan_slack_table>",
         {"2:78: warning: delay \"minus\" is not a number: taken as 0"},
         1},
        {"<table name=\"t\" parent=\"main\"><row><int_cell>25x0</int_cell></row></table>",
         "<table name=\"t\" parent=\"main\"><row><int_cell>25</int_cell></row></table>",
         {"2:61: warning: int_cell \"25x0\" is not a whole number: taken as 25"},
         1},
        {"<table name=\"t\" parent=\"main\"><row><int_cell>12abc</int_cell></row></table>",
         "<table name=\"t\" parent=\"main\"><row><int_cell>12</int_cell></row></table>",
         {"2:62: warning: int_cell \"12abc\" is not a whole number: taken as 12"},
         1},
        {"<table name=\"t\" parent=\"main\"><row><int_cell>0x10</int_cell></row></table>",
         "<table name=\"t\" parent=\"main\"><row><int_cell>0</int_cell></row></table>",
         {"2:61: warning: int_cell \"0x10\" is not a whole number: taken as 0"},
         1},
        {"<table name=\"t\" parent=\"main\"><row><int_cell></int_cell></row></table>",
         "<table name=\"t\" parent=\"main\"><row><int_cell>0</int_cell></row></table>",
         {"2:57: warning: int_cell \"\" is not a number: taken as 0"},
         1},
        {"<table name=\"t\" parent=\"main\"><row><int_cell>99999999999</int_cell></row></table>",
         "<table name=\"t\" parent=\"main\"><row><int_cell>1215752191</int_cell></row></table>",
         {"2:68: warning: int_cell \"99999999999\" is out of range for a 32-bit number: taken as 1215752191"},
         1},
        {"<table name=\"t\" parent=\"main\"><row><int_cell>-2147483649</int_cell></row></table>",
         "<table name=\"t\" parent=\"main\"><row><int_cell>2147483647</int_cell></row></table>",
         {"2:68: warning: int_cell \"-2147483649\" is out of range for a 32-bit number: taken as 2147483647"},
         1},
        {"<table name=\"t\" parent=\"main\"><row><int_cell>99999999999999999999</int_cell></row></table>",
         "<table name=\"t\" parent=\"main\"><row><int_cell>-1</int_cell></row></table>",
         {"2:77: warning: int_cell \"99999999999999999999\" is out of range for a 32-bit number: taken as -1"},
         1},
        {"<chart name=\"c\" parent=\"main\" size=\"4\"><data name=\"a\">3000000000</data></chart>",
         "<chart name=\"c\" parent=\"main\" size=\"4\"><data name=\"a\">-1294967296</data></chart>",
         {"2:72: warning: data \"3000000000\" is out of range for a 32-bit number: taken as -1294967296"},
         1},
        {"<tan_slack_table name=\"s\" parent=\"main\"><row><delay_cell><delay>1e3</delay></delay_cell></row>"
         "</tan_slack_table>",
         "<tan_slack_table name=\"s\" parent=\"main\"><row><delay_cell><delay>1</delay></delay_cell></row>"
         "</tan_slack_table>",
         {"2:76: warning: delay \"1e3\" is not a whole number: taken as 1"},
         1},
        // Attribute values.
        {"<tan_slack_table name=\"s\" parent=\"main\"><column id=\"-1\" type=\"slack\"/></tan_slack_table>",
         "<tan_slack_table name=\"s\" parent=\"main\"><column id=\"4294967295\" type=\"slack\"/></tan_slack_table>",
         {"2:71: warning: column id \"-1\" is out of range for an unsigned 32-bit number: taken as 4294967295"},
         1},
        {"<chart name=\"c\" parent=\"main\" size=\"9z\"/>", "<chart name=\"c\" parent=\"main\" size=\"9\"/>",
         {"2:42: warning: chart size \"9z\" is not a whole number: taken as 9"},
         1},
        {"<tan_slack_table name=\"s\" parent=\"main\" analysis_type=\"x1\"/>",
         "<tan_slack_table name=\"s\" parent=\"main\" analysis_type=\"0\"/>",
         {"2:61: warning: tan_slack_table analysis_type \"x1\" is not a number: taken as 0"},
         1},
        // Elements of names the format does not have: the cell is gone and
        // the row shifts left; the folder is never placed.
        {"<table name=\"t\" parent=\"main\"><row><strin_cell><em>a</em></strin_cell><string_cell>b</string_cell>"
         "</row></table>",
         "<table name=\"t\" parent=\"main\"><row><string_cell>b</string_cell></row></table>",
         {"2:48: warning: unknown element \"strin_cell\": passed over"},
         1},
        {"<folders><folder name=\"timing\"/></folders><folder_rf name=\"timing\" parent=\"main\"/>",
         "<folders><folder name=\"timing\"/></folders>",
         {"2:83: warning: unknown element \"folder_rf\": passed over",
          "2:33: warning: Folder \"timing\" is declared but never placed"},
         1},
        // Inside a folder reference, any element is one.
        {"<folders><folder name=\"a\"/><folder name=\"b\"/></folders><folder_ref name=\"a\" parent=\"main\">"
         "<fr name=\"b\" parent=\"a\"/></folder_ref>",
         "<folders><folder name=\"a\"/><folder name=\"b\"/></folders><folder_ref name=\"a\" parent=\"main\"/>"
         "<folder_ref name=\"b\" parent=\"a\"/>",
         {"2:116: warning: unknown element \"fr\": taken as a folder reference"},
         1},
        // Text around a child element.
        {"<text name=\"x\" parent=\"main\"><ascii_text>first <b>bold</b> last</ascii_text></text>",
         "<text name=\"x\" parent=\"main\"><ascii_text></ascii_text></text>",
         {"2:51: warning: text \"first\" before element \"b\" is dropped: an element keeps only its text after its "
          "last child",
          "2:51: warning: unknown element \"b\": passed over, and the text ends with it: what follows inside the "
          "text is not read",
          "2:64: warning: text \"last\" outside any report element: passed over"},
         3},
        {"<table name=\"t\" parent=\"main\"><row><string_cell>A<i>x</i>B</string_cell></row></table>",
         "<table name=\"t\" parent=\"main\"><row><string_cell>xB</string_cell></row></table>",
         {"2:53: warning: text \"A\" before element \"i\" is dropped: an element keeps only its text after its last "
          "child",
          "2:53: warning: unknown element \"i\": passed over"},
         2},
        {"<table name=\"t\" parent=\"main\"><row><int_cell>1<x/>2</int_cell></row></table>",
         "<table name=\"t\" parent=\"main\"><row><int_cell>2</int_cell></row></table>",
         {"2:51: warning: text \"1\" before element \"x\" is dropped: an element keeps only its text after its last "
          "child",
          "2:51: warning: unknown element \"x\": passed over"},
         2},
        // A table inside a table, and a cell outside a row.
        {"<table name=\"outer\" parent=\"main\"><row><int_cell>1</int_cell></row><table name=\"inner\" "
         "parent=\"main\"><row><int_cell>2</int_cell></row></table><row><int_cell>3</int_cell></row></table>",
         "<table name=\"outer\" parent=\"main\"><row><int_cell>1</int_cell></row></table><table name=\"inner\" "
         "parent=\"main\"><row><int_cell>2</int_cell></row></table>",
         {"2:102: warning: table \"inner\" inside table \"outer\": its end ends both, and the rest of \"outer\" is "
          "passed over",
          "2:159: warning: text \"3\" outside any report element: passed over"},
         2},
        {"<table name=\"t\" parent=\"main\"><row><int_cell>1</int_cell></row><int_cell>2</int_cell></table>",
         "<table name=\"t\" parent=\"main\"><row><int_cell>1</int_cell><int_cell>2</int_cell></row></table>",
         {"2:74: warning: int_cell outside a row: added to the row before it"},
         1},
    };
    return cases;
}
