// The JSON writer: a hand-built report with every kind of object, written
// and read back with RapidJSON's Document.
#include <gtest/gtest.h>

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>

#include "hdb_instance.h"
#include "rdb_report.h"

namespace {

// Text that needs every kind of escaping: quotes, backslashes, control
// characters (NUL included), and non-ASCII in two, three and four bytes.
const char AWKWARD_BYTES[] = "q\"uote\\back/slash\n\t\r\x01\x1f\x7f"
                            "caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x98\x80 end\0nul";
const std::string AWKWARD(AWKWARD_BYTES, sizeof(AWKWARD_BYTES) - 1);

STL_STRING awkward() { return STL_STRING(AWKWARD.data(), AWKWARD.size()); }

std::string json_of(const RDB_REPORT* report)
{
    std::ostringstream out;
    rdb_write_json(report, out);
    return out.str();
}

// Parses with UTF-8 validation: the writer's output must be valid JSON.
void parse(const std::string& text, rapidjson::Document& document)
{
    document.Parse<rapidjson::kParseValidateEncodingFlag>(text.c_str(), text.size());
    ASSERT_FALSE(document.HasParseError())
        << rapidjson::GetParseError_En(document.GetParseError()) << " at " << document.GetErrorOffset() << " in "
        << text;
}

std::string string_of(const rapidjson::Value& value) { return std::string(value.GetString(), value.GetStringLength()); }

// The object has exactly these keys.
void expect_keys(const rapidjson::Value& object, std::initializer_list<const char*> keys)
{
    ASSERT_TRUE(object.IsObject());
    EXPECT_EQ(object.MemberCount(), keys.size());
    for (const char* key : keys)
        EXPECT_TRUE(object.HasMember(key)) << "missing " << key;
}

const char* const OBJECT_KEYS[] = {"kind", "name", "creator", "enabled", "header", "footer"};

void expect_object_keys(const rapidjson::Value& object, std::initializer_list<const char*> own)
{
    ASSERT_TRUE(object.IsObject());
    EXPECT_EQ(object.MemberCount(), 6 + own.size());
    for (const char* key : OBJECT_KEYS)
        EXPECT_TRUE(object.HasMember(key)) << "missing " << key;
    for (const char* key : own)
        EXPECT_TRUE(object.HasMember(key)) << "missing " << key;
}

void expect_table_keys(const rapidjson::Value& object, std::initializer_list<const char*> own)
{
    std::vector<const char*> keys = {"object_type", "last_cmp_flp_location_available", "rows"};
    keys.insert(keys.end(), own.begin(), own.end());
    ASSERT_TRUE(object.IsObject());
    EXPECT_EQ(object.MemberCount(), 6 + keys.size());
    for (const char* key : keys)
        EXPECT_TRUE(object.HasMember(key)) << "missing " << key;
}

struct FULL_REPORT {
    std::unique_ptr<HDB_INSTANCE_NAME> hierarchy{new HDB_INSTANCE_NAME("top", nullptr)};
    std::unique_ptr<RDB_REPORT> report{new RDB_REPORT};

    FULL_REPORT()
    {
        auto* main_folder = new RDB_FOLDER_OBJECT(awkward());
        main_folder->set_creator_module(STL_STRING("flow"));
        main_folder->set_header(STL_STRING(" head "));
        report->add_main_folder(main_folder);
        report->set_current_folder(main_folder);

        auto* sub = new RDB_FOLDER_OBJECT("sub");
        sub->set_enable(false);
        sub->set_footer(awkward());
        main_folder->add_object_to_list(sub);

        auto* text = new RDB_TEXT_OBJECT("text");
        text->add_text(new STL_STRING(awkward()));
        sub->add_object_to_list(text);
        main_folder->add_object_to_list(new RDB_LEGAL_OBJECT("legal"));

        auto* table = new RDB_TABLE_OBJECT("table", RDB_OBJECT_TYPE_TABLE);
        table->set_last_cmp_flp_location_available(true);
        auto* row = new RDB_TABLE_ROW;
        table->add_row(row);
        auto* string_cell = new RDB_TABLE_STRING_ELEMENT;
        string_cell->set_string(awkward());
        string_cell->set_foreground(rdb_get_rgb_color("#0a0B0c"));
        row->push_back(string_cell);
        auto* int_cell = new RDB_TABLE_INT_ELEMENT;
        int_cell->set_data(-2147483647 - 1);
        int_cell->set_background(rdb_get_rgb_color("red"));
        row->push_back(int_cell);
        row->push_back(new RDB_TABLE_DELAY_ELEMENT(-1234567890123L, RDB_DELAY_DISPLAY_MHZ));
        auto* iname = new RDB_TABLE_INAME_ELEMENT;
        iname->set_iname(hierarchy->add_child("u1")->add_child("u2"));
        row->push_back(iname);
        row->push_back(new RDB_TABLE_INAME_ELEMENT);
        table->add_string_row(RDB_ROW_END);
        main_folder->add_object_to_list(table);

        auto* summary = new RDB_SUMMARY_TABLE_OBJECT("summary");
        summary->add_string_row("cpu", "50%", RDB_ROW_END);
        auto* gauges = new RDB_GAUGES_OBJECT("gauges", 20);
        gauges->set_data_at(0, new RDB_GAUGES_DATA_ELEMENT("load", true, 0, 100, 42, false));
        gauges->set_data_at(2, new RDB_GAUGES_DATA_ELEMENT(AWKWARD.c_str(), false, -5, 5, -1, true));
        summary->set_gauges(gauges);
        main_folder->add_object_to_list(summary);
        main_folder->add_object_to_list(new RDB_SUMMARY_TABLE_OBJECT("bare summary"));

        auto* chart = new RDB_CHART_TABLE_OBJECT("chart", 3);
        chart->add_string_row("", "", RDB_ROW_END);
        chart->add_row(STL_STRING("p"), 7);
        chart->set_default_chart_type(RDB_CHART_TYPE_HISTOGRAM);
        chart->set_x_axis(STL_STRING(" x\n"));
        chart->set_y_axis(STL_STRING("y"));
        chart->display_labels(true);
        main_folder->add_object_to_list(chart);

        main_folder->add_object_to_list(
            new RDB_TAN_SPD_TABLE_OBJECT(&mem_default_segment, "spd", true, RDB_OBJECT_TYPE_TAN_TABLE));
        RDB_TAN_SLACK_COLUMN_TYPE_LIST columns;
        auto* slack = new RDB_TAN_SLACK_TABLE_OBJECT("slack", 3, columns, RDB_OBJECT_TYPE_TAN_TABLE);
        slack->set_column_id(RDB_SLACK_COLUMN_TO_CLOCK, 7);
        slack->set_column_id(RDB_SLACK_COLUMN_SLACK, 3);
        slack->set_restricted_to(-12);
        main_folder->add_object_to_list(slack);
        main_folder->add_object_to_list(
            new RDB_TAN_SLACK_TABLE_OBJECT("open slack", 0, columns, RDB_OBJECT_TYPE_TAN_TABLE));

        auto* embedded = new RDB_EMBEDDED_OBJECT("embedded", RDB_EMBEDDED_TYPE_HTML);
        embedded->set_info_str(awkward());
        main_folder->add_object_to_list(embedded);
        auto* wave = new RDB_WAVEFORM_OBJECT("wave", STL_STRING("in.vec"), STL_STRING("out.vec"), true);
        wave->set_info_str(STL_STRING("w"));
        main_folder->add_object_to_list(wave);

        // Unplaced objects are not written.
        report->adopt_unplaced(new RDB_TEXT_OBJECT("orphan"));
    }
};

}  // namespace

TEST(JsonWriter, NullReportIsNull)
{
    EXPECT_EQ(json_of(nullptr), "null");
}

TEST(JsonWriter, EmptyReport)
{
    RDB_REPORT report;
    rapidjson::Document document;
    parse(json_of(&report), document);
    expect_keys(document, {"main_folder", "current_folder"});
    EXPECT_TRUE(document["main_folder"].IsNull());
    EXPECT_TRUE(document["current_folder"].IsNull());
}

TEST(JsonWriter, EveryKindOfObjectReadsBackExactly)
{
    FULL_REPORT full;
    rapidjson::Document document;
    parse(json_of(full.report.get()), document);
    expect_keys(document, {"main_folder", "current_folder"});
    EXPECT_EQ(string_of(document["current_folder"]), AWKWARD);

    const rapidjson::Value& main_folder = document["main_folder"];
    expect_object_keys(main_folder, {"objects"});
    EXPECT_STREQ(main_folder["kind"].GetString(), "folder");
    EXPECT_EQ(string_of(main_folder["name"]), AWKWARD);
    EXPECT_STREQ(main_folder["creator"].GetString(), "flow");
    EXPECT_TRUE(main_folder["enabled"].GetBool());
    EXPECT_STREQ(main_folder["header"].GetString(), " head ");
    EXPECT_TRUE(main_folder["footer"].IsNull());
    const rapidjson::Value& objects = main_folder["objects"];
    ASSERT_TRUE(objects.IsArray());
    ASSERT_EQ(objects.Size(), 11u);

    const rapidjson::Value& sub = objects[0];
    expect_object_keys(sub, {"objects"});
    EXPECT_STREQ(sub["kind"].GetString(), "folder");
    EXPECT_FALSE(sub["enabled"].GetBool());
    EXPECT_TRUE(sub["header"].IsNull());
    EXPECT_EQ(string_of(sub["footer"]), AWKWARD);
    ASSERT_EQ(sub["objects"].Size(), 1u);
    const rapidjson::Value& text = sub["objects"][0];
    expect_object_keys(text, {"text"});
    EXPECT_STREQ(text["kind"].GetString(), "text");
    EXPECT_STREQ(text["creator"].GetString(), "");
    EXPECT_EQ(string_of(text["text"]), AWKWARD);

    const rapidjson::Value& legal = objects[1];
    expect_object_keys(legal, {"text"});
    EXPECT_STREQ(legal["kind"].GetString(), "legal");
    EXPECT_TRUE(legal["text"].IsNull());

    const rapidjson::Value& table = objects[2];
    expect_table_keys(table, {});
    EXPECT_STREQ(table["kind"].GetString(), "table");
    EXPECT_EQ(table["object_type"].GetInt(), 4);
    EXPECT_TRUE(table["last_cmp_flp_location_available"].GetBool());
    const rapidjson::Value& rows = table["rows"];
    ASSERT_EQ(rows.Size(), 2u);
    EXPECT_EQ(rows[1].Size(), 0u);
    const rapidjson::Value& cells = rows[0];
    ASSERT_EQ(cells.Size(), 5u);
    expect_keys(cells[0], {"type", "value", "foreground"});
    EXPECT_STREQ(cells[0]["type"].GetString(), "string");
    EXPECT_EQ(string_of(cells[0]["value"]), AWKWARD);
    EXPECT_STREQ(cells[0]["foreground"].GetString(), "#0a0b0c");
    expect_keys(cells[1], {"type", "value", "background"});
    EXPECT_STREQ(cells[1]["type"].GetString(), "int");
    EXPECT_EQ(cells[1]["value"].GetInt(), -2147483647 - 1);
    EXPECT_STREQ(cells[1]["background"].GetString(), "#ff0000");
    expect_keys(cells[2], {"type", "delay", "display_option"});
    EXPECT_STREQ(cells[2]["type"].GetString(), "delay");
    EXPECT_EQ(cells[2]["delay"].GetInt64(), -1234567890123LL);
    EXPECT_STREQ(cells[2]["display_option"].GetString(), "mhz");
    expect_keys(cells[3], {"type", "instance"});
    EXPECT_STREQ(cells[3]["type"].GetString(), "iname");
    EXPECT_STREQ(cells[3]["instance"].GetString(), "top/u1/u2");
    expect_keys(cells[4], {"type", "instance"});
    EXPECT_TRUE(cells[4]["instance"].IsNull());

    const rapidjson::Value& summary = objects[3];
    expect_table_keys(summary, {"gauges"});
    EXPECT_STREQ(summary["kind"].GetString(), "summary");
    EXPECT_EQ(summary["object_type"].GetInt(), RDB_OBJECT_TYPE_SUMMARY_TABLE);
    EXPECT_STREQ(summary["rows"][0][0]["value"].GetString(), "cpu");
    EXPECT_STREQ(summary["rows"][0][1]["value"].GetString(), "50%");
    const rapidjson::Value& gauges = summary["gauges"];
    expect_keys(gauges, {"name", "size", "slots"});
    EXPECT_STREQ(gauges["name"].GetString(), "gauges");
    EXPECT_EQ(gauges["size"].GetInt(), 20);
    const rapidjson::Value& slots = gauges["slots"];
    ASSERT_EQ(slots.Size(), 3u);  // up to the highest slot that holds a gauge
    expect_keys(slots[0], {"name", "percent", "min", "max", "value", "disabled"});
    EXPECT_STREQ(slots[0]["name"].GetString(), "load");
    EXPECT_TRUE(slots[0]["percent"].GetBool());
    EXPECT_EQ(slots[0]["min"].GetInt(), 0);
    EXPECT_EQ(slots[0]["max"].GetInt(), 100);
    EXPECT_EQ(slots[0]["value"].GetInt(), 42);
    EXPECT_FALSE(slots[0]["disabled"].GetBool());
    EXPECT_TRUE(slots[1].IsNull());
    // The gauge constructor takes a C string: the name ends at the NUL.
    EXPECT_EQ(string_of(slots[2]["name"]), std::string(AWKWARD.c_str()));
    EXPECT_EQ(slots[2]["min"].GetInt(), -5);
    EXPECT_EQ(slots[2]["value"].GetInt(), -1);
    EXPECT_TRUE(slots[2]["disabled"].GetBool());
    EXPECT_TRUE(objects[4]["gauges"].IsNull());

    const rapidjson::Value& chart = objects[5];
    expect_table_keys(chart, {"size", "chart_type", "x_axis", "y_axis", "display_labels"});
    EXPECT_STREQ(chart["kind"].GetString(), "chart");
    EXPECT_EQ(chart["size"].GetInt(), 3);
    EXPECT_STREQ(chart["chart_type"].GetString(), "histogram");
    EXPECT_STREQ(chart["x_axis"].GetString(), " x\n");
    EXPECT_STREQ(chart["y_axis"].GetString(), "y");
    EXPECT_TRUE(chart["display_labels"].GetBool());
    ASSERT_EQ(chart["rows"].Size(), 2u);
    EXPECT_STREQ(chart["rows"][1][0]["value"].GetString(), "p");
    EXPECT_EQ(chart["rows"][1][1]["value"].GetInt(), 7);

    const rapidjson::Value& spd = objects[6];
    expect_table_keys(spd, {"show_min"});
    EXPECT_STREQ(spd["kind"].GetString(), "tan_spd_table");
    EXPECT_EQ(spd["object_type"].GetInt(), 8);
    EXPECT_TRUE(spd["show_min"].GetBool());

    const rapidjson::Value& slack = objects[7];
    expect_table_keys(slack, {"analysis_type", "columns", "restricted_to"});
    EXPECT_STREQ(slack["kind"].GetString(), "tan_slack_table");
    EXPECT_EQ(slack["analysis_type"].GetInt(), 3);
    expect_keys(slack["columns"], {"slack", "to_clock"});
    EXPECT_EQ(slack["columns"]["slack"].GetUint(), 3u);
    EXPECT_EQ(slack["columns"]["to_clock"].GetUint(), 7u);
    EXPECT_EQ(slack["restricted_to"].GetInt(), -12);
    EXPECT_TRUE(objects[8]["restricted_to"].IsNull());
    EXPECT_EQ(objects[8]["columns"].MemberCount(), 0u);

    const rapidjson::Value& embedded = objects[9];
    expect_object_keys(embedded, {"embedded_type", "info"});
    EXPECT_STREQ(embedded["kind"].GetString(), "embedded");
    EXPECT_STREQ(embedded["embedded_type"].GetString(), "html");
    EXPECT_EQ(string_of(embedded["info"]), AWKWARD);

    const rapidjson::Value& wave = objects[10];
    expect_object_keys(wave, {"embedded_type", "info", "source_vector", "result_vector", "compare_mode"});
    EXPECT_STREQ(wave["kind"].GetString(), "waveform");
    EXPECT_STREQ(wave["embedded_type"].GetString(), "generic");
    EXPECT_STREQ(wave["info"].GetString(), "w");
    EXPECT_STREQ(wave["source_vector"].GetString(), "in.vec");
    EXPECT_STREQ(wave["result_vector"].GetString(), "out.vec");
    EXPECT_TRUE(wave["compare_mode"].GetBool());
}

TEST(JsonWriter, ControlCharactersAreEscapedNotWrittenRaw)
{
    RDB_REPORT report;
    report.add_main_folder(new RDB_FOLDER_OBJECT(awkward()));
    std::string json = json_of(&report);
    for (char c : json)
        EXPECT_GE(static_cast<unsigned char>(c), 0x20u) << "raw control character in " << json;
    EXPECT_NE(json.find("\\u0000nul"), std::string::npos);
}

TEST(JsonWriter, IllFormedUtf8BecomesReplacementCharacters)
{
    struct {
        std::string held;
        std::string written;
    } const cases[] = {
        {"a\xff" "b", "a\xef\xbf\xbd" "b"},
        {"\xc3", "\xef\xbf\xbd"},                               // cut short at the end
        {"\xe6\x97" "x", "\xef\xbf\xbd" "x"},                   // one part for the valid prefix
        {"\xc0\xaf", "\xef\xbf\xbd\xef\xbf\xbd"},               // overlong form
        {"\xed\xa0\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},  // surrogate
        {"\xf4\x90\x80\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},  // above U+10FFFF
        {"\xe2\x82\xac\x80", "\xe2\x82\xac\xef\xbf\xbd"},       // stray continuation byte
    };
    for (const auto& c : cases) {
        RDB_REPORT report;
        auto* folder = new RDB_FOLDER_OBJECT(STL_STRING(c.held.data(), c.held.size()));
        report.add_main_folder(folder);
        rapidjson::Document document;
        parse(json_of(&report), document);
        EXPECT_EQ(string_of(document["main_folder"]["name"]), c.written);
    }
}
