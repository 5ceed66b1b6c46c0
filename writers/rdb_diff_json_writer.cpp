#include <rdbxml/rdb_diff_writer.h>

#include "rdb_json_output.h"

namespace {

void string_or_null(RDB_JSON_WRITER& json, const char* key, bool has, const std::string& text)
{
    json.Key(key);
    if (has)
        rdb_json_write_string(json, text.data(), text.size());
    else
        json.Null();
}

bool has_row(RDB_DIFF_KIND kind) { return kind >= RDB_DIFF_ROW_ADDED && kind <= RDB_DIFF_POINT_VALUE; }
bool has_column(RDB_DIFF_KIND kind) { return kind == RDB_DIFF_COLUMN_TITLE || (kind >= RDB_DIFF_CELL_VALUE && kind <= RDB_DIFF_CELL_REMOVED); }
bool is_row_or_cell(RDB_DIFF_KIND kind) { return kind >= RDB_DIFF_ROW_ADDED && kind <= RDB_DIFF_CELL_REMOVED; }

const char* match_name(RDB_DIFF_MATCH match)
{
    switch (match) {
    case RDB_DIFF_MATCH_BY_KEY: return "key";
    case RDB_DIFF_MATCH_BY_CONTENT: return "content";
    case RDB_DIFF_MATCH_REPLACED: return "replaced";
    default: return "position";
    }
}

}  // namespace

void rdb_write_diff_json(const RDB_DIFF_CHANGE& change, std::ostream& out)
{
    RDB_JSON_OUTPUT output(out);
    RDB_JSON_WRITER json(output);
    json.StartObject();
    json.Key("kind");
    json.String(rdb_diff_kind_name(change.m_kind));
    string_or_null(json, "path", true, change.m_path);
    json.Key("object_kind");
    json.String(change.m_object_kind);
    json.Key("match");
    if (change.m_match == RDB_DIFF_MATCH_NONE)
        json.Null();
    else
        json.String(match_name(change.m_match));
    if (change.m_match == RDB_DIFF_MATCH_BY_KEY && !change.m_key_columns.empty())
        string_or_null(json, "key_columns", true, change.m_key_columns);
    if (has_row(change.m_kind)) {
        json.Key("index");
        json.Uint64(change.m_index);
        string_or_null(json, "key", !is_row_or_cell(change.m_kind) || change.m_match == RDB_DIFF_MATCH_BY_KEY,
                       change.m_key);
    }
    if (has_column(change.m_kind)) {
        json.Key("column");
        json.Int(change.m_column);
        string_or_null(json, "column_title", !change.m_column_title.empty(), change.m_column_title);
    }
    if (*change.m_field != '\0') {
        json.Key("field");
        json.String(change.m_field);
    }
    for (const auto& type : {std::make_pair("old_type", change.m_old_type), std::make_pair("new_type", change.m_new_type)}) {
        if (type.second != nullptr) {
            json.Key(type.first);
            json.String(type.second);
        }
    }
    string_or_null(json, "old", change.m_has_old, change.m_old);
    string_or_null(json, "new", change.m_has_new, change.m_new);
    if (change.m_has_difference) {
        json.Key("difference");
        json.Int64(change.m_difference);
        if (change.m_difference_in_ps) {
            json.Key("unit");
            json.String("ps");
        }
    }
    json.EndObject();
    output.Put('\n');
    output.Flush();
}
