// One gauge across runs: the value of the gauge "Logic elements" in each
// report on the command line, in order, as a trend line. A report without
// it shows "-".
//
//   gauge_trend REPORT_FILE...
#include <cstdio>
#include <string>

#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_xml.h>

int main(int argc, char** argv)
{
    const char* const gauge_name = "Logic elements";
    std::string line = gauge_name;
    line += ":";
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::file(argv[i]), RDB_XML_OPTIONS());
        const RDB_GAUGES_DATA_ELEMENT* gauge = nullptr;
        if (!result.m_report || !result.m_report->get_main_folder()) {
            std::fprintf(stderr, "%s: no report\n", argv[i]);
            status = 1;
        } else {
            rdb_walk_paths(*result.m_report->get_main_folder(), [&](const std::string&, const RDB_OBJECT& object) {
                if (auto* summary = dynamic_cast<const RDB_SUMMARY_TABLE_OBJECT*>(&object); summary && !gauge)
                    gauge = summary->find_gauge(gauge_name);
            });
        }
        line += gauge ? " " + std::to_string(gauge->get_value()) : std::string(" -");
    }
    std::printf("%s\n", line.c_str());
    return status;
}
