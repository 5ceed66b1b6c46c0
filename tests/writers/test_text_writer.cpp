// The text writer: the tree a person reads, compared whole for one report.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_text_writer.h>

namespace {

std::string text_of(const RDB_REPORT* report, RDB_TEXT_DETAIL detail = RDB_TEXT_FOR_PEOPLE)
{
    std::ostringstream out;
    rdb_write_text(report, out, detail);
    return out.str();
}

RDB_TABLE_ROW* add_row(RDB_TABLE_OBJECT* table)
{
    auto* row = new RDB_TABLE_ROW;
    table->add_row(row);
    return row;
}

RDB_TABLE_STRING_ELEMENT* string_cell(const char* text)
{
    auto* cell = new RDB_TABLE_STRING_ELEMENT;
    cell->set_string(STL_STRING(text));
    return cell;
}

}  // namespace

TEST(TextWriter, SmallReport)
{
    RDB_REPORT report;
    auto* main_folder = new RDB_FOLDER_OBJECT("main");
    report.add_main_folder(main_folder);
    report.set_current_folder(main_folder);

    auto* notes = new RDB_TEXT_OBJECT("notes");
    notes->set_creator_module(STL_STRING("flow"));
    notes->set_header(STL_STRING(" head "));
    notes->add_text(new STL_STRING("line one\nline \"two\""));
    main_folder->add_object_to_list(notes);

    auto* timing = new RDB_FOLDER_OBJECT("timing");
    timing->set_enable(false);
    main_folder->add_object_to_list(timing);
    auto* table = new RDB_TABLE_OBJECT("paths", RDB_OBJECT_TYPE_TABLE);
    RDB_TABLE_ROW* row = add_row(table);
    row->push_back(string_cell("name"));
    row->push_back(string_cell("count"));
    row->push_back(string_cell("delay"));
    row = add_row(table);
    row->push_back(string_cell("caf\xc3\xa9"));
    row->push_back(new RDB_TABLE_INT_ELEMENT(7));
    row->push_back(new RDB_TABLE_DELAY_ELEMENT(1250, RDB_DELAY_DISPLAY_MHZ));
    row = add_row(table);
    row->push_back(string_cell("a"));
    row->push_back(new RDB_TABLE_INT_ELEMENT(-120));
    row->push_back(new RDB_TABLE_INAME_ELEMENT);
    timing->add_object_to_list(table);

    auto* summary = new RDB_SUMMARY_TABLE_OBJECT("health");
    summary->add_string_row("cpu", "busy", RDB_ROW_END);
    auto* gauges = new RDB_GAUGES_OBJECT("g", 20);
    gauges->set_data_at(0, new RDB_GAUGES_DATA_ELEMENT("load", true, 0, 100, 42, false));
    gauges->set_data_at(3, new RDB_GAUGES_DATA_ELEMENT("fans", false, 0, 4, 3, true));
    summary->set_gauges(gauges);
    main_folder->add_object_to_list(summary);

    auto* chart = new RDB_CHART_TABLE_OBJECT("hist", 2);
    chart->add_string_row("", "", RDB_ROW_END);
    chart->add_row(STL_STRING("a"), 1);
    chart->add_row(STL_STRING("b"), 2);
    chart->set_x_axis(STL_STRING("x"));
    main_folder->add_object_to_list(chart);

    RDB_TAN_SLACK_COLUMN_TYPE_LIST columns;
    auto* slack = new RDB_TAN_SLACK_TABLE_OBJECT("slack", 1, columns, RDB_OBJECT_TYPE_TAN_TABLE);
    slack->set_column_id(RDB_SLACK_COLUMN_FROM, 0);
    slack->set_column_id(RDB_SLACK_COLUMN_SLACK, 2);
    slack->set_restricted_to(5);
    main_folder->add_object_to_list(slack);

    auto* wave = new RDB_WAVEFORM_OBJECT("wave", STL_STRING("in.vec"), STL_STRING(""), true);
    wave->set_footer(STL_STRING("tab\there"));
    main_folder->add_object_to_list(wave);

    const char* for_people =
        "folder \"main\"\n"
        "  text \"notes\"\n"
        "    header:  head \n"
        "    line one\n"
        "    line \"two\"\n"
        "  folder \"timing\" [disabled]\n"
        "    table \"paths\"\n"
        "      name  count      delay\n"
        "      ----  -----  ---------\n"
        "      caf\xc3\xa9      7  800.0 MHz\n"
        "      a      -120  -\n"
        "  summary \"health\"\n"
        "    cpu  busy\n"
        "    gauges:\n"
        "      load  42%  (0 to 100)\n"
        "      fans    3  (0 to 4) [disabled]\n"
        "  chart \"hist\" (bar)\n"
        "    x\n"
        "    -  -\n"
        "    a  1  ####################\n"
        "    b  2  ########################################\n"
        "  slack table \"slack\"\n"
        "  waveform \"wave\" (generic)\n"
        "    source vectors: in.vec\n"
        "    compared with the result vectors\n"
        "    footer: tab\\there\n";
    EXPECT_EQ(text_of(&report), for_people);

    const char* with_settings =
        "report, current folder \"main\"\n"
        "folder \"main\"\n"
        "  text \"notes\" creator \"flow\"\n"
        "    header:  head \n"
        "    line one\n"
        "    line \"two\"\n"
        "  folder \"timing\" [disabled]\n"
        "    table \"paths\"\n"
        "      settings: object type 4, last cmp/flp location available: no, 3 rows\n"
        "      name  count      delay\n"
        "      ----  -----  ---------\n"
        "      caf\xc3\xa9      7  800.0 MHz\n"
        "      a      -120  -\n"
        "  summary \"health\"\n"
        "    settings: object type 5, last cmp/flp location available: no, 1 row\n"
        "    cpu  busy\n"
        "    gauges, size 20:\n"
        "      #0  load  42%  (0 to 100)\n"
        "      #3  fans    3  (0 to 4) [disabled]\n"
        "  chart \"hist\" (bar)\n"
        "    settings: object type 6, last cmp/flp location available: no, 3 rows, size 2, labels hidden\n"
        "    x\n"
        "    -  -\n"
        "    a  1  ####################\n"
        "    b  2  ########################################\n"
        "  slack table \"slack\"\n"
        "    settings: object type 8, last cmp/flp location available: no, 0 rows, analysis type 1, "
        "columns {slack=2, from=0}, restricted to 5\n"
        "  waveform \"wave\" (generic)\n"
        "    source vectors: in.vec\n"
        "    compared with the result vectors\n"
        "    footer: tab\\there\n";
    EXPECT_EQ(text_of(&report, RDB_TEXT_WITH_SETTINGS), with_settings);
}

TEST(TextWriter, NullAndEmptyReports)
{
    EXPECT_EQ(text_of(nullptr), "no report\n");
    RDB_REPORT report;
    EXPECT_EQ(text_of(&report), "no main folder\n");
    EXPECT_EQ(text_of(&report, RDB_TEXT_WITH_SETTINGS), "report, no main folder, no current folder\n");
}

TEST(TextWriter, IllFormedBytesAreShownAsEscapes)
{
    RDB_REPORT report;
    report.add_main_folder(new RDB_FOLDER_OBJECT("a\xff\x01" "b"));
    EXPECT_EQ(text_of(&report), "folder \"a\\xff\\x01b\"\n");
}
