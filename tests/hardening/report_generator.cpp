#include "report_generator.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <functional>
#include <optional>
#include <random>
#include <utility>
#include <vector>

namespace {

typedef rapidjson::Value JSON;

// Instances below the top instance "top", every name unique in the tree.
const char* const INSTANCE_PATHS[] = {"cpu/alu/acc_reg", "cpu/regfile/r0", "mem/ctrl/state_reg",
                                      "io/uart/tx_fifo", "io/gpio/pin\xC3\xA9"};

// Texts of instance-name cells and the full path each resolves to (null
// for none): paths from the top's children, paths that start deeper, and
// names that are not there.
const std::pair<const char*, const char*> INSTANCE_NAMES[] = {
    {"cpu", "top/cpu"},
    {"cpu/alu/acc_reg", "top/cpu/alu/acc_reg"},
    {"alu/acc_reg", "top/cpu/alu/acc_reg"},
    {"r0", "top/cpu/regfile/r0"},
    {"mem/ctrl", "top/mem/ctrl"},
    {"gpio/pin\xC3\xA9", "top/io/gpio/pin\xC3\xA9"},
    {"nowhere/at_all", nullptr},
    {"cpu/r0", nullptr},
    {"", nullptr},
};

struct NAMED_COLOR {
    const char* m_name;
    unsigned m_rgb;
};

const NAMED_COLOR NAMED_COLORS[] = {
    {"black", 0x000000},  {"white", 0xffffff},  {"red", 0xff0000},    {"green", 0x008000},
    {"blue", 0x0000ff},   {"yellow", 0xffff00}, {"cyan", 0x00ffff},   {"magenta", 0xff00ff},
    {"gray", 0x808080},   {"grey", 0x808080},   {"orange", 0xffa500}, {"purple", 0x800080},
    {"navy", 0x000080},   {"teal", 0x008080},   {"maroon", 0x800000}, {"olive", 0x808000},
    {"silver", 0xc0c0c0}, {"lime", 0x00ff00},
};

const char* const CHART_TYPES[] = {"bar", "line", "pie", "scatter", "histogram"};
const char* const EMBEDDED_TYPES[] = {"generic", "image", "html", "text"};
const char* const DISPLAY_OPTIONS[] = {"ns", "ps", "mhz"};
const char* const SLACK_COLUMNS[] = {"slack", "required", "arrival", "from", "to", "from_clock", "to_clock", "skew"};

// Pieces that generated texts are made of.
const char* const WORDS[] = {"alpha", "Beta", "gamma", "clk_core", "x", "42", "-7", "0x1F", "true", "TRUE",
                             "report", "row", "</text>", "]]", "--", "<!--"};
const char* const SPECIALS[] = {"&", "<", ">", "\"", "'", "&amp;", "]]>"};
const char* const SPACES[] = {" ", " ", "  ", "\t", "\n", "\r", "\r\n"};
const char* const NON_ASCII[] = {"\xC3\xA9",          "\xC3\xBC",         "\xC3\x9F",         "\xE2\x82\xAC",
                                 "\xE2\x80\x94",      "\xCE\xA9",         "\xE6\x97\xA5",     "\xE6\x9C\xAC",
                                 "\xF0\x9D\x84\x9E",  "\xF0\x9F\x98\x80", "\xEF\xBC\xA1",     "\xC2\xA0"};

enum CONTEXT { CONTENT, ATTRIBUTE };

// What every report object has.
struct COMMON {
    std::string m_name;
    std::string m_creator;
    bool m_enabled = true;
    std::optional<std::string> m_header;
    std::optional<std::string> m_footer;
};

// A folder's entry: a folder (by index) or any other object.
struct ENTRY {
    int m_folder = -1;
    JSON m_object;
};

struct FOLDER {
    COMMON m_common;
    std::vector<ENTRY> m_entries;
};

// One decoded code point of UTF-8 text at `at`; `length` gets its bytes.
unsigned decode(const std::string& text, std::size_t at, std::size_t& length)
{
    unsigned char c = static_cast<unsigned char>(text[at]);
    length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    unsigned code = length == 1 ? c : c & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k)
        code = code << 6 | (static_cast<unsigned char>(text[at + k]) & 0x3F);
    return code;
}

class GENERATOR {
public:
    GENERATOR(unsigned seed, GENERATED_REPORT& out)
        : m_random(seed), m_out(out), m_alloc(out.expected.GetAllocator()), m_xml(out.xml)
    {
    }

    void run();

private:
    // Randomness.
    unsigned pick(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(m_random); }
    bool chance(unsigned percent) { return pick(100) < percent; }
    template <class T, std::size_t N>
    const T& one_of(const T (&items)[N])
    {
        return items[pick(N)];
    }
    int any_int();
    std::string mixed_case(const std::string& name);

    // Texts: the value, and XML that reads as it.
    std::string value(std::size_t max_bytes, bool may_be_long);
    std::string encode(const std::string& value, CONTEXT context);
    std::string encode_plain(const std::string& value, CONTEXT context);
    std::string int_text(long long number);
    std::string element(const char* name) { return m_mixed_case ? mixed_case(name) : std::string(name); }
    void attribute(std::string& attrs, const char* name, const std::string& value)
    {
        attrs += std::string(" ") + name + "=\"" + encode(value, ATTRIBUTE) + "\"";
    }
    // A leaf element holding `value`.
    void leaf(const char* name, const std::string& value, const std::string& attrs = std::string());
    void separator();

    // Flags read as true exactly for "true" in any case.
    std::optional<std::string> flag_text(bool& meaning);
    void flag_attribute(std::string& attrs, const char* name, bool& meaning);
    std::string flag_content(bool& meaning);
    std::string enumeration_text(const char* name) { return chance(30) ? mixed_case(name) : std::string(name); }

    // The common attributes of an object placed into folder `folder`.
    COMMON common_attributes(std::string& attrs, int folder, bool with_name = true);
    void header_or_footer(COMMON& common);
    JSON object_json(const char* kind, const COMMON& common);
    JSON string_json(const std::string& text) { return JSON(text.data(), static_cast<rapidjson::SizeType>(text.size()), m_alloc); }
    // The JSON of a cell of `type` whose value is `value`.
    JSON cell_json(const char* type, JSON value)
    {
        JSON cell(rapidjson::kObjectType);
        cell.AddMember("type", JSON(rapidjson::StringRef(type)), m_alloc);
        cell.AddMember("value", value, m_alloc);
        return cell;
    }

    // Runs the steps of an element's content in random order.
    void shuffled(std::vector<std::function<void()>>& steps);

    // The report elements; each object's JSON is returned (null for an
    // element that makes no object).
    void folders();
    void folder_ref(int folder);
    JSON text_object(int folder, bool legal);
    JSON summary(int folder);
    JSON chart(int folder);
    JSON embedded(int folder, bool waveform);
    JSON table(int folder, int kind);
    JSON cell();
    JSON colors(JSON cell, std::string& attrs);
    JSON folder_json(int folder);

    std::mt19937 m_random;
    GENERATED_REPORT& m_out;
    rapidjson::Document::AllocatorType& m_alloc;
    std::string& m_xml;
    std::vector<FOLDER> m_folders;
    bool m_mixed_case = false;
    int m_unique = 0;
};

int GENERATOR::any_int()
{
    switch (pick(6)) {
    case 0:
        return static_cast<int>(pick(2001)) - 1000;
    case 1:
        return INT_MAX - static_cast<int>(pick(3));
    case 2:
        return INT_MIN + static_cast<int>(pick(3));
    case 3:  // nine digits
        return (chance(50) ? -1 : 1) * static_cast<int>(100000000 + pick(900000000));
    case 4:  // ten digits
        return (chance(50) ? -1 : 1) * static_cast<int>(1000000000 + pick(1000000000));
    default:
        return 0;
    }
}

std::string GENERATOR::mixed_case(const std::string& name)
{
    std::string out = name;
    for (char& c : out)
        if (c >= 'a' && c <= 'z' && chance(50))
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string GENERATOR::value(std::size_t max_bytes, bool may_be_long)
{
    std::size_t target = pick(static_cast<unsigned>(max_bytes) + 1);
    if (may_be_long && chance(10))
        target = 513 + pick(1500);
    std::string text;
    while (text.size() < target) {
        switch (pick(10)) {
        case 0:
        case 1:
        case 2:
            text += one_of(WORDS);
            break;
        case 3:
            text += one_of(SPECIALS);
            break;
        case 4:
        case 5:
            text += one_of(SPACES);
            break;
        case 6:
        case 7:
            text += one_of(NON_ASCII);
            break;
        case 8:
            text += std::to_string(any_int());
            break;
        default:
            text += static_cast<char>("!#$%()*+,-./:;=?@[\\]^_`{|}~"[pick(27)]);
            break;
        }
    }
    return text;
}

std::string GENERATOR::encode_plain(const std::string& value, CONTEXT context)
{
    std::string xml;
    for (std::size_t at = 0; at < value.size();) {
        std::size_t length;
        unsigned code = decode(value, at, length);
        char reference[16];
        std::snprintf(reference, sizeof(reference), chance(50) ? "&#x%X;" : "&#%u;", code);
        switch (code) {
        case '&':
            xml += chance(80) ? "&amp;" : reference;
            break;
        case '<':
            xml += chance(80) ? "&lt;" : reference;
            break;
        case '>':
            xml += chance(50) ? "&gt;" : reference;
            break;
        case '"':
            xml += context == ATTRIBUTE || chance(30) ? "&quot;" : "\"";
            break;
        case '\'':
            xml += chance(30) ? "&apos;" : "'";
            break;
        case '\t':
        case '\n':
            // An attribute's line breaks and tabs would be read as blanks.
            if (context == ATTRIBUTE || chance(20))
                xml += reference;
            else
                xml += static_cast<char>(code);
            break;
        case '\r':
            // A raw carriage return would be read as a line break.
            xml += reference;
            break;
        default:
            if (code >= 0x80 && chance(20))
                xml += reference;
            else
                xml.append(value, at, length);
            break;
        }
        at += length;
    }
    return xml;
}

std::string GENERATOR::encode(const std::string& value, CONTEXT context)
{
    // Content may hold CDATA sections: their text is taken as it stands.
    if (context == CONTENT && !value.empty() && chance(15) && value.find("]]>") == std::string::npos &&
        value.find('\r') == std::string::npos) {
        std::size_t split = pick(static_cast<unsigned>(value.size()) + 1);
        while (split < value.size() && (static_cast<unsigned char>(value[split]) & 0xC0) == 0x80)
            ++split;
        return encode_plain(value.substr(0, split), context) + "<![CDATA[" + value.substr(split) + "]]>";
    }
    return encode_plain(value, context);
}

std::string GENERATOR::int_text(long long number)
{
    std::string text = std::to_string(number);
    if (chance(20))
        text = std::string(pick(3), ' ') + text;
    if (chance(20))
        text += chance(50) ? "\n" : "  ";
    return text;
}

void GENERATOR::leaf(const char* name, const std::string& text, const std::string& attrs)
{
    std::string tag = element(name);
    if (text.empty() && chance(50)) {
        m_xml += "<" + tag + attrs + "/>";
    } else {
        m_xml += "<" + tag + attrs + ">" + encode(text, CONTENT) + "</" + tag + ">";
    }
    separator();
}

void GENERATOR::separator()
{
    switch (pick(8)) {
    case 0:
        m_xml += "\n  ";
        break;
    case 1:
        m_xml += "<!-- a & b -->";
        break;
    case 2:
        m_xml += " ";
        break;
    default:
        break;
    }
}

std::optional<std::string> GENERATOR::flag_text(bool& meaning)
{
    static const char* const TRUE_TEXTS[] = {"true", "TRUE", "True", "tRuE"};
    static const char* const FALSE_TEXTS[] = {"false", "yes", "1", " true", "true ", ""};
    if (chance(20)) {
        meaning = false;
        return std::nullopt;
    }
    meaning = chance(50);
    return std::string(meaning ? one_of(TRUE_TEXTS) : one_of(FALSE_TEXTS));
}

void GENERATOR::flag_attribute(std::string& attrs, const char* name, bool& meaning)
{
    if (std::optional<std::string> text = flag_text(meaning))
        attribute(attrs, name, *text);
}

std::string GENERATOR::flag_content(bool& meaning)
{
    std::optional<std::string> text = flag_text(meaning);
    if (!text)
        return chance(50) ? "true\n" : "no";
    return *text;
}

COMMON GENERATOR::common_attributes(std::string& attrs, int folder, bool with_name)
{
    COMMON common;
    if (with_name && (chance(90))) {
        common.m_name = value(24, true);
        attribute(attrs, "name", common.m_name);
    }
    if (chance(80)) {
        common.m_creator = value(16, true);
        attribute(attrs, "creator", common.m_creator);
    }
    flag_attribute(attrs, "enabled", common.m_enabled);
    const std::string& parent = m_folders[folder].m_common.m_name;
    if (!parent.empty() || chance(50))
        attribute(attrs, "parent", parent);
    return common;
}

void GENERATOR::header_or_footer(COMMON& common)
{
    bool footer = chance(50);
    std::string text = value(30, true);
    leaf(footer ? "footer" : "header", text);
    (footer ? common.m_footer : common.m_header) = text;
}

JSON GENERATOR::object_json(const char* kind, const COMMON& common)
{
    JSON object(rapidjson::kObjectType);
    object.AddMember("kind", JSON(kind, m_alloc), m_alloc);
    object.AddMember("name", string_json(common.m_name), m_alloc);
    object.AddMember("creator", string_json(common.m_creator), m_alloc);
    object.AddMember("enabled", common.m_enabled, m_alloc);
    object.AddMember("header", common.m_header ? string_json(*common.m_header) : JSON(), m_alloc);
    object.AddMember("footer", common.m_footer ? string_json(*common.m_footer) : JSON(), m_alloc);
    return object;
}

void GENERATOR::shuffled(std::vector<std::function<void()>>& steps)
{
    std::shuffle(steps.begin(), steps.end(), m_random);
    for (auto& step : steps)
        step();
}

void GENERATOR::folders()
{
    // Folder declarations may nest: the nesting means nothing.
    std::string tag = element("folders");
    m_xml += "<" + tag + (chance(30) ? " name=\"design\"" : "") + ">";
    separator();
    std::vector<std::string> open;
    for (std::size_t i = 0; i < m_folders.size(); ++i) {
        std::string attrs;
        attribute(attrs, "name", m_folders[i].m_common.m_name);
        std::string folder_tag = element(i == 0 ? "root" : "folder");
        if (chance(30)) {
            m_xml += "<" + folder_tag + attrs + ">";
            open.push_back(folder_tag);
        } else {
            m_xml += "<" + folder_tag + attrs + "/>";
        }
        for (; !open.empty() && chance(50); open.pop_back())
            m_xml += "</" + open.back() + ">";
        separator();
    }
    for (; !open.empty(); open.pop_back())
        m_xml += "</" + open.back() + ">";
    m_xml += "</" + tag + ">\n";
}

void GENERATOR::folder_ref(int folder)
{
    // Folders are placed only into folders declared before them, so no
    // placement can make a cycle.
    int parent = static_cast<int>(pick(static_cast<unsigned>(folder)));
    std::string attrs;
    attribute(attrs, "name", m_folders[folder].m_common.m_name);
    COMMON ref = common_attributes(attrs, parent, false);
    COMMON& common = m_folders[folder].m_common;
    common.m_creator = ref.m_creator;
    common.m_enabled = ref.m_enabled;
    std::string tag = element("folder_ref");
    m_xml += "<" + tag + attrs + ">";
    for (unsigned n = pick(3); n > 0; --n)
        header_or_footer(common);
    m_xml += "</" + tag + ">\n";
    m_folders[parent].m_entries.push_back(ENTRY{folder, JSON()});
}

JSON GENERATOR::text_object(int folder, bool legal)
{
    std::string attrs;
    COMMON common = common_attributes(attrs, folder);
    std::optional<std::string> body;
    std::string tag = element(legal ? "legal" : "text");
    m_xml += "<" + tag + attrs + ">";
    std::vector<std::function<void()>> steps;
    for (unsigned n = pick(3); n > 0; --n)
        steps.push_back([&] { header_or_footer(common); });
    for (unsigned n = pick(3); n > 0; --n)
        steps.push_back([&] {
            body = value(60, true);
            leaf("ascii_text", *body);
        });
    shuffled(steps);
    m_xml += "</" + tag + ">\n";
    JSON object = object_json(legal ? "legal" : "text", common);
    object.AddMember("text", body ? string_json(*body) : JSON(), m_alloc);
    return object;
}

JSON GENERATOR::summary(int folder)
{
    std::string attrs;
    COMMON common = common_attributes(attrs, folder);
    JSON rows(rapidjson::kArrayType);
    // The gauges of the summary's last gauges object, by slot.
    std::optional<std::vector<std::optional<JSON>>> slots;
    unsigned gauge_count = 0;
    std::string tag = element("summary");
    m_xml += "<" + tag + attrs + ">";
    std::vector<std::function<void()>> steps;
    for (unsigned n = pick(3); n > 0; --n)
        steps.push_back([&] { header_or_footer(common); });
    for (unsigned n = pick(5); n > 0; --n)
        steps.push_back([&] {
            std::string name = chance(90) ? value(20, true) : std::string();
            std::string text = value(30, true);
            std::string element_attrs;
            if (!name.empty() || chance(50))
                attribute(element_attrs, "name", name);
            leaf("element", text, element_attrs);
            JSON row(rapidjson::kArrayType);
            row.PushBack(cell_json("string", string_json(name)), m_alloc);
            row.PushBack(cell_json("string", string_json(text)), m_alloc);
            rows.PushBack(row, m_alloc);
        });
    for (unsigned n = chance(60) ? 1 + pick(2) : 0; n > 0; --n)
        steps.push_back([&] {
            slots.emplace();
            std::string gauges_tag = element("gauges");
            m_xml += "<" + gauges_tag + (chance(20) ? " name=\"ignored\"" : "") + ">";
            for (unsigned g = pick(4); g > 0; --g) {
                std::string gauge_attrs;
                std::string name = value(16, true);
                if (!name.empty() || chance(50))
                    attribute(gauge_attrs, "name", name);
                bool percent;
                flag_attribute(gauge_attrs, "percent", percent);
                bool enabled;
                flag_attribute(gauge_attrs, "enabled", enabled);
                int fields[3] = {0, 0, 0};
                std::string gauge_tag = element("gauge");
                m_xml += "<" + gauge_tag + gauge_attrs + ">";
                static const char* const FIELD_NAMES[] = {"min", "max", "value"};
                for (unsigned f = pick(5); f > 0; --f) {
                    unsigned which = pick(3);
                    fields[which] = any_int();
                    leaf(FIELD_NAMES[which], int_text(fields[which]));
                }
                m_xml += "</" + gauge_tag + ">";
                JSON gauge(rapidjson::kObjectType);
                gauge.AddMember("name", string_json(name), m_alloc);
                gauge.AddMember("percent", percent, m_alloc);
                gauge.AddMember("min", fields[0], m_alloc);
                gauge.AddMember("max", fields[1], m_alloc);
                gauge.AddMember("value", fields[2], m_alloc);
                gauge.AddMember("disabled", !enabled, m_alloc);
                unsigned slot = gauge_count++;
                slots->resize(std::max<std::size_t>(slots->size(), slot + 1));
                (*slots)[slot] = std::move(gauge);
            }
            m_xml += "</" + gauges_tag + ">";
            separator();
        });
    shuffled(steps);
    m_xml += "</" + tag + ">\n";

    JSON object = object_json("summary", common);
    object.AddMember("object_type", 5, m_alloc);
    object.AddMember("last_cmp_flp_location_available", false, m_alloc);
    if (slots) {
        JSON gauges(rapidjson::kObjectType);
        gauges.AddMember("name", "This name should not be observed", m_alloc);
        gauges.AddMember("size", 20, m_alloc);
        JSON list(rapidjson::kArrayType);
        for (std::optional<JSON>& slot : *slots)
            list.PushBack(slot ? JSON(std::move(*slot)) : JSON(), m_alloc);
        gauges.AddMember("slots", list, m_alloc);
        object.AddMember("gauges", gauges, m_alloc);
    } else {
        object.AddMember("gauges", JSON(), m_alloc);
    }
    object.AddMember("rows", rows, m_alloc);
    return object;
}

JSON GENERATOR::chart(int folder)
{
    std::string attrs;
    COMMON common = common_attributes(attrs, folder);
    int size = 0;
    if (chance(70)) {
        size = any_int();
        attribute(attrs, "size", int_text(size));
    }
    std::string type = "bar";
    std::string x_axis;
    std::string y_axis;
    bool labels = false;
    JSON rows(rapidjson::kArrayType);
    JSON first(rapidjson::kArrayType);
    first.PushBack(cell_json("string", string_json("")), m_alloc);
    first.PushBack(cell_json("string", string_json("")), m_alloc);
    rows.PushBack(first, m_alloc);

    std::string tag = element("chart");
    m_xml += "<" + tag + attrs + ">";
    std::vector<std::function<void()>> steps;
    for (unsigned n = pick(3); n > 0; --n)
        steps.push_back([&] { header_or_footer(common); });
    for (unsigned n = pick(6); n > 0; --n)
        steps.push_back([&] {
            std::string name = value(20, true);
            int number = chance(90) ? any_int() : 0;
            std::string data_attrs;
            if (!name.empty() || chance(50))
                attribute(data_attrs, "name", name);
            // An empty "data" reads as 0, but the schema wants a number.
            bool empty = number == 0 && !m_out.use_schema && chance(30);
            leaf("data", empty ? std::string() : int_text(number), data_attrs);
            JSON row(rapidjson::kArrayType);
            row.PushBack(cell_json("string", string_json(name)), m_alloc);
            row.PushBack(cell_json("int", JSON(number)), m_alloc);
            rows.PushBack(row, m_alloc);
        });
    for (unsigned n = pick(3); n > 0; --n)
        steps.push_back([&] {
            type = one_of(CHART_TYPES);
            leaf("type", enumeration_text(type.c_str()));
        });
    for (unsigned n = pick(2); n > 0; --n)
        steps.push_back([&] {
            x_axis = value(20, true);
            leaf("x_label", x_axis);
        });
    for (unsigned n = pick(2); n > 0; --n)
        steps.push_back([&] {
            y_axis = value(20, true);
            leaf("y_label", y_axis);
        });
    for (unsigned n = pick(3); n > 0; --n)
        steps.push_back([&] { leaf("show_labels", flag_content(labels)); });
    shuffled(steps);
    m_xml += "</" + tag + ">\n";

    JSON object = object_json("chart", common);
    object.AddMember("object_type", 6, m_alloc);
    object.AddMember("last_cmp_flp_location_available", false, m_alloc);
    object.AddMember("size", size, m_alloc);
    object.AddMember("chart_type", string_json(type), m_alloc);
    object.AddMember("x_axis", string_json(x_axis), m_alloc);
    object.AddMember("y_axis", string_json(y_axis), m_alloc);
    object.AddMember("display_labels", labels, m_alloc);
    object.AddMember("rows", rows, m_alloc);
    return object;
}

JSON GENERATOR::embedded(int folder, bool waveform)
{
    std::string attrs;
    COMMON common = common_attributes(attrs, folder);
    std::string type = "generic";
    // A floorplan is no longer supported: it makes no object.
    bool floorplan = !waveform && chance(8);
    if (floorplan) {
        attribute(attrs, "type", enumeration_text("floorplan"));
    } else if (!waveform) {
        type = one_of(EMBEDDED_TYPES);
        attribute(attrs, "type", enumeration_text(type.c_str()));
    } else if (chance(30)) {
        attribute(attrs, "type", value(10, false));  // not read
    }
    std::string info;
    std::string vectors[2];
    bool compare = false;
    std::string tag = element(waveform ? "waveform" : "embedded");
    m_xml += "<" + tag + attrs + ">";
    std::vector<std::function<void()>> steps;
    for (unsigned n = pick(3); n > 0; --n)
        steps.push_back([&] { header_or_footer(common); });
    for (unsigned n = pick(3); n > 0; --n)
        steps.push_back([&] {
            info = value(80, true);
            leaf("info", info);
        });
    if (waveform) {
        for (unsigned n = pick(3); n > 0; --n)
            steps.push_back([&] {
                unsigned which = pick(2);
                vectors[which] = value(30, true);
                leaf(which == 0 ? "source_vector" : "result_vector", vectors[which]);
            });
        for (unsigned n = pick(3); n > 0; --n)
            steps.push_back([&] { leaf("compare", flag_content(compare)); });
    }
    shuffled(steps);
    m_xml += "</" + tag + ">\n";
    if (floorplan)
        return JSON();

    JSON object = object_json(waveform ? "waveform" : "embedded", common);
    object.AddMember("embedded_type", string_json(type), m_alloc);
    object.AddMember("info", string_json(info), m_alloc);
    if (waveform) {
        object.AddMember("source_vector", string_json(vectors[0]), m_alloc);
        object.AddMember("result_vector", string_json(vectors[1]), m_alloc);
        object.AddMember("compare_mode", compare, m_alloc);
    }
    return object;
}

JSON GENERATOR::colors(JSON cell, std::string& attrs)
{
    for (const char* key : {"foreground", "background"}) {
        if (chance(50))
            continue;
        std::optional<unsigned> rgb;
        std::string text;
        switch (pick(5)) {
        case 0: {
            unsigned value = pick(0x1000000);
            char hex[8];
            std::snprintf(hex, sizeof(hex), chance(50) ? "#%06x" : "#%06X", value);
            text = hex;
            rgb = value;
            break;
        }
        case 1: {
            unsigned digits[3] = {pick(16), pick(16), pick(16)};
            char hex[8];
            std::snprintf(hex, sizeof(hex), "#%x%X%x", digits[0], digits[1], digits[2]);
            text = hex;
            rgb = digits[0] * 0x110000 + digits[1] * 0x1100 + digits[2] * 0x11;
            break;
        }
        case 2:
        case 3: {
            const NAMED_COLOR& color = one_of(NAMED_COLORS);
            text = chance(30) ? mixed_case(color.m_name) : std::string(color.m_name);
            rgb = color.m_rgb;
            break;
        }
        default: {
            // Not a colour: the cell keeps none.
            static const char* const NOT_COLORS[] = {"#12345", "#ggg", "rose", " red", "#1234567", ""};
            text = one_of(NOT_COLORS);
            break;
        }
        }
        attribute(attrs, key, text);
        if (rgb) {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "#%06x", *rgb);
            cell.AddMember(JSON(key, m_alloc), JSON(hex, m_alloc), m_alloc);
        }
    }
    return cell;
}

JSON GENERATOR::cell()
{
    JSON cell(rapidjson::kObjectType);
    std::string attrs;
    switch (pick(4)) {
    case 0: {
        std::string text = value(30, true);
        cell = colors(cell_json("string", string_json(text)), attrs);
        leaf("string_cell", text, attrs);
        break;
    }
    case 1: {
        int number = any_int();
        cell = colors(cell_json("int", JSON(number)), attrs);
        leaf("int_cell", int_text(number), attrs);
        break;
    }
    case 2: {
        const auto& name = one_of(INSTANCE_NAMES);
        cell.AddMember("type", "iname", m_alloc);
        cell.AddMember("instance", name.second != nullptr ? JSON(name.second, m_alloc) : JSON(), m_alloc);
        cell = colors(std::move(cell), attrs);
        leaf("iname_cell", name.first, attrs);
        break;
    }
    default: {
        long long delay = 0;
        std::string option = "ns";
        cell.AddMember("type", "delay", m_alloc);
        cell = colors(std::move(cell), attrs);
        std::string tag = element("delay_cell");
        m_xml += "<" + tag + attrs + ">";
        std::vector<std::function<void()>> steps;
        for (unsigned n = pick(3); n > 0; --n)
            steps.push_back([&] {
                delay = any_int();
                leaf("delay", int_text(delay));
            });
        for (unsigned n = pick(3); n > 0; --n)
            steps.push_back([&] {
                option = one_of(DISPLAY_OPTIONS);
                leaf("display_option", enumeration_text(option.c_str()));
            });
        shuffled(steps);
        m_xml += "</" + tag + ">";
        separator();
        cell.AddMember("delay", static_cast<int64_t>(delay), m_alloc);
        cell.AddMember("display_option", string_json(option), m_alloc);
        break;
    }
    }
    return cell;
}

// kind 0: table, 1: tan_spd_table, 2: tan_slack_table.
JSON GENERATOR::table(int folder, int kind)
{
    static const char* const KINDS[] = {"table", "tan_spd_table", "tan_slack_table"};
    std::string attrs;
    COMMON common = common_attributes(attrs, folder);
    bool fled;
    flag_attribute(attrs, "enable_fled", fled);
    bool show_min = false;
    if (kind == 1)
        flag_attribute(attrs, "show_min", show_min);
    int analysis_type = 0;
    if (kind == 2 && chance(70)) {
        analysis_type = any_int();
        attribute(attrs, "analysis_type", int_text(analysis_type));
    }
    std::optional<unsigned> column_ids[8];
    std::optional<int> restricted_to;
    JSON rows(rapidjson::kArrayType);

    std::string tag = element(KINDS[kind]);
    m_xml += "<" + tag + attrs + ">";
    std::vector<std::function<void()>> steps;
    for (unsigned n = pick(3); n > 0; --n)
        steps.push_back([&] { header_or_footer(common); });
    for (unsigned n = pick(5); n > 0; --n)
        steps.push_back([&] {
            std::string row_tag = element("row");
            m_xml += "<" + row_tag + ">";
            JSON row(rapidjson::kArrayType);
            for (unsigned c = pick(6); c > 0; --c)
                row.PushBack(cell(), m_alloc);
            m_xml += "</" + row_tag + ">";
            separator();
            rows.PushBack(row, m_alloc);
        });
    // One column of a slack table. It outlives the block below, whose steps
    // run only after it.
    auto column = [&] {
        unsigned type = pick(8);
        std::string column_attrs;
        unsigned id = 0;
        if (chance(80)) {
            id = chance(50) ? pick(100) : 4000000000u + pick(294967295);
            attribute(column_attrs, "id", int_text(id));
        }
        attribute(column_attrs, "type", enumeration_text(SLACK_COLUMNS[type]));
        column_ids[type] = id;
        m_xml += "<" + element("column") + column_attrs + "/>";
        separator();
    };
    if (kind == 2) {
        for (unsigned n = pick(4); n > 0; --n)
            steps.push_back(column);
        for (unsigned n = pick(2); n > 0; --n)
            steps.push_back([&] {
                std::string map_tag = element("column_types_map");
                m_xml += "<" + map_tag + ">";
                for (unsigned k = pick(3); k > 0; --k)
                    column();
                m_xml += "</" + map_tag + ">";
            });
        for (unsigned n = pick(3); n > 0; --n)
            steps.push_back([&] {
                restricted_to = any_int();
                leaf("restricted_to", int_text(*restricted_to));
            });
    }
    shuffled(steps);
    m_xml += "</" + tag + ">\n";

    JSON object = object_json(KINDS[kind], common);
    object.AddMember("object_type", kind == 0 ? 4 : 8, m_alloc);
    object.AddMember("last_cmp_flp_location_available", fled, m_alloc);
    if (kind == 1)
        object.AddMember("show_min", show_min, m_alloc);
    if (kind == 2) {
        object.AddMember("analysis_type", analysis_type, m_alloc);
        JSON columns(rapidjson::kObjectType);
        for (int t = 0; t < 8; ++t)
            if (column_ids[t]) {
                JSON key(SLACK_COLUMNS[t], m_alloc);
                columns.AddMember(key, JSON(*column_ids[t]), m_alloc);
            }
        object.AddMember("columns", columns, m_alloc);
        object.AddMember("restricted_to", restricted_to ? JSON(static_cast<int64_t>(*restricted_to)) : JSON(),
                         m_alloc);
    }
    object.AddMember("rows", rows, m_alloc);
    return object;
}

JSON GENERATOR::folder_json(int folder)
{
    FOLDER& record = m_folders[folder];
    JSON object = object_json("folder", record.m_common);
    JSON entries(rapidjson::kArrayType);
    for (ENTRY& entry : record.m_entries)
        entries.PushBack(entry.m_folder >= 0 ? folder_json(entry.m_folder) : JSON(std::move(entry.m_object)), m_alloc);
    object.AddMember("objects", entries, m_alloc);
    return object;
}

void GENERATOR::run()
{
    m_out.gzip = chance(50);
    m_out.use_schema = chance(25);
    m_out.use_namespaces = m_out.use_schema || chance(80);
    m_out.use_static_buffers = chance(80);
    m_mixed_case = !m_out.use_schema && chance(30);
    m_out.expected.SetObject();
    m_xml.clear();

    if (chance(80))
        m_xml += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    if (chance(20))
        m_xml += "<!-- generated -->\n<?tool run=\"1\"?>\n";
    m_xml += "<report>\n";

    if (chance(4)) {
        // No folders: nothing can be placed.
        m_xml += "</report>\n";
        m_out.expected.AddMember("main_folder", JSON(), m_alloc);
        m_out.expected.AddMember("current_folder", JSON(), m_alloc);
        return;
    }

    // Folder 0 is the main folder; every name is unique.
    m_folders.resize(1 + pick(5));
    for (std::size_t i = 0; i < m_folders.size(); ++i) {
        std::string& name = m_folders[i].m_common.m_name;
        if (i > 0 || chance(80))
            name = value(20, true) + "#" + std::to_string(m_unique++);
    }
    folders();

    // Folder references and objects in random order: an object may go into
    // a folder that is placed only later.
    std::vector<int> events;
    for (std::size_t i = 1; i < m_folders.size(); ++i)
        events.push_back(static_cast<int>(i));
    for (unsigned n = pick(12); n > 0; --n)
        events.push_back(-1);
    std::shuffle(events.begin(), events.end(), m_random);
    for (int event : events) {
        if (event > 0) {
            folder_ref(event);
            continue;
        }
        int folder = static_cast<int>(pick(static_cast<unsigned>(m_folders.size())));
        JSON object;
        switch (pick(9)) {
        case 0:
            object = text_object(folder, false);
            break;
        case 1:
            object = text_object(folder, true);
            break;
        case 2:
            object = summary(folder);
            break;
        case 3:
            object = chart(folder);
            break;
        case 4:
            object = embedded(folder, false);
            break;
        case 5:
            object = embedded(folder, true);
            break;
        default:
            object = table(folder, static_cast<int>(pick(3)));
            break;
        }
        if (!object.IsNull())
            m_folders[folder].m_entries.push_back(ENTRY{-1, std::move(object)});
    }
    m_xml += "</report>\n";

    m_out.expected.AddMember("main_folder", folder_json(0), m_alloc);
    m_out.expected.AddMember("current_folder", string_json(m_folders[0].m_common.m_name), m_alloc);
}

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
