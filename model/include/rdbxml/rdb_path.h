// Object paths: where an object sits in a report, as one line of text, and
// patterns that select objects by it. The tool and the bindings share them.
//
// A path is the names from the outermost folder (the main folder) down to
// the object, joined by '/': "main/timing/Setup slack" is the object "Setup
// slack" in the folder "timing" in the main folder "main". A folder's path
// ends with its own name ("main/timing"). A summary's gauges object shares
// its summary's path: it is a part of the summary, and its own name is the
// file format's, never the report's.
//
// In a name, a '/' is written "\/" and a backslash "\\", so the '/'
// between steps is always the path's own. Nothing else is escaped: names
// read as they are written.
//
// Duplicates: the second object of the same name and the same kind
// (RDB_OBJECT::get_kind()) in one folder is "name[2]", the third "name[3]",
// and so on in the folder's order; the first is plain "name". Kinds count
// apart: a folder and a table both named "x" in one folder are both "x"
// (their paths are equal; a pattern that matches one matches the other).
// An object named "x[2]" and the second object named "x" share a path too:
// the path cannot tell them apart. The outermost step has no number.
//
// Patterns are matched against the path as written, case-sensitively:
//   *    any run of characters within one step, none included (never a '/');
//   ?    exactly one character within a step (an escaped pair such as "\/"
//        is one character, and so is a whole UTF-8 character);
//   **   as a whole step, any number of steps, none included:
//        "main/**/Setup*" matches "main/Setup x" and "main/a/b/Setup y";
//        "main/**" matches "main" and everything below it. Any other run
//        of stars is one '*';
//   \c   the character c itself, whatever it is: "\*" a star, "\?" a
//        question mark, "\/" a slash within a name, "\\" a backslash;
//   anything else, '[' and ']' included, stands for itself.
// The "[n]" of a duplicate is part of its step's text, so "Setup slack"
// matches only the first of several such objects, "Setup slack[2]" only the
// second, "Setup slack*" all of them, and "Setup slack[?]" the second to
// the ninth. A path printed by this module, used as a pattern, matches
// that path; when a name holds '*' or '?', other paths too, unless they
// are escaped ("\*", "\?").
//
// A pattern that ends in a lone backslash is malformed and matches nothing.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class RDB_FOLDER_OBJECT;
class RDB_OBJECT;

// `name` as a step of a path, with a backslash before each character that
// paths and patterns reserve.
std::string rdb_path_escape(std::string_view name);

// A pattern made ready for matching many paths.
class RDB_PATH_PATTERN {
public:
    explicit RDB_PATH_PATTERN(std::string_view pattern);

    // False for a malformed pattern; get_error() then says why.
    bool is_valid() const { return m_error.empty(); }
    const std::string& get_error() const { return m_error; }

    // Whether `path` (as this module writes paths) matches; never for a
    // malformed pattern. Allocates nothing, and takes time at most in
    // proportion to the path's length times the pattern's, however many
    // stars there are.
    bool matches(std::string_view path) const;

    // Matching as a walk goes down a tree, a step at a time, so that each
    // object costs the matching of its own step only, never its whole path
    // again: the places in the pattern that the steps taken so far lead to.
    class PROGRESS {
        friend class RDB_PATH_PATTERN;
        std::vector<bool> m_at;  // m_at[s]: the pattern's steps before s are matched
    };
    // Where matching stands before the first step of a path.
    void start(PROGRESS& progress) const;
    // `after` is `before` with `steps` taken: one step, or several joined
    // by '/', as a path writes them. `after` may not be `before`.
    void advance(const PROGRESS& before, std::string_view steps, PROGRESS& after) const;
    // Whether the path of the steps taken matches, as matches() would say.
    bool accepts(const PROGRESS& progress) const;

private:
    struct TOKEN {
        enum KIND { TEXT, ONE, ANY } m_kind;
        std::string m_text;  // TEXT: as the path writes it
    };
    struct STEP {
        bool m_any_steps = false;  // "**"
        std::vector<TOKEN> m_tokens;
    };

    bool matches_step(const STEP& step, std::string_view text) const;

    std::vector<STEP> m_steps;
    std::string m_error;
};

// The steps of `path` (or of part of one): the texts between the '/' that
// are not escaped, as patterns match them; "" is one empty step.
std::vector<std::string_view> rdb_path_steps(std::string_view path);

// Whether `path` matches `pattern`; false for a malformed pattern.
bool rdb_path_match(std::string_view pattern, std::string_view path);

// The path of `object`, through its owners up to the outermost folder (the
// main folder of a report); an object that no folder holds is just its name.
// The cost is the objects before it in each of its folders.
std::string rdb_object_path(const RDB_OBJECT& object);

typedef std::function<void(const std::string& path, const RDB_OBJECT& object)> RDB_PATH_VISITOR;

// The walk of rdb_walk_paths taken one object at a time, for a caller that
// stops between objects (an iterator) or carries something of its own down
// the tree along with the path (RDB_PATH_PATTERN::PROGRESS): each object
// comes with its level and where its own step begins in its path. It holds
// one path, the current one, never one per object.
class RDB_PATH_CURSOR {
public:
    explicit RDB_PATH_CURSOR(const RDB_FOLDER_OBJECT& top);
    RDB_PATH_CURSOR(const RDB_PATH_CURSOR&) = delete;
    RDB_PATH_CURSOR& operator=(const RDB_PATH_CURSOR&) = delete;
    ~RDB_PATH_CURSOR();

    // Moves to the next object (the first: `top`); false at the end.
    bool next();
    // The current object and its path, valid until the next move.
    const RDB_OBJECT& object() const { return *m_object; }
    const std::string& path() const { return m_path; }
    // 0 for `top`, one more than its folder's for an object in a folder; a
    // summary's gauges object has its summary's.
    std::size_t level() const { return m_level; }
    // Where the object's own step begins in path(); 0 for `top`, whose path
    // may have several steps; a summary's gauges object has its summary's
    // step, so that a pattern matches both or neither.
    std::size_t step_start() const { return m_step_start; }

private:
    struct STATE;
    STATE* m_state;
    std::string m_path;
    const RDB_OBJECT* m_object = nullptr;
    std::size_t m_level = 0;
    std::size_t m_step_start = 0;
};

// Calls `visit` for `top` and every object below it, in document order,
// each folder before what it holds and a summary before its gauges object.
// The paths are whole (those of rdb_object_path) also when `top` is not the
// outermost folder. The walk keeps nested folders on a list of its own, not
// on the call stack, and numbers duplicates with one count per name and
// kind in each open folder, so it costs time linear in the objects; it
// holds the current path alone (RDB_PATH_CURSOR).
void rdb_walk_paths(const RDB_FOLDER_OBJECT& top, const RDB_PATH_VISITOR& visit);

struct RDB_PATH_MATCH {
    std::string m_path;
    const RDB_OBJECT* m_object;
};

// The objects at or below `top` whose paths match `pattern`, in the order
// of rdb_walk_paths; none for a malformed pattern.
std::vector<RDB_PATH_MATCH> rdb_select_paths(const RDB_FOLDER_OBJECT& top, const RDB_PATH_PATTERN& pattern);
