// A host program: reads one report file with rdb_xml_parse and prints a
// summary of it: the folder tree, the objects of each kind, and the rows.
//
//   consumer REPORT_FILE
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_xml.h>

// Counts the rows of every kind of table (summaries, charts and timing
// tables are tables too).
class ROW_COUNTER : public RDB_OBJECT_VISITOR {
public:
    using RDB_OBJECT_VISITOR::visit;
    void visit(const RDB_TABLE_OBJECT& table) override { m_rows += table.get_number_of_rows(); }
    unsigned long m_rows = 0;
};

// Prints each folder as it is entered and counts what the folders hold.
class SUMMARY : public RDB_FOLDER_WALK_HANDLER {
public:
    void enter_folder(const RDB_FOLDER_OBJECT& folder, std::size_t depth) override
    {
        std::printf("%*sfolder \"%s\": %zu objects\n", static_cast<int>(2 * depth), "",
                    folder.get_name().c_str(), folder.get_number_of_objects());
        ++m_folders;
    }
    void leave_folder(const RDB_FOLDER_OBJECT&, std::size_t) override {}
    void leaf(const RDB_OBJECT& object, std::size_t) override
    {
        ++m_kinds[object.get_kind()];
        object.accept(m_rows);
    }

    unsigned long m_folders = 0;
    std::map<std::string, unsigned long> m_kinds;
    ROW_COUNTER m_rows;
};

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: consumer REPORT_FILE\n");
        return 2;
    }
    // No instance hierarchy, no stream flag, no schema validation;
    // namespaces on, static buffers on, a live parser. The parser's
    // messages go to stderr, one "RDB_XML: ..." line each (msg_set_sink in
    // msg.h redirects them).
    std::unique_ptr<RDB_REPORT> report(rdb_xml_parse(argv[1], nullptr, false, false, true, true, false));
    if (!report) {
        std::fprintf(stderr, "consumer: %s gave no report\n", argv[1]);
        return 1;
    }
    const RDB_FOLDER_OBJECT* main_folder = report->get_main_folder();
    if (main_folder == nullptr) {
        std::printf("the report has no main folder\n");
        return 0;
    }
    SUMMARY summary;
    rdb_walk_folder_tree(*main_folder, summary);
    std::printf("folders: %lu\n", summary.m_folders);
    for (const auto& [kind, count] : summary.m_kinds)
        std::printf("%s: %lu\n", kind.c_str(), count);
    std::printf("rows: %lu\n", summary.m_rows.m_rows);
    return 0;
}
