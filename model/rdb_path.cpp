#include <rdbxml/rdb_path.h>

#include <cstring>
#include <unordered_map>
#include <utility>

#include <rdbxml/rdb_folder.h>
#include <rdbxml/rdb_report_tree.h>
#include <rdbxml/rdb_summary.h>

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

std::vector<std::string_view> rdb_path_steps(std::string_view path)
{
    std::vector<std::string_view> steps;
    for (std::size_t at = 0; at != END;) {
        std::size_t end = step_end(path, at);
        steps.push_back(path.substr(at, end - at));
        at = next_step(path, end);
    }
    return steps;
}

bool rdb_path_match(std::string_view pattern, std::string_view path) { return RDB_PATH_PATTERN(pattern).matches(path); }

std::string rdb_object_path(const RDB_OBJECT& object)
{
    // The chain from the object up to the outermost folder; the report's
    // store, which holds the main folder, has no step, nor has a summary's
    // gauges object.
    std::vector<const RDB_OBJECT*> chain;
    for (const RDB_OBJECT* o = &object; o != nullptr && dynamic_cast<const RDB_REPORT_STORE*>(o) == nullptr;
         o = o->get_owner())
        if (!rdb_is_summary_gauges(*o))
            chain.push_back(o);
    std::string path;
    for (auto o = chain.rbegin(); o != chain.rend(); ++o) {
        if (o != chain.rbegin())
            path += '/';
        append_step(path, **o, ordinal_in_owner(**o));
    }
    return path;
}

void RDB_PATH_PATTERN::start(PROGRESS& progress) const
{
    progress.m_at.assign(m_steps.size() + 1, false);
    if (!is_valid())
        return;
    progress.m_at[0] = true;
    // "**" may stand for no step at all: what may come after it may come now.
    for (std::size_t s = 0; s < m_steps.size() && progress.m_at[s] && m_steps[s].m_any_steps; ++s)
        progress.m_at[s + 1] = true;
}

void RDB_PATH_PATTERN::advance(const PROGRESS& before, std::string_view steps, PROGRESS& after) const
{
    const PROGRESS* from = &before;
    PROGRESS through;  // between the steps of several
    for (std::size_t at = 0; at != END;) {
        std::size_t end = step_end(steps, at);
        std::string_view text = steps.substr(at, end - at);
        at = next_step(steps, end);
        PROGRESS& to = at == END ? after : through;
        // The step taken: each place before a "**" stays (it takes one step
        // more), each other place whose step matches moves past it.
        PROGRESS next;
        next.m_at.assign(m_steps.size() + 1, false);
        for (std::size_t s = 0; s < m_steps.size(); ++s) {
            if (s >= from->m_at.size() || !from->m_at[s])
                continue;
            if (m_steps[s].m_any_steps)
                next.m_at[s] = true;
            else if (matches_step(m_steps[s], text))
                next.m_at[s + 1] = true;
        }
        for (std::size_t s = 0; s < m_steps.size(); ++s)
            if (next.m_at[s] && m_steps[s].m_any_steps)
                next.m_at[s + 1] = true;
        to.m_at.swap(next.m_at);
        from = &to;
    }
}

bool RDB_PATH_PATTERN::accepts(const PROGRESS& progress) const
{
    return !progress.m_at.empty() && progress.m_at.back();
}

// The walk's own state: the open folders with the next object of each and
// the length of the path before each one's step, and per open folder the
// objects of each name and kind so far.
struct RDB_PATH_CURSOR::STATE {
    struct OPEN {
        const RDB_FOLDER_OBJECT* m_folder;
        std::size_t m_next;
        std::size_t m_start;
    };
    const RDB_FOLDER_OBJECT& m_top;
    std::vector<OPEN> m_open;
    std::vector<std::unordered_map<NAME_AND_KIND, std::size_t, NAME_AND_KIND_HASH>> m_counts;
    bool m_started = false;
    // The length of the path before the current object's step, when that
    // object is no folder: its step goes at the next move.
    std::size_t m_leaf_start = END;
    // A summary's gauges object, the next object after the summary, at its
    // summary's path, level and step.
    const RDB_OBJECT* m_gauges = nullptr;

    explicit STATE(const RDB_FOLDER_OBJECT& top) : m_top(top) {}
};

RDB_PATH_CURSOR::RDB_PATH_CURSOR(const RDB_FOLDER_OBJECT& top) : m_state(new STATE(top)) {}

RDB_PATH_CURSOR::~RDB_PATH_CURSOR() { delete m_state; }

bool RDB_PATH_CURSOR::next()
{
    STATE& state = *m_state;
    if (!state.m_started) {
        state.m_started = true;
        m_path = rdb_object_path(state.m_top);
        state.m_open.push_back(STATE::OPEN{&state.m_top, 0, 0});
        state.m_counts.resize(1);
        m_object = &state.m_top;
        m_level = 0;
        m_step_start = 0;
        return true;
    }
    if (state.m_gauges != nullptr) {
        m_object = state.m_gauges;
        state.m_gauges = nullptr;
        return true;
    }
    if (state.m_leaf_start != END) {
        m_path.resize(state.m_leaf_start);
        state.m_leaf_start = END;
    }
    while (!state.m_open.empty()) {
        STATE::OPEN& open = state.m_open.back();
        std::size_t depth = state.m_open.size() - 1;
        if (open.m_next >= open.m_folder->get_number_of_objects()) {
            state.m_counts[depth].clear();
            m_path.resize(open.m_start);
            state.m_open.pop_back();
            continue;
        }
        const RDB_OBJECT* object = open.m_folder->get_object(open.m_next++);
        if (object == nullptr)
            continue;
        // Numbered among its folder's objects of its name and kind.
        std::size_t start = m_path.size();
        std::size_t ordinal = ++state.m_counts[depth][NAME_AND_KIND{object->get_name().view(), object->get_kind()}];
        m_path += '/';
        append_step(m_path, *object, ordinal);
        m_object = object;
        m_level = depth + 1;
        m_step_start = start + 1;
        if (const RDB_FOLDER_OBJECT* nested = object->dynamic_cast_to_RDB_FOLDER_OBJECT()) {
            state.m_open.push_back(STATE::OPEN{nested, 0, start});
            if (state.m_counts.size() < state.m_open.size())
                state.m_counts.resize(state.m_open.size());
        } else {
            state.m_leaf_start = start;
            const auto* summary = dynamic_cast<const RDB_SUMMARY_TABLE_OBJECT*>(object);
            if (summary != nullptr)
                state.m_gauges = summary->get_gauges();
        }
        return true;
    }
    return false;
}

void rdb_walk_paths(const RDB_FOLDER_OBJECT& top, const RDB_PATH_VISITOR& visit)
{
    RDB_PATH_CURSOR cursor(top);
    while (cursor.next())
        visit(cursor.path(), cursor.object());
}

std::vector<RDB_PATH_MATCH> rdb_select_paths(const RDB_FOLDER_OBJECT& top, const RDB_PATH_PATTERN& pattern)
{
    std::vector<RDB_PATH_MATCH> selected;
    if (!pattern.is_valid())
        return selected;
    // The progress of the pattern at each level of the current object's
    // path: an object costs its own step.
    std::vector<RDB_PATH_PATTERN::PROGRESS> progress(1);
    RDB_PATH_PATTERN::PROGRESS before_top;
    pattern.start(before_top);
    RDB_PATH_CURSOR cursor(top);
    while (cursor.next()) {
        std::size_t level = cursor.level();
        if (progress.size() <= level)
            progress.resize(level + 1);
        std::string_view step = std::string_view(cursor.path()).substr(cursor.step_start());
        pattern.advance(level == 0 ? before_top : progress[level - 1], step, progress[level]);
        if (pattern.accepts(progress[level]))
            selected.push_back(RDB_PATH_MATCH{cursor.path(), &cursor.object()});
    }
    return selected;
}
