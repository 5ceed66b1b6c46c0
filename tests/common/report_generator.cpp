#include "report_generator.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

typedef rapidjson::Value JSON;
typedef std::vector<std::function<void()>> STEPS;

// Instances below the top instance "top", every name unique in the tree;
// texts of instance-name cells and the full path each resolves to (null for
// none): paths from the top's children, paths that start deeper, and names
// that are not there.
const char* const INSTANCE_PATHS[] = {"cpu/alu/acc_reg", "cpu/regfile/r0", "mem/ctrl/state_reg", "io/gpio/pin\xC3\xA9"};
const std::pair<const char*, const char*> INSTANCE_NAMES[] = {
    {"cpu", "top/cpu"}, {"cpu/alu/acc_reg", "top/cpu/alu/acc_reg"}, {"alu/acc_reg", "top/cpu/alu/acc_reg"},
    {"r0", "top/cpu/regfile/r0"}, {"gpio/pin\xC3\xA9", "top/io/gpio/pin\xC3\xA9"}, {"nowhere", nullptr},
    {"cpu/r0", nullptr}, {"", nullptr}};
// Colours as written and as kept: every name in any case, hex of three and
// six digits; texts that are no colour leave none.
const std::pair<const char*, const char*> COLORS[] = {
    {"black", "#000000"}, {"WHITE", "#ffffff"}, {"Red", "#ff0000"}, {"green", "#008000"}, {"blue", "#0000ff"},
    {"yellow", "#ffff00"}, {"cyan", "#00ffff"}, {"magenta", "#ff00ff"}, {"gray", "#808080"}, {"Grey", "#808080"},
    {"ORANGE", "#ffa500"}, {"purple", "#800080"}, {"navy", "#000080"}, {"teal", "#008080"}, {"maroon", "#800000"},
    {"olive", "#808000"}, {"silver", "#c0c0c0"}, {"lime", "#00ff00"}, {"#0a0B0c", "#0a0b0c"}, {"#a1F", "#aa11ff"},
    {"#12345", nullptr}, {"#1234567", nullptr}, {"#ggg", nullptr}, {"# 12345", nullptr}, {"123456", nullptr},
    {"rose", nullptr}, {" red", nullptr}, {"red ", nullptr}, {"\xC3\xA9", nullptr}, {"", nullptr}};
const char* const SLACK_COLUMNS[] = {"slack", "required", "arrival", "from", "to", "from_clock", "to_clock", "skew"};
const char* const TRUE_TEXTS[] = {"true", "TRUE", "tRuE"};
const char* const FALSE_TEXTS[] = {"false", "yes", "1", " true", "true ", ""};
// The first choice is the value when the markup is absent.
typedef std::vector<const char*> CHOICES;
const CHOICES CHART_TYPES = {"bar", "line", "pie", "scatter", "histogram"};
const CHOICES EMBEDDED_TYPES = {"generic", "image", "html", "text"};
const CHOICES DISPLAY_OPTIONS = {"ns", "ps", "mhz"};
const CHOICES FLOORPLAN = {"floorplan"};
// What texts are made of: words, XML specials and markup-like text, blanks
// and line ends, and characters of two, three and four bytes.
const char* const PIECES[] = {"alpha", "Beta", "x", "42", "-7", "</text>", "]]", "<!--", "&", "<", ">", "\"", "'",
                              "&amp;", "]]>", " ", "  ", "\t", "\n", "\r", "\r\n", "\xC3\xA9", "\xE2\x82\xAC",
                              "\xE6\x97\xA5", "\xF0\x9D\x84\x9E", "\xF0\x9F\x98\x80", "\xC2\xA0", "\\", "/", "#;%"};

// A member of an object's JSON and how its element writes it: "@attribute",
// a child element, or "" when nothing sets it; no key when it is not read.
enum TYPE { TEXT, TEXT_OR_NULL, FLAG, INT, LONG, LONG_OR_NULL, CHOICE };
struct FIELD {
    const char* m_xml;
    const char* m_key;
    TYPE m_type;
    const CHOICES* m_choices = nullptr;
};
typedef std::vector<FIELD> FIELDS;

// The members of every placed object (folder references set them for their
// folders), and those of kinds and parts of objects.
const FIELDS PLACED = {{"@creator", "creator", TEXT}, {"@enabled", "enabled", FLAG},
                       {"header", "header", TEXT_OR_NULL}, {"footer", "footer", TEXT_OR_NULL}};
const FIELD NAME = {"@name", "name", TEXT};
const FIELD FLED = {"@enable_fled", "last_cmp_flp_location_available", FLAG};
const FIELD NO_FLED = {"", "last_cmp_flp_location_available", FLAG};
const FIELDS DELAY = {{"delay", "delay", LONG}, {"display_option", "display_option", CHOICE, &DISPLAY_OPTIONS}};

enum CONTENT { PLAIN, SUMMARY, CHART, TABLE, SLACK };
struct KIND {
    const char* m_name;
    int m_object_type;  // 0: the JSON has none; -1: the element makes no object
    CONTENT m_content;
    FIELDS m_fields;
};
const KIND KINDS[] = {
    {"text", 0, PLAIN, {{"ascii_text", "text", TEXT_OR_NULL}}},
    {"legal", 0, PLAIN, {{"ascii_text", "text", TEXT_OR_NULL}}},
    {"summary", 5, SUMMARY, {NO_FLED}},
    {"chart", 6, CHART,
     {NO_FLED, {"@size", "size", INT}, {"type", "chart_type", CHOICE, &CHART_TYPES}, {"x_label", "x_axis", TEXT},
      {"y_label", "y_axis", TEXT}, {"show_labels", "display_labels", FLAG}}},
    {"embedded", 0, PLAIN, {{"@type", "embedded_type", CHOICE, &EMBEDDED_TYPES}, {"info", "info", TEXT}}},
    {"embedded", -1, PLAIN, {{"@type", "embedded_type", CHOICE, &FLOORPLAN}, {"info", "info", TEXT}}},
    {"waveform", 0, PLAIN,  // its "type" is not read
     {{"@type", nullptr, TEXT}, {"", "embedded_type", CHOICE, &EMBEDDED_TYPES}, {"info", "info", TEXT},
      {"source_vector", "source_vector", TEXT}, {"result_vector", "result_vector", TEXT},
      {"compare", "compare_mode", FLAG}}},
    {"table", 4, TABLE, {FLED}},
    {"tan_spd_table", 8, TABLE, {FLED, {"@show_min", "show_min", FLAG}}},
    {"tan_slack_table", 8, SLACK,
     {FLED, {"@analysis_type", "analysis_type", INT}, {"restricted_to", "restricted_to", LONG_OR_NULL}}},
};

// What a field reads as when its markup is absent.
JSON absent(const FIELD& field)
{
    TYPE type = field.m_type;
    return type == TEXT                       ? JSON(rapidjson::kStringType)
           : type == FLAG                     ? JSON(false)
           : type == INT || type == LONG      ? JSON(0)
           : type == CHOICE                   ? JSON(rapidjson::StringRef(field.m_choices->front()))
                                              : JSON();
}

struct FOLDER {
    std::string m_name;
    JSON m_json;                                  // what its reference set
    std::vector<std::pair<int, JSON>> m_entries;  // folders by number, other objects as JSON
};

class GENERATOR {
public:
    GENERATOR(unsigned seed, GENERATED_REPORT& out) : m_random(seed), m_out(out), m_alloc(out.expected.GetAllocator())
    {
    }

    void run()
    {
        m_out.gzip = chance(50);
        m_out.use_schema = chance(25);
        m_out.use_namespaces = m_out.use_schema || chance(80);
        m_out.use_static_buffers = chance(80);
        m_mixed_case = !m_out.use_schema && chance(30);
        m_out.xml = chance(80) ? "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<report>\n"
                               : "<!-- generated --><?tool run=\"1\"?>\n<report>\n";
        // Folder 0 is the main folder; every name is unique.
        m_folders.resize(1 + pick(5));
        std::string end = start("folders");
        for (std::size_t i = 0; i < m_folders.size(); ++i) {
            FOLDER& folder = m_folders[i];
            folder.m_name = i > 0 || chance(80) ? text(20) + "#" + std::to_string(i) : std::string();
            folder.m_json.SetObject().AddMember("creator", "", m_alloc).AddMember("enabled", true, m_alloc);
            folder.m_json.AddMember("header", JSON(), m_alloc).AddMember("footer", JSON(), m_alloc);
            std::string attrs;
            if (!folder.m_name.empty() || chance(50))
                attribute(attrs, "name", folder.m_name);
            m_out.xml += "<" + tag(i == 0 ? "root" : "folder") + attrs + "/>";
        }
        m_out.xml += end + "\n";
        // Folder references and objects in random order: an object may go
        // into a folder placed only later. Folders go only into folders
        // declared before them, so no placement makes a cycle.
        std::vector<int> events(pick(12), -1);
        for (std::size_t i = 1; i < m_folders.size(); ++i)
            events.push_back(static_cast<int>(i));
        std::shuffle(events.begin(), events.end(), m_random);
        for (int event : events) {
            int folder = static_cast<int>(pick(static_cast<unsigned>(event > 0 ? event : m_folders.size())));
            if (event > 0) {
                std::string attrs;
                attribute(attrs, "name", m_folders[event].m_name);
                attribute(attrs, "parent", m_folders[folder].m_name);
                element("folder_ref", PLACED, m_folders[event].m_json.SetObject(), attrs, {});
                m_folders[folder].m_entries.emplace_back(event, JSON());
            } else if (JSON json = object(one_of(KINDS), folder); !json.IsNull()) {
                m_folders[folder].m_entries.emplace_back(-1, std::move(json));
            }
        }
        m_out.xml += "</report>\n";
        m_out.expected.SetObject().AddMember("main_folder", folder_json(0, path_step(m_folders[0].m_name)), m_alloc);
        m_out.expected.AddMember("current_folder", string_json(m_folders[0].m_name), m_alloc);
    }

private:
    unsigned pick(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(m_random); }
    bool chance(unsigned percent) { return pick(100) < percent; }
    template <class T, std::size_t N>
    const T& one_of(const T (&items)[N]) { return items[pick(N)]; }
    std::string mixed_case(std::string name, unsigned percent)
    {
        for (char& c : name)
            if (c >= 'a' && c <= 'z' && chance(percent))
                c = static_cast<char>(c - 'a' + 'A');
        return name;
    }
    std::string tag(const char* name) { return m_mixed_case ? mixed_case(name, 50) : std::string(name); }
    // Writes the start tag of element `name` and returns its end tag.
    std::string start(const char* name, const std::string& attrs = std::string())
    {
        std::string t = tag(name);
        m_out.xml += "<" + t + attrs + ">";
        return "</" + t + ">";
    }
    JSON string_json(const std::string& text) { return JSON(text.data(), static_cast<unsigned>(text.size()), m_alloc); }
    JSON cell_json(const char* type, JSON value)
    {
        JSON cell(rapidjson::kObjectType);
        cell.AddMember("type", rapidjson::StringRef(type), m_alloc).AddMember("value", value, m_alloc);
        return cell;
    }

    // Now and then empty, or longer than the 512 bytes of a parser buffer.
    std::string text(std::size_t max_bytes)
    {
        std::size_t target = chance(8) ? 513 + pick(1500) : chance(10) ? 0 : pick(static_cast<unsigned>(max_bytes) + 1);
        std::string text;
        while (text.size() < target)
            text += one_of(PIECES);
        return text;
    }

    long long number(bool wide)
    {
        static const long long EDGES[] = {0, 1, -1, INT_MAX, INT_MIN, 999999999, -1000000000};
        if (wide && !m_out.use_schema && chance(30))
            return static_cast<long long>(m_random()) * 1000003LL - (1LL << 41);
        return chance(40) ? one_of(EDGES) : static_cast<long long>(pick(2000001)) - 1000000;
    }

    // Text that reads as `number`: padded with blanks and, without a schema,
    // followed by other characters; or text without a number, read as 0.
    std::string number_text(long long& number)
    {
        if (!m_out.use_schema && chance(8)) {
            number = 0;
            return chance(50) ? "" : "n/a";
        }
        std::string text = std::string(pick(3), ' ') + (number >= 0 && chance(10) ? "+" : "") + std::to_string(number);
        if (chance(20))
            text += chance(50) ? "\n" : "  ";
        return !m_out.use_schema && chance(10) ? text + "x1" : text;
    }

    // XML that reads as `value`: characters as they are, as entities or as
    // character references, and in content sometimes a CDATA section.
    std::string encode(const std::string& value, bool attribute)
    {
        std::size_t split = value.size();
        if (!attribute && chance(15) && value.find("]]>") == std::string::npos && value.find('\r') == std::string::npos)
            for (split = pick(static_cast<unsigned>(value.size()) + 1);
                 split < value.size() && (static_cast<unsigned char>(value[split]) & 0xC0) == 0x80;)
                ++split;
        std::string xml;
        for (std::size_t at = 0; at < split;) {
            unsigned char c = static_cast<unsigned char>(value[at]);
            std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            unsigned code = length == 1 ? c : c & (0x7Fu >> length);
            for (std::size_t k = 1; k < length; ++k)
                code = code << 6 | (static_cast<unsigned char>(value[at + k]) & 0x3F);
            // A raw carriage return would be read as a line break, and in an
            // attribute line breaks and tabs would be read as blanks.
            bool special = c == '&' || c == '<' || c == '>';
            bool refer = special || c == '\r' || (attribute && (c == '\t' || c == '\n')) || chance(10);
            char reference[16];
            std::snprintf(reference, sizeof(reference), chance(50) ? "&#x%X;" : "&#%u;", code);
            if (c == '"' && attribute)
                xml += "&quot;";
            else if (special && chance(70))
                xml += c == '&' ? "&amp;" : c == '<' ? "&lt;" : "&gt;";
            else
                xml += refer ? std::string(reference) : value.substr(at, length);
            at += length;
        }
        return split == value.size() ? xml : xml + "<![CDATA[" + value.substr(split) + "]]>";
    }

    void attribute(std::string& attrs, const char* name, const std::string& value)
    {
        attrs += std::string(" ") + name + "=\"" + encode(value, true) + "\"";
    }

    void leaf(const char* name, const std::string& value, const std::string& attrs = std::string())
    {
        std::string t = tag(name);
        m_out.xml += value.empty() && chance(50) ? "<" + t + attrs + "/>"
                                             : "<" + t + attrs + ">" + encode(value, false) + "</" + t + ">";
        if (chance(20))
            m_out.xml += chance(50) ? "\n  " : "<!-- a & b -->";
    }

    // The text of one occurrence of `field`; `read` gets what it reads as.
    std::string markup(const FIELD& field, JSON& read)
    {
        if (field.m_type == TEXT || field.m_type == TEXT_OR_NULL) {
            std::string value = text(30);
            read = string_json(value);
            return value;
        }
        if (field.m_type == FLAG) {
            bool on = chance(50);
            read.SetBool(on);
            return on ? one_of(TRUE_TEXTS) : one_of(FALSE_TEXTS);
        }
        if (field.m_type == CHOICE) {
            const char* choice = (*field.m_choices)[pick(static_cast<unsigned>(field.m_choices->size()))];
            read.SetString(rapidjson::StringRef(choice));
            return mixed_case(choice, chance(30) ? 50 : 0);
        }
        long long value = number(field.m_type != INT);
        std::string text = number_text(value);
        read.SetInt64(value);
        return text;
    }

    // Writes element `name` with the markup of `fields`: attributes, and
    // children in random order among `steps`, a field's last child winning.
    // Adds what the element reads as to `json`.
    void element(const char* name, const FIELDS& fields, JSON& json, std::string attrs, STEPS steps)
    {
        std::vector<JSON> read(fields.size());
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const FIELD& field = fields[i];
            read[i] = absent(field);
            // Without its type an embedded object is an error: choices always stand.
            if (field.m_xml[0] == '@' && (field.m_type == CHOICE || chance(60)))
                attribute(attrs, field.m_xml + 1, markup(field, read[i]));
            for (unsigned n = field.m_xml[0] == '@' || field.m_xml[0] == '\0' ? 0 : pick(3); n > 0; --n)
                steps.push_back([this, &field, &read, i] { leaf(field.m_xml, markup(field, read[i])); });
        }
        std::string end = start(name, attrs);
        std::shuffle(steps.begin(), steps.end(), m_random);
        for (auto& step : steps)
            step();
        m_out.xml += end + "\n";
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fields[i].m_key != nullptr)
                json.AddMember(JSON(fields[i].m_key, m_alloc), read[i], m_alloc);
    }

    // A cell of a table row, with or without colours.
    JSON cell()
    {
        static const char* const TYPES[] = {"string", "int", "iname", "delay"};
        unsigned type = pick(4);
        JSON cell(rapidjson::kObjectType);
        cell.AddMember("type", rapidjson::StringRef(TYPES[type]), m_alloc);
        std::string attrs;
        for (const char* key : {"foreground", "background"}) {
            const auto& color = one_of(COLORS);
            if (chance(40))
                continue;
            attribute(attrs, key, color.first);
            if (color.second != nullptr)
                cell.AddMember(rapidjson::StringRef(key), rapidjson::StringRef(color.second), m_alloc);
        }
        if (type == 0) {
            std::string value = text(30);
            leaf("string_cell", value, attrs);
            cell.AddMember("value", string_json(value), m_alloc);
        } else if (type == 1) {
            long long value = number(false);
            leaf("int_cell", number_text(value), attrs);
            cell.AddMember("value", JSON(static_cast<int64_t>(value)), m_alloc);
        } else if (type == 2) {
            const auto& name = one_of(INSTANCE_NAMES);
            leaf("iname_cell", name.first, attrs);
            cell.AddMember("instance", name.second != nullptr ? JSON(name.second, m_alloc) : JSON(), m_alloc);
            cell.AddMember("path", JSON(name.first, m_alloc), m_alloc);
        } else {
            element("delay_cell", DELAY, cell, attrs, {});
        }
        return cell;
    }

    // A row of a summary (name and text) or a chart (name and number), or of
    // a table (cells).
    void row(bool chart, bool named, JSON& rows)
    {
        JSON row(rapidjson::kArrayType);
        if (named) {
            std::string name = text(20), value = text(30), attrs;
            long long number = this->number(false);
            if (!name.empty() || chance(50))
                attribute(attrs, "name", name);
            leaf(chart ? "data" : "element", chart ? number_text(number) : value, attrs);
            row.PushBack(cell_json("string", string_json(name)), m_alloc);
            JSON second = chart ? JSON(static_cast<int64_t>(number)) : string_json(value);
            row.PushBack(cell_json(chart ? "int" : "string", std::move(second)), m_alloc);
        } else {
            std::string end = start("row");
            for (unsigned c = pick(6); c > 0; --c)
                row.PushBack(cell(), m_alloc);
            m_out.xml += end;
        }
        rows.PushBack(row, m_alloc);
    }

    // A slack table's column; the last of a type wins.
    void column(JSON& columns)
    {
        unsigned type = pick(8);
        long long id = chance(50) ? pick(100) : 4000000000LL + pick(294967296);
        std::string attrs;
        if (chance(80))
            attribute(attrs, "id", number_text(id));
        else
            id = 0;
        attribute(attrs, "type", mixed_case(SLACK_COLUMNS[type], chance(30) ? 50 : 0));
        columns.RemoveMember(SLACK_COLUMNS[type]);
        columns.AddMember(rapidjson::StringRef(SLACK_COLUMNS[type]), JSON(static_cast<int64_t>(id)), m_alloc);
        m_out.xml += "<" + tag("column") + attrs + "/>";
    }

    // Writes an object of `kind` into folder `folder`; returns its JSON,
    // null for an element that makes no object.
    JSON object(const KIND& kind, int folder)
    {
        std::string attrs;
        if (!m_folders[folder].m_name.empty() || chance(50))
            attribute(attrs, "parent", m_folders[folder].m_name);
        JSON json(rapidjson::kObjectType), rows(rapidjson::kArrayType), columns(rapidjson::kObjectType);
        json.AddMember("kind", rapidjson::StringRef(kind.m_name), m_alloc);
        if (kind.m_object_type > 0)
            json.AddMember("object_type", kind.m_object_type, m_alloc);
        bool chart = kind.m_content == CHART;
        if (chart) {  // row 0 of a chart is two empty strings
            rows.PushBack(JSON(rapidjson::kArrayType), m_alloc);
            rows[0].PushBack(cell_json("string", string_json("")), m_alloc);
            rows[0].PushBack(cell_json("string", string_json("")), m_alloc);
        }
        STEPS steps;
        for (unsigned n = kind.m_content == PLAIN ? 0 : pick(6); n > 0; --n)
            steps.push_back([&] { row(chart, chart || kind.m_content == SUMMARY, rows); });
        for (unsigned n = kind.m_content == SLACK ? pick(5) : 0; n > 0; --n)
            steps.push_back([&] {  // directly or in a map
                std::string end = chance(50) ? std::string() : start("column_types_map");
                for (unsigned k = end.empty() ? 1 : pick(3); k > 0; --k)
                    column(columns);
                m_out.xml += end;
            });
        FIELDS fields = PLACED;
        fields.push_back(NAME);
        fields.insert(fields.end(), kind.m_fields.begin(), kind.m_fields.end());
        element(kind.m_name, fields, json, attrs, steps);
        if (kind.m_object_type < 0)
            return JSON();
        if (kind.m_content == SUMMARY)  // gauges are read by the parser tests
            json.AddMember("gauges", JSON(), m_alloc);
        if (kind.m_content == SLACK)
            json.AddMember("columns", columns, m_alloc);
        if (kind.m_content != PLAIN)
            json.AddMember("rows", rows, m_alloc);
        return json;
    }

    // `path`: the folder's own, as the JSON writes it.
    JSON folder_json(int folder, const std::string& path)
    {
        FOLDER& record = m_folders[folder];
        JSON json(record.m_json, m_alloc), objects(rapidjson::kArrayType);
        json.AddMember("kind", "folder", m_alloc).AddMember("name", string_json(record.m_name), m_alloc);
        json.AddMember("path", string_json(path), m_alloc);
        // The second object of one name and kind in a folder is "name[2]".
        std::map<std::pair<std::string, std::string>, unsigned> seen;
        for (auto& entry : record.m_entries) {
            bool nested = entry.first >= 0;
            const JSON* named = nested ? nullptr : &entry.second["name"];
            std::string name = nested ? m_folders[entry.first].m_name : std::string(named->GetString(), named->GetStringLength());
            std::string kind = nested ? "folder" : entry.second["kind"].GetString();
            unsigned ordinal = ++seen[{name, kind}];
            std::string step = path + "/" + path_step(name) + (ordinal > 1 ? "[" + std::to_string(ordinal) + "]" : "");
            if (nested) {
                objects.PushBack(folder_json(entry.first, step), m_alloc);
            } else {
                entry.second.AddMember("path", string_json(step), m_alloc);
                objects.PushBack(JSON(std::move(entry.second)), m_alloc);
            }
        }
        json.AddMember("objects", objects, m_alloc);
        return json;
    }

    // A name as a step of a path: '/' and '\' escaped.
    static std::string path_step(const std::string& name)
    {
        std::string step;
        for (char c : name) {
            if (c == '/' || c == '\\')
                step += '\\';
            step += c;
        }
        return step;
    }

    std::mt19937 m_random;
    GENERATED_REPORT& m_out;
    rapidjson::Document::AllocatorType& m_alloc;
    std::vector<FOLDER> m_folders;
    bool m_mixed_case = false;
};

}  // namespace

std::string generator_hierarchy()
{
    std::string lines = "# instances that generated reports name\n";
    for (const char* path : INSTANCE_PATHS)
        lines += std::string("top/") + path + "\n";
    return lines;
}

void generate_report(unsigned seed, GENERATED_REPORT& out)
{
    out.expected.SetNull();
    out.expected.GetAllocator().Clear();
    GENERATOR(seed, out).run();
}
