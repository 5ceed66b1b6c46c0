#include <rdbxml/rdb_json_writer.h>

#include <new>
#include <ostream>
#include <string>

#include <rdbxml/hdb_instance.h>
#include <rdbxml/rdb_path.h>
#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_rule.h>
#include "rdb_json_output.h"
#include "rdb_utf8.h"

namespace {

void write_string_or_null(RDB_JSON_WRITER& json, const STL_STRING* text)
{
    if (text != nullptr)
        rdb_json_write_string(json, *text);
    else
        json.Null();
}

void write_color(RDB_JSON_WRITER& json, const char* key, bool has, RDB_RGB_COLOR color)
{
    if (!has)
        return;
    json.Key(key);
    json.String(rdb_rgb_color_text(color).c_str(), 7);
}

class JSON_CELL_WRITER : public RDB_TABLE_ELEMENT_VISITOR {
public:
    explicit JSON_CELL_WRITER(RDB_JSON_WRITER& json) : m_json(json) {}

    void write(const RDB_TABLE_ELEMENT* cell)
    {
        if (cell == nullptr) {
            m_json.Null();
            return;
        }
        m_json.StartObject();
        m_json.Key("type");
        m_json.String(cell->get_type());
        cell->accept(*this);
        write_color(m_json, "foreground", cell->has_foreground(), cell->get_foreground());
        write_color(m_json, "background", cell->has_background(), cell->get_background());
        m_json.EndObject();
    }

    void visit(const RDB_TABLE_STRING_ELEMENT& cell) override
    {
        m_json.Key("value");
        rdb_json_write_string(m_json, cell.get_string());
    }
    void visit(const RDB_TABLE_INT_ELEMENT& cell) override
    {
        m_json.Key("value");
        m_json.Int(cell.get_data());
    }
    void visit(const RDB_TABLE_INAME_ELEMENT& cell) override
    {
        m_json.Key("instance");
        if (cell.get_iname() != nullptr)
            rdb_json_write_string(m_json, cell.get_iname()->full_path());
        else
            m_json.Null();
        m_json.Key("path");  // as written, resolved or not
        rdb_json_write_string(m_json, cell.get_path().data(), cell.get_path().size());
    }
    void visit(const RDB_TABLE_DELAY_ELEMENT& cell) override
    {
        m_json.Key("delay");
        m_json.Int64(cell.get_delay());
        m_json.Key("display_option");
        m_json.String(rdb_delay_display_option_name(cell.get_display_option()));
    }

private:
    RDB_JSON_WRITER& m_json;
};

// Writes every object that is not a folder, each as one complete JSON object.
class JSON_OBJECT_WRITER : public RDB_OBJECT_VISITOR {
public:
    explicit JSON_OBJECT_WRITER(RDB_JSON_WRITER& json) : m_json(json), m_cells(json) {}
    using RDB_OBJECT_VISITOR::visit;

    // The path of the object written next: the walk's, which numbers the
    // duplicates of each folder as it goes.
    void set_path(const std::string& path) { m_path = &path; }

    // The opening of an object with the fields every object has.
    void begin(const RDB_OBJECT& object)
    {
        m_json.StartObject();
        m_json.Key("kind");
        m_json.String(object.get_kind());
        m_json.Key("name");
        rdb_json_write_string(m_json, object.get_name());
        write_path(m_path);
        m_json.Key("creator");
        rdb_json_write_string(m_json, object.get_creator_module());
        m_json.Key("enabled");
        m_json.Bool(object.is_enabled());
        m_json.Key("header");
        write_string_or_null(m_json, object.get_header());
        m_json.Key("footer");
        write_string_or_null(m_json, object.get_footer());
    }
    void end() { m_json.EndObject(); }

    void visit(const RDB_OBJECT& object) override
    {
        begin(object);
        end();
    }

    void visit(const RDB_TEXT_OBJECT& object) override
    {
        begin(object);
        m_json.Key("text");
        write_string_or_null(m_json, object.get_text());
        end();
    }

    void visit(const RDB_GAUGES_OBJECT& object) override
    {
        begin(object);
        gauges_fields(object);
        end();
    }

    void visit(const RDB_EMBEDDED_OBJECT& object) override
    {
        begin(object);
        embedded_fields(object);
        end();
    }

    void visit(const RDB_WAVEFORM_OBJECT& object) override
    {
        begin(object);
        embedded_fields(object);
        m_json.Key("source_vector");
        rdb_json_write_string(m_json, object.get_source_vector_file_name());
        m_json.Key("result_vector");
        rdb_json_write_string(m_json, object.get_result_vector_file_name());
        m_json.Key("compare_mode");
        m_json.Bool(object.get_compare_mode());
        end();
    }

    void visit(const RDB_TABLE_OBJECT& object) override
    {
        table_begin(object);
        table_end(object);
    }

    void visit(const RDB_TAN_SPD_TABLE_OBJECT& object) override
    {
        table_begin(object);
        m_json.Key("show_min");
        m_json.Bool(object.get_show_min());
        table_end(object);
    }

    void visit(const RDB_TAN_SLACK_TABLE_OBJECT& object) override
    {
        table_begin(object);
        m_json.Key("analysis_type");
        m_json.Int(object.get_analysis_type());
        m_json.Key("columns");
        m_json.StartObject();
        for (int t = 0; t < RDB_SLACK_COLUMN_COUNT; ++t) {
            auto type = static_cast<RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM>(t);
            if (!object.has_column_id(type))
                continue;
            m_json.Key(rdb_slack_column_type_name(type));
            m_json.Uint(object.get_column_id(type));
        }
        m_json.EndObject();
        m_json.Key("restricted_to");
        if (object.has_restricted_to())
            m_json.Int64(object.get_restricted_to());
        else
            m_json.Null();
        table_end(object);
    }

    void visit(const RDB_SUMMARY_TABLE_OBJECT& object) override
    {
        table_begin(object);
        m_json.Key("gauges");
        if (const RDB_GAUGES_OBJECT* gauges = object.get_gauges()) {
            m_json.StartObject();
            m_json.Key("name");
            rdb_json_write_string(m_json, gauges->get_name());
            // Its summary's path: the name is the file format's own.
            write_path(m_path);
            gauges_fields(*gauges);
            m_json.EndObject();
        } else {
            m_json.Null();
        }
        table_end(object);
    }

    void visit(const RDB_CHART_TABLE_OBJECT& object) override
    {
        table_begin(object);
        m_json.Key("size");
        m_json.Int(object.get_size());
        m_json.Key("chart_type");
        m_json.String(rdb_chart_type_name(object.get_default_chart_type()));
        m_json.Key("x_axis");
        rdb_json_write_string(m_json, object.get_x_axis());
        m_json.Key("y_axis");
        rdb_json_write_string(m_json, object.get_y_axis());
        m_json.Key("display_labels");
        m_json.Bool(object.get_display_labels());
        table_end(object);
    }

private:
    // Null for none, and for one over the limit.
    void write_path(const std::string* path)
    {
        m_json.Key("path");
        if (path != nullptr && path->size() <= RDB_JSON_PATH_LIMIT)
            rdb_json_write_string(m_json, path->data(), path->size());
        else
            m_json.Null();
    }

    void embedded_fields(const RDB_EMBEDDED_OBJECT& object)
    {
        m_json.Key("embedded_type");
        m_json.String(rdb_embedded_type_name(object.get_embedded_type()));
        m_json.Key("info");
        rdb_json_write_string(m_json, object.get_info_str());
    }

    void gauges_fields(const RDB_GAUGES_OBJECT& gauges)
    {
        m_json.Key("size");
        m_json.Int(gauges.get_size());
        m_json.Key("slots");
        m_json.StartArray();
        unsigned used = gauges.get_number_of_used_slots();
        for (unsigned i = 0; i < used; ++i) {
            const RDB_GAUGES_DATA_ELEMENT* gauge = gauges.get_data_at(i);
            if (gauge == nullptr) {
                m_json.Null();
                continue;
            }
            m_json.StartObject();
            m_json.Key("name");
            rdb_json_write_string(m_json, gauge->get_name());
            m_json.Key("percent");
            m_json.Bool(gauge->is_percent());
            m_json.Key("min");
            m_json.Int(gauge->m_min);
            m_json.Key("max");
            m_json.Int(gauge->m_max);
            m_json.Key("value");
            m_json.Int(gauge->m_value);
            m_json.Key("disabled");
            m_json.Bool(gauge->is_disabled());
            // Where the value stands in the range, null for an empty range.
            m_json.Key("percent_of_range");
            double share = 0;
            if (rdb_gauge_percent(*gauge, share))
                m_json.Double(share);
            else
                m_json.Null();
            m_json.EndObject();
        }
        m_json.EndArray();
    }

    // A table's common fields come first, its kind's own fields follow, and
    // the rows, the bulk of it, come last.
    void table_begin(const RDB_TABLE_OBJECT& table)
    {
        begin(table);
        m_json.Key("object_type");
        m_json.Int(table.get_object_type());
        m_json.Key("last_cmp_flp_location_available");
        m_json.Bool(table.get_last_cmp_flp_location_available());
    }

    void table_end(const RDB_TABLE_OBJECT& table)
    {
        m_json.Key("rows");
        m_json.StartArray();
        unsigned rows = table.get_number_of_rows();
        for (unsigned r = 0; r < rows; ++r) {
            const RDB_TABLE_ROW* row = table.get_row(r);
            m_json.StartArray();
            for (std::size_t c = 0; c < row->size(); ++c)
                m_cells.write((*row)[c]);
            m_json.EndArray();
        }
        m_json.EndArray();
        end();
    }

    RDB_JSON_WRITER& m_json;
    JSON_CELL_WRITER m_cells;
    const std::string* m_path = nullptr;
};

// The folder tree below `top`, each object with its path. The path walk
// carries the folder's path down and numbers duplicates per folder, so the
// tree costs time linear in its objects (the path of each object found
// through its owners would cost the objects before it in its folder).
void write_tree(RDB_JSON_WRITER& json, const RDB_FOLDER_OBJECT& top)
{
    JSON_OBJECT_WRITER objects(json);
    RDB_PATH_CURSOR cursor(top);
    std::size_t open = 0;  // folders begun and not yet ended
    const RDB_OBJECT* gauges = nullptr;  // written with its summary
    while (cursor.next()) {
        const RDB_OBJECT& object = cursor.object();
        if (&object == gauges)
            continue;
        for (; open > cursor.level(); --open) {
            json.EndArray();
            objects.end();
        }
        objects.set_path(cursor.path());
        if (const RDB_FOLDER_OBJECT* folder = object.dynamic_cast_to_RDB_FOLDER_OBJECT()) {
            objects.begin(*folder);
            json.Key("objects");
            json.StartArray();
            ++open;
            continue;
        }
        if (const auto* summary = dynamic_cast<const RDB_SUMMARY_TABLE_OBJECT*>(&object))
            gauges = summary->get_gauges();
        object.accept(objects);
    }
    for (; open > 0; --open) {
        json.EndArray();
        objects.end();
    }
}

}  // namespace

void rdb_write_json(const RDB_REPORT* report, std::ostream& out)
{
    RDB_JSON_OUTPUT output(out);
    RDB_JSON_WRITER json(output);
    if (report == nullptr) {
        json.Null();
        return;
    }
    json.StartObject();
    json.Key("main_folder");
    if (const RDB_FOLDER_OBJECT* main_folder = report->get_main_folder()) {
        write_tree(json, *main_folder);
    } else {
        json.Null();
    }
    json.Key("current_folder");
    if (const RDB_FOLDER_OBJECT* current = report->get_current_folder())
        rdb_json_write_string(json, current->get_name());
    else
        json.Null();
    json.EndObject();
}

void rdb_write_json_string(const char* text, std::size_t length, std::ostream& out)
{
    RDB_JSON_OUTPUT output(out);
    RDB_JSON_WRITER json(output);
    rdb_json_write_string(json, text, length);
}
