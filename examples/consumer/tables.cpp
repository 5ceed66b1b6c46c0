// Every table of a report with its path and how many data rows it has; for
// each slack table, its worst (smallest) slack and the row that has it.
//
//   tables REPORT_FILE
#include <cstdio>

#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_xml.h>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::file(argv[1]), RDB_XML_OPTIONS());
    if (!result.m_report || !result.m_report->get_main_folder())
        return 1;  // result.m_diagnostics say why
    rdb_walk_paths(*result.m_report->get_main_folder(), [](const std::string& path, const RDB_OBJECT& object) {
        auto* table = dynamic_cast<const RDB_TABLE_OBJECT*>(&object);
        if (!table)
            return;
        std::printf("%s: %zu rows\n", path.c_str(), table->data_rows().size());
        auto* slacks = dynamic_cast<const RDB_TAN_SLACK_TABLE_OBJECT*>(table);
        std::optional<unsigned> column = slacks ? slacks->find_column(RDB_SLACK_COLUMN_SLACK) : std::nullopt;
        const RDB_TABLE_DELAY_ELEMENT* worst = nullptr;
        unsigned worst_row = 0;
        for (unsigned row = table->get_first_data_row(); column && row < table->get_number_of_rows(); ++row) {
            const RDB_TABLE_ELEMENT* cell = table->get_element(row, *column);
            const RDB_TABLE_DELAY_ELEMENT* slack = cell ? cell->as_delay() : nullptr;
            if (slack && (!worst || slack->get_delay() < worst->get_delay())) {
                worst = slack;
                worst_row = row;
            }
        }
        if (worst)  // rows counted from 1, the first data row
            std::printf("  worst slack %s in row %u\n", rdb_cell_text(*worst).c_str(),
                        worst_row - table->get_first_data_row() + 1);
    });
    return 0;
}
