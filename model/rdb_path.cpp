#include <rdbxml/rdb_path.h>

#include <cstring>
#include <unordered_map>
#include <utility>

#include <rdbxml/rdb_folder.h>
#include <rdbxml/rdb_report_tree.h>
#include <rdbxml/rdb_summary.h>
#include <rdbxml/rdb_walk.h>

namespace {

const std::size_t END = std::string_view::npos;

// The characters a name writes with a backslash before them.
bool is_escaped_in_names(char c) { return c == '\\' || c == '/'; }

void append_escaped(std::string& out, std::string_view name)
{
    for (char c : name) {
        if (is_escaped_in_names(c))
            out += '\\';
        out += c;
    }
}

// The bytes of the character at `at`: an escaped pair, or one UTF-8
// character (a lead byte and the continuation bytes after it).
std::size_t character_length(std::string_view text, std::size_t at)
{
    unsigned char c = static_cast<unsigned char>(text[at]);
    std::size_t n = 1;
    if (c == '\\')
        n = 2;
    else if (c >= 0xC0)
        while (at + n < text.size() && (static_cast<unsigned char>(text[at + n]) & 0xC0) == 0x80)
            ++n;
    return at + n <= text.size() ? n : text.size() - at;
}

// Where the step starting at `at` ends: its '/' (not an escaped one) or the
// end of the path.
std::size_t step_end(std::string_view path, std::size_t at)
{
    while (at < path.size() && path[at] != '/')
        at += character_length(path, at);
    return at < path.size() ? at : path.size();
}

// The start of the step after the one ending at `end`; END after the last.
std::size_t next_step(std::string_view path, std::size_t end) { return end < path.size() ? end + 1 : END; }

// The number of `object` among the objects of its name and kind in its
// folder, counted from 1; 1 outside a folder.
std::size_t ordinal_in_owner(const RDB_OBJECT& object)
{
    const RDB_OBJECT* owner = object.get_owner();
    const RDB_FOLDER_OBJECT* folder = owner != nullptr ? owner->dynamic_cast_to_RDB_FOLDER_OBJECT() : nullptr;
    if (folder == nullptr || dynamic_cast<const RDB_REPORT_STORE*>(folder) != nullptr)
        return 1;
    std::size_t n = 1;
    for (const RDB_OBJECT* other : folder->objects()) {
        if (other == &object)
            break;
        if (other != nullptr && other->get_name().view() == object.get_name().view() &&
            std::strcmp(other->get_kind(), object.get_kind()) == 0)
            ++n;
    }
    return n;
}

void append_step(std::string& path, const RDB_OBJECT& object, std::size_t ordinal)
{
    append_escaped(path, object.get_name().view());
    if (ordinal > 1) {
        path += '[';
        path += std::to_string(ordinal);
        path += ']';
    }
}

// The name and kind that duplicates share.
struct NAME_AND_KIND {
    std::string_view m_name;
    std::string_view m_kind;
    bool operator==(const NAME_AND_KIND& other) const
    {
        return m_name == other.m_name && m_kind == other.m_kind;
    }
};

struct NAME_AND_KIND_HASH {
    std::size_t operator()(const NAME_AND_KIND& key) const
    {
        std::hash<std::string_view> hash;
        return hash(key.m_name) * 31 + hash(key.m_kind);
    }
};

// Builds each object's path from its folder's as rdb_walk_folder_tree goes.
class PATH_WALK : public RDB_FOLDER_WALK_HANDLER {
public:
    explicit PATH_WALK(const RDB_PATH_VISITOR& visit) : m_visit(visit) {}

    void enter_folder(const RDB_FOLDER_OBJECT& folder, std::size_t depth) override
    {
        m_starts.push_back(m_path.size());
        if (depth == 0)
            m_path = rdb_object_path(folder);
        else
            add_step(folder, depth);
        if (m_counts.size() <= depth)
            m_counts.resize(depth + 1);
        m_visit(m_path, folder);
    }

    void leave_folder(const RDB_FOLDER_OBJECT&, std::size_t depth) override
    {
        m_counts[depth].clear();
        m_path.resize(m_starts.back());
        m_starts.pop_back();
    }

    void leaf(const RDB_OBJECT& object, std::size_t depth) override
    {
        std::size_t start = m_path.size();
        add_step(object, depth);
        m_visit(m_path, object);
        const auto* summary = dynamic_cast<const RDB_SUMMARY_TABLE_OBJECT*>(&object);
        if (summary != nullptr && summary->get_gauges() != nullptr) {
            m_path += '/';
            append_step(m_path, *summary->get_gauges(), 1);
            m_visit(m_path, *summary->get_gauges());
        }
        m_path.resize(start);
    }

private:
    // The step of an object at `depth`, numbered among its folder's objects
    // (the counts of the folder at depth - 1).
    void add_step(const RDB_OBJECT& object, std::size_t depth)
    {
        std::size_t ordinal = ++m_counts[depth - 1][NAME_AND_KIND{object.get_name().view(), object.get_kind()}];
        m_path += '/';
        append_step(m_path, object, ordinal);
    }

    const RDB_PATH_VISITOR& m_visit;
    std::string m_path;
    // For each open folder, the length of the path before its step.
    std::vector<std::size_t> m_starts;
    // For each depth, the objects of the open folder there by name and kind.
    std::vector<std::unordered_map<NAME_AND_KIND, std::size_t, NAME_AND_KIND_HASH>> m_counts;
};

}  // namespace

std::string rdb_path_escape(std::string_view name)
{
    std::string escaped;
    append_escaped(escaped, name);
    return escaped;
}

RDB_PATH_PATTERN::RDB_PATH_PATTERN(std::string_view pattern)
{
    m_steps.emplace_back();
    std::string text;
    // The text read so far becomes a token before any wildcard and at the
    // end of each step.
    auto end_text = [&] {
        if (!text.empty())
            m_steps.back().m_tokens.push_back(TOKEN{TOKEN::TEXT, std::move(text)});
        text.clear();
    };
    auto end_step = [&] {
        end_text();
        std::vector<TOKEN>& tokens = m_steps.back().m_tokens;
        // A step of two stars alone stands for any number of steps.
        if (tokens.size() == 1 && tokens[0].m_kind == TOKEN::ANY && tokens[0].m_text == "**")
            m_steps.back() = STEP{true, {}};
    };
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c == '\\') {
            if (++i == pattern.size()) {
                m_error = "the pattern ends in a lone backslash";
                m_steps.clear();
                return;
            }
            if (is_escaped_in_names(pattern[i]))
                text += '\\';
            text += pattern[i];
        } else if (c == '/') {
            end_step();
            m_steps.emplace_back();
        } else if (c == '*') {
            end_text();
            std::vector<TOKEN>& tokens = m_steps.back().m_tokens;
            // Stars in a row are one; the text remembers them for "**".
            if (!tokens.empty() && tokens.back().m_kind == TOKEN::ANY)
                tokens.back().m_text += '*';
            else
                tokens.push_back(TOKEN{TOKEN::ANY, "*"});
        } else if (c == '?') {
            end_text();
            m_steps.back().m_tokens.push_back(TOKEN{TOKEN::ONE, std::string()});
        } else {
            text += c;
        }
    }
    end_step();
}

bool RDB_PATH_PATTERN::matches_step(const STEP& step, std::string_view text) const
{
    // Left to right; on a mismatch the last star takes one character more
    // and the tokens after it are tried again from there.
    const std::vector<TOKEN>& tokens = step.m_tokens;
    std::size_t t = 0, at = 0, star = END, star_at = 0;
    while (at < text.size()) {
        if (t < tokens.size() && tokens[t].m_kind == TOKEN::ANY) {
            star = t++;
            star_at = at;
        } else if (t < tokens.size() && tokens[t].m_kind == TOKEN::ONE) {
            at += character_length(text, at);
            ++t;
        } else if (t < tokens.size() && text.substr(at, tokens[t].m_text.size()) == tokens[t].m_text) {
            at += tokens[t].m_text.size();
            ++t;
        } else if (star != END) {
            star_at += character_length(text, star_at);
            at = star_at;
            t = star + 1;
        } else {
            return false;
        }
    }
    while (t < tokens.size() && tokens[t].m_kind == TOKEN::ANY)
        ++t;
    return t == tokens.size();
}

bool RDB_PATH_PATTERN::matches(std::string_view path) const
{
    if (!is_valid())
        return false;
    // As matches_step does with characters, over steps: "**" is the star.
    std::size_t s = 0, at = 0, star = END, star_at = 0;
    while (at != END) {
        std::size_t end = step_end(path, at);
        if (s < m_steps.size() && m_steps[s].m_any_steps) {
            star = s++;
            star_at = at;
        } else if (s < m_steps.size() && matches_step(m_steps[s], path.substr(at, end - at))) {
            at = next_step(path, end);
            ++s;
        } else if (star != END) {
            star_at = next_step(path, step_end(path, star_at));
            at = star_at;
            s = star + 1;
        } else {
            return false;
        }
    }
    while (s < m_steps.size() && m_steps[s].m_any_steps)
        ++s;
    return s == m_steps.size();
}

bool rdb_path_match(std::string_view pattern, std::string_view path) { return RDB_PATH_PATTERN(pattern).matches(path); }

std::string rdb_object_path(const RDB_OBJECT& object)
{
    // The chain from the object up to the outermost folder; the report's
    // store, which holds the main folder, has no step.
    std::vector<const RDB_OBJECT*> chain;
    for (const RDB_OBJECT* o = &object; o != nullptr && dynamic_cast<const RDB_REPORT_STORE*>(o) == nullptr;
         o = o->get_owner())
        chain.push_back(o);
    std::string path;
    for (auto o = chain.rbegin(); o != chain.rend(); ++o) {
        if (o != chain.rbegin())
            path += '/';
        append_step(path, **o, ordinal_in_owner(**o));
    }
    return path;
}

void rdb_walk_paths(const RDB_FOLDER_OBJECT& top, const RDB_PATH_VISITOR& visit)
{
    PATH_WALK walk(visit);
    rdb_walk_folder_tree(top, walk);
}

std::vector<RDB_PATH_MATCH> rdb_select_paths(const RDB_FOLDER_OBJECT& top, const RDB_PATH_PATTERN& pattern)
{
    std::vector<RDB_PATH_MATCH> selected;
    if (!pattern.is_valid())
        return selected;
    rdb_walk_paths(top, [&](const std::string& path, const RDB_OBJECT& object) {
        if (pattern.matches(path))
            selected.push_back(RDB_PATH_MATCH{path, &object});
    });
    return selected;
}
