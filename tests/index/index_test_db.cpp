#include "index_test_db.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>
#include <sqlite3.h>

std::vector<std::string> index_rows(const std::string& db, const std::string& sql)
{
    std::vector<std::string> rows;
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << db;
        sqlite3_close(handle);
        return rows;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(handle);
        sqlite3_close(handle);
        return rows;
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            if (i)
                row += "|";
            switch (sqlite3_column_type(statement, i)) {
            case SQLITE_NULL:
                row += "NULL";
                break;
            case SQLITE_FLOAT: {
                char text[64];
                std::snprintf(text, sizeof text, "%.17g", sqlite3_column_double(statement, i));
                row += text;
                break;
            }
            default:
                row += reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
            }
        }
        rows.push_back(row);
    }
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    return rows;
}

std::string index_value(const std::string& db, const std::string& sql)
{
    std::vector<std::string> rows = index_rows(db, sql);
    return rows.empty() ? std::string() : rows[0];
}

std::vector<std::string> index_contents(const std::string& db)
{
    std::vector<std::string> all = index_rows(
        db, "SELECT 'runs', file, label, time, size, mtime_ns, status, error, warnings, unlisted, cells FROM runs");
    for (const char* table : {"objects", "gauges", "summary_rows", "points", "headings", "column_stats",
                              "table_rows", "cells"}) {
        std::string sql = std::string("SELECT '") + table + "', r.file, t.* FROM " + table +
                          " t JOIN runs r ON r.id = t.run_id";
        for (std::string& row : index_rows(db, sql)) {
            // The run's id (after the table and the file) is left out.
            std::size_t first = row.find('|', row.find('|') + 1);
            std::size_t second = row.find('|', first + 1);
            all.push_back(row.erase(first, second - first));
        }
    }
    std::sort(all.begin(), all.end());
    return all;
}

void index_write_file(const std::string& path, const std::string& content, std::int64_t mtime_ns)
{
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
        ASSERT_TRUE(out.good()) << path;
    }
    if (mtime_ns >= 0) {
        struct timespec times[2];
        times[0].tv_sec = times[1].tv_sec = mtime_ns / 1000000000;
        times[0].tv_nsec = times[1].tv_nsec = mtime_ns % 1000000000;
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
    }
}

std::string index_report(const std::vector<std::string>& slacks, long used)
{
    std::string xml =
        "<?xml version=\"1.0\"?>\n<report>\n"
        "  <folders><root name=\"main\"/><folder name=\"timing\"/></folders>\n"
        "  <folder_ref name=\"timing\" parent=\"main\"/>\n"
        "  <tan_slack_table name=\"Setup\" parent=\"timing\">\n"
        "    <row><string_cell>Slack</string_cell><string_cell>To</string_cell></row>\n";
    for (std::size_t i = 0; i < slacks.size(); ++i)
        xml += "    <row><delay_cell>" + slacks[i] + "</delay_cell><string_cell>r" + std::to_string(i) +
               "</string_cell></row>\n";
    xml += "  </tan_slack_table>\n"
           "  <summary name=\"Fit\" parent=\"main\">\n"
           "    <element name=\"Status\">Successful</element>\n"
           "    <gauges><gauge name=\"Logic\" percent=\"true\" enabled=\"true\"><min>0</min><max>100</max><value>" +
           std::to_string(used) +
           "</value></gauge></gauges>\n"
           "  </summary>\n"
           "  <chart name=\"Runtime\" parent=\"main\"><data name=\"place\">" +
           std::to_string(used * 2) + "</data></chart>\n</report>\n";
    return xml;
}

std::vector<RDB_INDEX_OUTCOME> index_files(const std::string& db, const std::vector<std::string>& files,
                                           unsigned threads, bool cells)
{
    std::vector<RDB_INDEX_OUTCOME> told;
    std::string error;
    std::unique_ptr<RDB_INDEX_DB> index = RDB_INDEX_DB::open(db, 5, false, error);
    if (!index) {
        ADD_FAILURE() << error;
        return told;
    }
    std::vector<RDB_INDEX_FILE> list;
    for (const std::string& file : files)
        list.push_back(RDB_INDEX_FILE{file, std::string(), -1});
    RDB_INDEX_OPTIONS options;
    options.m_threads = threads;
    options.m_cells = cells;
    EXPECT_TRUE(rdb_index_add(*index, list, options, [&](const RDB_INDEX_OUTCOME& outcome) {
        told.push_back(outcome);
        told.back().m_file = nullptr;  // `list` goes with this call
    }));
    return told;
}
