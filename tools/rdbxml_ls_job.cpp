#include "rdbxml_ls_job.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_text_writer.h>
#include "rdbxml_parse.h"
#include "rdbxml_select.h"
#include "rdbxml_text.h"

namespace {

// An object's sizes, by what its kind holds; -1 where it holds none of it.
struct SIZES {
    long objects = -1, rows = -1, gauges = -1, points = -1, lines = -1;
};

long gauges_of(const RDB_GAUGES_OBJECT* gauges)
{
    long count = 0;
    if (gauges != nullptr)
        for (unsigned i = 0; i < gauges->get_number_of_used_slots(); ++i)
            count += gauges->get_data_at(i) != nullptr;
    return count;
}

SIZES sizes_of(const RDB_OBJECT& object)
{
    SIZES sizes;
    if (const RDB_FOLDER_OBJECT* folder = object.dynamic_cast_to_RDB_FOLDER_OBJECT()) {
        sizes.objects = static_cast<long>(
            std::count_if(folder->objects().begin(), folder->objects().end(), [](const RDB_OBJECT* o) { return o != nullptr; }));
    } else if (const auto* summary = dynamic_cast<const RDB_SUMMARY_TABLE_OBJECT*>(&object)) {
        sizes.rows = summary->get_number_of_rows();
        sizes.gauges = gauges_of(summary->get_gauges());
    } else if (const auto* chart = dynamic_cast<const RDB_CHART_TABLE_OBJECT*>(&object)) {
        sizes.points = static_cast<long>(chart->get_points().size());
    } else if (const auto* table = dynamic_cast<const RDB_TABLE_OBJECT*>(&object)) {
        sizes.rows = table->get_number_of_rows() - table->get_first_data_row();
    } else if (const auto* gauges = dynamic_cast<const RDB_GAUGES_OBJECT*>(&object)) {
        sizes.gauges = gauges_of(gauges);
    } else if (const auto* text = dynamic_cast<const RDB_TEXT_OBJECT*>(&object)) {
        const STL_STRING* body = text->get_text();
        std::string_view lines = body != nullptr ? body->view() : std::string_view();
        if (!lines.empty() && lines.back() == '\n')
            lines.remove_suffix(1);
        sizes.lines = lines.empty() ? 0 : 1 + static_cast<long>(std::count(lines.begin(), lines.end(), '\n'));
    }
    return sizes;
}

// "120 rows, 3 gauges": the sizes an object has, for people.
std::string sizes_text(const SIZES& sizes)
{
    std::string text;
    auto add = [&text](long count, const char* one, const char* many) {
        if (count < 0)
            return;
        if (!text.empty())
            text += ", ";
        text += std::to_string(count) + " " + (count == 1 ? one : many);
    };
    add(sizes.objects, "object", "objects");
    add(sizes.rows, "row", "rows");
    add(sizes.gauges, "gauge", "gauges");
    add(sizes.points, "point", "points");
    add(sizes.lines, "line", "lines");
    return text;
}

void json_line(std::ostream& out, const std::string& file, const std::string& path, const RDB_OBJECT& object)
{
    out << "{\"file\":";
    rdb_write_json_string(file.data(), file.size(), out);
    out << ",\"path\":";
    if (path.size() <= RDB_JSON_PATH_LIMIT)
        rdb_write_json_string(path.data(), path.size(), out);
    else
        out << "null";
    out << ",\"kind\":\"" << object.get_kind() << '"';
    SIZES sizes = sizes_of(object);
    for (auto [key, count] : {std::pair<const char*, long>{"objects", sizes.objects}, {"rows", sizes.rows},
                              {"gauges", sizes.gauges}, {"points", sizes.points}, {"lines", sizes.lines}})
        if (count >= 0)
            out << ",\"" << key << "\":" << count;
    out << "}\n";
}

// Characters on screen of escaped, so well-formed, text: one per code point.
std::size_t width_of(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Paths wider than this are not padded to: the other lines stay short.
const std::size_t MAX_PATH_COLUMN = 80;

// The lines of the text listing, each column as wide as its widest entry.
class TEXT_LISTING {
public:
    void add(const std::string& path, const RDB_OBJECT& object)
    {
        std::string shown = path.size() <= RDB_JSON_PATH_LIMIT
                                ? rdb_text_escaped(path)
                                : "(a path of " + std::to_string(path.size()) + " bytes)";
        m_lines.push_back({std::move(shown), object.get_kind(), sizes_text(sizes_of(object))});
        m_path_width = std::min(std::max(m_path_width, width_of(m_lines.back().path)), MAX_PATH_COLUMN);
        m_kind_width = std::max(m_kind_width, width_of(m_lines.back().kind));
    }

    void write(std::ostream& out) const
    {
        for (const LINE& line : m_lines) {
            std::string text = line.path;
            text.append(m_path_width - std::min(m_path_width, width_of(line.path)) + 2, ' ');
            text += line.kind;
            if (!line.sizes.empty()) {
                text.append(m_kind_width - width_of(line.kind) + 2, ' ');
                text += line.sizes;
            }
            out << text << '\n';
        }
    }

private:
    struct LINE {
        std::string path, kind, sizes;
    };
    std::vector<LINE> m_lines;
    std::size_t m_path_width = 0, m_kind_width = 0;
};

}  // namespace

RDBXML_JOB_RESULT rdbxml_run_ls_job(const RDBXML_JOB& job, const RDBXML_JOB_SETTINGS& settings,
                                    const RDB_XML_PROGRESS& progress)
{
    const RDBXML_OPTIONS& opt = *settings.options;
    RDBXML_JOB_RESULT result;
    RDBXML_PARSED parsed = rdbxml_parse_input(job.input, settings, progress);
    result.err = std::move(parsed.err);
    result.warnings = parsed.warnings;
    result.ok = parsed.report != nullptr;
    if (!parsed.report)
        return result;
    result.select_matches.assign(opt.select.size(), 0);
    const RDB_FOLDER_OBJECT* top = parsed.report->get_main_folder();
    if (top == nullptr)
        return result;

    RDBXML_TEXT out;
    TEXT_LISTING listing;
    RDB_PATH_VISITOR visit = [&](const std::string& path, const RDB_OBJECT& object) {
        if (opt.json)
            json_line(out, job.input.name, path, object);
        else
            listing.add(path, object);
    };
    if (opt.select.empty()) {
        rdb_walk_paths(*top, visit);
    } else {
        RDB_PATH_SELECTION selection(*top, std::vector<RDB_PATH_PATTERN>(opt.select.begin(), opt.select.end()));
        result.err += rdbxml_select_matches(selection, opt.select, job.input.name, settings.verbosity == RDBXML_QUIET,
                                            result.select_matches);
        selection.walk_kept(visit);
    }
    listing.write(out);
    result.out = out.take();
    return result;
}
