// Which handler reads which element and until when, what the handlers make
// of text broken by children, of misplaced parts and of names from a fixed
// list, and when attribute values go to the heap.
#include "parse_fixture.h"
#include "timing_lines.h"

TEST_F(ParseTest, ReportElementsAreFoundAtAnyDepthInAnyCaseButOnlyOutsideAnActiveHandler)
{
    // Under any document element; attribute names only as written. "legal"
    // inside "folders" reaches the folders handler, which ignores it; an
    // "embedded" ignores unknown and waveform children and ends only at its
    // own end.
    ASSERT_NE(parse_text(R"(<anything><wrapper><deeper>
  <FOLDERS><Root name="main"/><legal name="hidden" parent="main"/></FOLDERS></deeper>
  <TABLE parent="main" Enable_Fled="true"><ROW><Int_Cell>9</Int_Cell></ROW></TABLE></wrapper>
  <embedded name="e" parent="main" type="generic"><note>skip <b>me</b></note><source_vector>s</source_vector>
    <compare>true</compare><text name="inside" parent="main"/><info>kept</info></embedded>
  <TEXT name="x" parent="main" Enabled="true"/>
</anything>)"),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"last_cmp_flp_location_available":false,"rows":[[{"value":9}]]},
        {"kind":"embedded","info":"kept"},{"kind":"text","enabled":false}])"));
}

TEST_F(ParseTest, EveryElementEndsAsItStartedAtAnyDepth)
{
    // An end is of the kind its start was found to be: kept for the
    // outermost levels, found again from the name below them. A table and a
    // text 300 levels down end as themselves, so the table keeps its row and
    // ends its handler, and both texts are read by the root handler.
    std::string open, close;
    for (int level = 0; level < 300; ++level) {
        open += "<wrap>";
        close += "</wrap>";
    }
    ASSERT_NE(parse_text(report_with(open + "<table name=\"deep\" parent=\"main\"><row><int_cell>1</int_cell></row>"
                                            "</table><text name=\"inside\" parent=\"main\"/>" +
                                     close + "<text name=\"after\" parent=\"main\"/>")),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"name":"deep","rows":[[{"value":1}]]},{"name":"inside"},{"name":"after"}])"))
        << dump();
}

TEST_F(ParseTest, NamesBeyondAsciiAreTheElementsTheParserFoldsThemTo)
{
    // A KELVIN SIGN (U+212A) folds to 'k' and a LONG S (U+017F) to 's', so
    // these are a slack table, a string cell and a summary, each ended by
    // its own spelling; an e with acute folds to nothing ASCII, so that
    // "cell" and that "row" are no elements of a table.
    const std::string kelvin = "\xE2\x84\xAA", long_s = "\xC5\xBF", e_acute = "\xC3\xA9";
    const std::string slack = "tan_slac" + kelvin + "_table", cell = long_s + "tring_cell";
    ASSERT_NE(parse_text(report_with("<" + slack + " parent=\"main\"><ROW><" + cell + " background=\"RED\">s</" + cell +
                                     "><Int_Cell>7</Int_Cell><string_cell" + e_acute + ">x</string_cell" + e_acute +
                                     "><row" + e_acute + "/><DELAY_CELL><Delay>5</Delay></DELAY_CELL></ROW></" +
                                     slack + "><" + long_s + "ummary name=\"s\" parent=\"main\"><element name=\"e\">v" +
                                     "</element></" + long_s + "ummary><text name=\"after\" parent=\"main\"/>")),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"kind":"tan_slack_table","rows":[[{"value":"s","background":"#ff0000"},
        {"value":7},{"delay":5}]]},{"kind":"summary","rows":[[{"value":"e"},{"value":"v"}]]},
        {"kind":"text","name":"after"}])"));
    EXPECT_EQ(m_messages.size(), 6u) << dump();
}

TEST_F(ParseTest, ElementsNoHandlerKnowsChangeNothingAndSayNothing)
{
    // Near misses of the names, between report elements and right after the
    // start of each element whose handler passes over what it does not know
    // (a start empties the text gathered so far, so none is put between a
    // text and its end): the report and the messages are those without them.
    const std::string odd = "<rows/><tables/><delay_cel/><header_/><textx>t</textx><x_labe>l</x_labe><gaugex/>"
                            "<summar/><row_/><info2>i</info2><Folder_Refs/><ascii-text>a</ascii-text><ROW\xC3\xA9/>";
    const std::string body = R"(%<folders>%<folder name="f"/>%</folders>%<folder_ref name="f" parent="main"/>
<table parent="f">%<row>%<int_cell>%1</int_cell><delay_cell>%<delay>%2</delay></delay_cell></row></table>%
<summary name="s" parent="f">%<gauges>%<gauge name="g">%<min>%3</min></gauge></gauges></summary>
<chart name="c" parent="f">%<data name="d">%4</data><x_label>%x</x_label></chart>%
<waveform name="w" parent="f">%<info>%i</info><compare>%true</compare></waveform>%)";
    std::string with_odd, without_odd;
    for (char c : body) {
        with_odd += c == '%' ? odd : std::string(1, c);
        if (c != '%')
            without_odd += c;
    }
    ASSERT_NE(parse_text(report_with(without_odd)), nullptr);
    EXPECT_TRUE(objects_hold(R"([{"objects":[{"rows":[[{"value":1},{"delay":2}]]},
        {"gauges":{"slots":[{"name":"g","min":3}]}},{"x_axis":"x","rows":[[{"value":""},{"value":""}],[{"value":"d"},{"value":4}]]},
        {"info":"i","compare_mode":true}]}])"));
    const std::string expected = m_totals_json;
    const std::vector<std::string> messages = m_messages;
    ASSERT_NE(parse_text(report_with(with_odd)), nullptr);
    EXPECT_EQ(m_totals_json, expected);
    ASSERT_EQ(m_messages.size(), messages.size()) << dump();
    // The same messages but for the timings.
    for (std::size_t i = 0; i < messages.size(); ++i) {
        if (!test_is_timing_line(messages[i])) {
            EXPECT_EQ(m_messages[i], messages[i]);
        }
    }
}

TEST_F(ParseTest, TextBrokenByChildrenAndPartsOutOfPlace)
{
    // The end of <b> ends the text handler: the rest of the element reaches
    // the root handler. A summary row's text starts again at a nested child.
    // Gauge fields and gauges outside "gauges" take no slot and no number;
    // the first gauges object, and g0 in it, are released when the second
    // starts, so the fields that follow must not reach g0.
    ASSERT_NE(parse_text(report_with(R"(<text name="t" parent="main"><ascii_text>one<b>bold</b>two</ascii_text>
<text name="inner" parent="main"/></text>
<summary name="s" parent="main"><element name=" n "> a <b>lost</b> kept </element>
<min>1</min><max>2</max><value>3</value><gauge name="orphan"><min>4</min></gauge>
<gauges><value>5</value><gauge name="first"/></gauges></summary>
<summary name="u" parent="main"><gauges><gauge name="g0"><min>1</min></gauge></gauges>
<gauges><min>5</min><max>6</max><value>7</value><gauge name="g1" percent="TRUE" enabled="true"><max>3</max></gauge>
<gauge name="g2" percent="1" enabled="false"><min>-2</min><value> 42x</value></gauge></gauges></summary>)")),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"name":"t","text":""},{"name":"inner","text":null},
        {"rows":[[{"value":" n "},{"value":"lost kept "}]],
         "gauges":{"slots":[{"name":"first","min":0,"max":0,"value":0}]}},
        {"gauges":{"name":"This name should not be observed","size":20,"slots":[null,
            {"name":"g1","percent":true,"disabled":false,"min":0,"max":3,"value":0},
            {"name":"g2","percent":false,"disabled":true,"min":-2,"max":0,"value":42}]}}])"));
    // Nothing but the configuration, three timings, the file and the totals.
    EXPECT_EQ(m_messages.size(), 6u);
}

TEST_F(ParseTest, UnknownNamesAreOneErrorEachAndChangeNothing)
{
    struct CASE {
        const char* body;
        std::vector<std::string> unknown;  // as printed: untrimmed, and empty for absent ones
        const char* objects;               // what the report held at the end
    } const cases[] = {
        // A valid type between unknown ones is still set, and kept.
        {"<chart parent=\"main\"><type>donut</type><type>Scatter</type><type> pie</type><type/></chart>",
         {"donut", " pie", ""},
         R"([{"chart_type":"scatter"}])"},
        // The object is made with the first type, filled like any other.
        {"<embedded name=\"clip\" parent=\"main\" type=\"video\"><info>movie</info></embedded>"
         "<embedded name=\"none\" parent=\"main\"/><embedded name=\"next\" parent=\"main\" type=\"text\"/>",
         {"video", ""},
         R"([{"name":"clip","embedded_type":"generic","info":"movie"},{"name":"none"},{"embedded_type":"text"}])"},
        {"<table parent=\"main\"><row><delay_cell><delay>5</delay><display_option>furlongs</display_option>"
         "</delay_cell><delay_cell><display_option>mhz</display_option><display_option>bogus</display_option>"
         "</delay_cell></row></table>",
         {"furlongs", "bogus"},
         R"([{"rows":[[{"delay":5,"display_option":"ns"},{"display_option":"mhz"}]]}])"},
        // The parse goes on: the row after the column is made.
        {"<tan_slack_table parent=\"main\"><column id=\"5\" type=\"latency\"/><row/><column id=\"1\"/>"
         "</tan_slack_table>",
         {"latency", ""},
         R"([{"columns":{},"rows":[[]]}])"},
    };
    for (const CASE& c : cases) {
        EXPECT_EQ(parse_text(report_with(c.body)), nullptr);
        EXPECT_EQ(count_messages_with("Unrecognized enumeration type"), static_cast<int>(c.unknown.size()));
        for (const std::string& name : c.unknown)
            EXPECT_TRUE(has_message("RDB_XML: Unrecognized enumeration type: " + name)) << name;
        EXPECT_TRUE(
            has_message("RDB_XML: Parsing resulted in " + std::to_string(c.unknown.size()) + " errors, 0 warnings"));
        EXPECT_TRUE(objects_hold(c.objects)) << c.body;
    }
    // A floorplan makes no object and no error; the next element is read.
    ASSERT_NE(parse_text(report_with(R"(<embedded name="a" parent="main" type="floorplan">
<header>h</header><info>ignored</info></embedded><embedded name="b" parent="main" type="FLOORPLAN"/>
<text name="after" parent="main"/>)")),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"name":"after","header":null}])"));
    EXPECT_EQ(count_messages_with("RDB_XML: Floorplan embedded type is no longer supported."), 2);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
}

TEST_F(ParseTest, AttributeValuesUseTheHeapOnlyPastTheInlineLimitOrWhenAsked)
{
    // Values of 512 and 513 bytes (not characters), ending in characters of
    // every length.
    const char* const DYNAMIC = "Using dynamic buffer: XMLCh* -> char*";
    for (const std::string tail : {"", "\xC3\xA9", "\xE4\xB8\xAD", "\xF0\x9D\x9B\xBF"}) {
        for (std::size_t length : {512, 513}) {
            std::string name = std::string(length - tail.size(), 'n') + tail;
            ASSERT_NE(parse_text(report_with("<text name=\"" + name + "\" parent=\"main\"/>")), nullptr);
            EXPECT_EQ(count_messages_with(DYNAMIC), length > 512 ? 1 : 0) << tail;
            EXPECT_TRUE(objects_hold("[{\"name\":\"" + name + "\"}]"));
        }
    }
    // Without static buffers every lookup says so. "folders" and "root":
    // name; "table": name, enable_fled, creator, enabled, parent; "row":
    // name; "int_cell": name, foreground, background.
    PARSE_OPTIONS o;
    o.use_static_buffers = false;
    ASSERT_NE(parse_text(report_with("<table parent=\"main\"><row><int_cell>1</int_cell></row></table>"), o), nullptr);
    EXPECT_EQ(count_messages_with(DYNAMIC), 2 + 5 + 1 + 3);
    // Colours are read only for a cell that is made, each in its own
    // buffer: here "name" for the cell before any row and for the row (a
    // row has no colours), and for the cell in the row its name and both
    // colours.
    ASSERT_NE(parse_text(report_with("<table parent=\"main\"><int_cell foreground=\"red\">0</int_cell>"
                                     "<row foreground=\"red\" background=\"red\">"
                                     "<int_cell background=\"blue\">1</int_cell></row></table>"),
                         o),
              nullptr);
    EXPECT_EQ(count_messages_with(DYNAMIC), 2 + 5 + 1 + 1 + 3);
    EXPECT_TRUE(objects_hold(R"([{"rows":[[{"value":1,"background":"#0000ff","!foreground":0}]]}])"));
    // With static buffers only the values past the inline limit take the
    // heap: the long colour of the cell before any row is never read, the
    // row's long name and the cell's long colours are.
    const std::string long_value(600, 'r');
    ASSERT_NE(parse_text(report_with("<table parent=\"main\"><int_cell foreground=\"" + long_value + "\">0</int_cell>"
                                     "<row name=\"" + long_value + "\"><int_cell foreground=\"" + long_value +
                                     "\" background=\"" + long_value + "\">1</int_cell><int_cell background=\"red\" "
                                     "foreground=\"" + long_value + "\">2</int_cell></row></table>")),
              nullptr);
    EXPECT_EQ(count_messages_with(DYNAMIC), 1 + 2 + 1);
    EXPECT_TRUE(objects_hold(R"([{"rows":[[{"value":1,"!foreground":0,"!background":0},
        {"value":2,"!foreground":0,"background":"#ff0000"}]]}])"));
}
