// A host program: reads one report file and prints every object with its
// path, and for each table its column titles and how many data rows it has.
// Warnings and errors are printed as compilers print them.
//
//   consumer REPORT_FILE
#include <cstdio>
#include <string>

#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_xml.h>

namespace {

// The heading row's cells, joined by " | ".
std::string titles(const RDB_TABLE_OBJECT& table)
{
    std::string text;
    for (const RDB_TABLE_ELEMENT* cell : *table.get_row(0)) {
        if (!text.empty())
            text += " | ";
        text += rdb_cell_text(*cell);
    }
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: consumer REPORT_FILE\n");
        return 2;
    }
    // The parser's own RDB_XML lines go to this parse's sink: none here.
    RDB_XML_OPTIONS options;
    options.m_message_sink = [](const char*, const char*) {};
    RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::file(argv[1]), options);
    for (const RDB_XML_DIAGNOSTIC& d : result.m_diagnostics)
        std::fprintf(stderr, "%s:%llu:%llu: %s: %s\n", d.m_file.c_str(), static_cast<unsigned long long>(d.m_line),
                     static_cast<unsigned long long>(d.m_column),
                     d.m_severity == RDB_XML_DIAGNOSTIC::WARNING ? "warning" : "error", d.m_message.c_str());
    if (!result.m_report || result.m_report->get_main_folder() == nullptr) {
        std::fprintf(stderr, "consumer: %s gave no report\n", argv[1]);
        return 1;
    }

    unsigned long objects = 0, rows = 0;
    rdb_walk_paths(*result.m_report->get_main_folder(), [&](const std::string& path, const RDB_OBJECT& object) {
        ++objects;
        std::printf("%s (%s)", path.c_str(), object.get_kind());
        if (auto* table = dynamic_cast<const RDB_TABLE_OBJECT*>(&object)) {
            auto data = static_cast<unsigned>(table->data_rows().size());
            rows += data;
            std::printf(": %u data rows", data);
            // A chart's heading row is blank: nothing to show.
            std::string heading = table->has_heading_row() ? titles(*table) : std::string();
            if (!heading.empty())
                std::printf(" under %s", heading.c_str());
        }
        std::printf("\n");
    });
    std::printf("objects: %lu\nrows: %lu\n", objects, rows);
    return 0;
}
