#include "rdbxml_csv.h"

#include <filesystem>
#include <set>
#include <system_error>

#include <rdbxml/rdb_csv_writer.h>
#include <rdbxml/rdb_summary.h>
#include <rdbxml/rdb_table.h>
#include "rdbxml_names.h"
#include "rdbxml_replace_file.h"
#include "rdbxml_text.h"
#include "rdbxml_write_file.h"

namespace fs = std::filesystem;

namespace {

// A step of a path as a file name: its escapes undone, and what a file
// name cannot hold, or would mean something else, %-encoded.
std::string file_name_of_step(const std::string& step)
{
    std::string name;
    for (std::size_t i = 0; i < step.size(); ++i) {
        char c = step[i] == '\\' && i + 1 < step.size() ? step[++i] : step[i];
        if (c == '/')
            name += "%2F";
        else if (c == '%')
            name += "%25";
        else
            name += c;
    }
    if (name.empty())
        return "%00";
    if (name == "." || name == "..")
        return name == "." ? "%2E" : "%2E%2E";
    return name;
}

// The file of the table at `path` below `directory`, without ".csv".
fs::path file_of_path(const std::string& directory, const std::string& path)
{
    fs::path file(directory);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] == '\\') {
            ++i;
            continue;
        }
        if (i == path.size() || path[i] == '/') {
            file /= file_name_of_step(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return file;
}

std::string csv_of(const RDB_TABLE_OBJECT& table)
{
    RDBXML_TEXT text;
    rdb_write_csv(table, text);
    return text.take();
}

std::string csv_of(const RDB_GAUGES_OBJECT& gauges)
{
    RDBXML_TEXT text;
    rdb_write_csv_gauges(gauges, text);
    return text.take();
}

// The gauges of a summary that has any.
const RDB_GAUGES_OBJECT* gauges_of(const RDB_TABLE_OBJECT& table)
{
    const auto* summary = dynamic_cast<const RDB_SUMMARY_TABLE_OBJECT*>(&table);
    const RDB_GAUGES_OBJECT* gauges = summary != nullptr ? summary->get_gauges() : nullptr;
    return gauges != nullptr && gauges->get_number_of_used_slots() > 0 ? gauges : nullptr;
}

}  // namespace

RDBXML_CSV_RESULT rdbxml_write_csv_tables(const std::vector<RDB_PATH_MATCH>& objects, const std::string& file,
                                          const std::string& target, bool directory)
{
    RDBXML_CSV_RESULT result;
    std::vector<std::pair<const std::string*, const RDB_TABLE_OBJECT*>> tables;
    for (const RDB_PATH_MATCH& match : objects)
        if (const auto* table = dynamic_cast<const RDB_TABLE_OBJECT*>(match.m_object))
            tables.emplace_back(&match.m_path, table);

    if (!directory) {
        if (tables.size() != 1) {
            result.usage = true;
            result.error = "--csv " + target + " takes one table, and " + file + " has " +
                           std::to_string(tables.size());
            for (std::size_t i = 0; i < tables.size(); ++i)
                result.error += (i == 0 ? ": " : ", ") + *tables[i].first;
            result.error += " (narrow with --select, or write into a directory: OUT/)";
            return result;
        }
        std::error_code code;
        if (target != "-" && fs::equivalent(target, file, code)) {
            result.error = "not writing " + target + ": it is the report file itself";
            return result;
        }
        std::string csv = csv_of(*tables[0].second);
        if (target == "-")
            result.out = std::move(csv);
        else
            rdbxml_write_file(target, csv, result.error);
        return result;
    }

    RDBXML_NAMES names;
    std::set<fs::path> prepared;
    for (const auto& [path, table] : tables) {
        fs::path name = names.unique_stem(file_of_path(target, *path).string(), ".csv");
        fs::path parent = name.parent_path();
        if (prepared.insert(parent).second) {
            std::error_code code;
            fs::create_directories(parent, code);
            if (code) {
                result.error = "cannot make the directory " + parent.string() + ": " + code.message();
                return result;
            }
            rdbxml_remove_stale_temporaries(parent.string());
        }
        if (!rdbxml_write_file(name.string(), csv_of(*table), result.error))
            return result;
        // Beside the summary's file, named after it: a '%' in a step's file
        // name is always an escape of two hex digits, so no other file is
        // "...%gauges.csv".
        if (const RDB_GAUGES_OBJECT* gauges = gauges_of(*table)) {
            std::string summary_file = name.string();
            std::string gauges_file = summary_file.substr(0, summary_file.size() - 4) + "%gauges.csv";
            if (!rdbxml_write_file(gauges_file, csv_of(*gauges), result.error))
                return result;
        }
    }
    return result;
}
