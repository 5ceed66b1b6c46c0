#include <rdbxml/rdb_select.h>

#include <rdbxml/rdb_folder.h>
#include <rdbxml/rdb_object.h>
#include <rdbxml/rdb_report_tree.h>

RDB_PATH_SELECTION::RDB_PATH_SELECTION(const RDB_FOLDER_OBJECT& top, const std::vector<RDB_PATH_PATTERN>& patterns)
    : m_top(top), m_counts(patterns.size(), 0)
{
    // Matches and everything below them first (the walk meets an owner
    // before what it holds), then the owners up from each. Each pattern's
    // progress is kept for every level of the current path, so that an
    // object costs the matching of its own step.
    const std::size_t n = patterns.size();
    std::vector<RDB_PATH_PATTERN::PROGRESS> before_top(n), progress;
    for (std::size_t p = 0; p < n; ++p)
        patterns[p].start(before_top[p]);
    std::unordered_set<const RDB_OBJECT*> below_match;
    RDB_PATH_CURSOR cursor(top);
    while (cursor.next()) {
        const RDB_OBJECT& object = cursor.object();
        const std::size_t level = cursor.level();
        if (progress.size() < (level + 1) * n)
            progress.resize((level + 1) * n);
        std::string_view step = std::string_view(cursor.path()).substr(cursor.step_start());
        bool matched = false;
        for (std::size_t p = 0; p < n; ++p) {
            RDB_PATH_PATTERN::PROGRESS& here = progress[level * n + p];
            patterns[p].advance(level == 0 ? before_top[p] : progress[(level - 1) * n + p], step, here);
            if (patterns[p].accepts(here)) {
                ++m_counts[p];
                matched = true;
            }
        }
        if (!matched && (object.get_owner() == nullptr || below_match.count(object.get_owner()) == 0))
            continue;
        below_match.insert(&object);
        for (const RDB_OBJECT* up = &object; up != nullptr && m_kept.insert(up).second; up = up->get_owner()) {
            if (up == &top)
                break;
        }
    }
}

void RDB_PATH_SELECTION::walk_kept(const RDB_PATH_VISITOR& visit) const
{
    RDB_PATH_CURSOR cursor(m_top);
    while (cursor.next())
        if (keeps(cursor.object()))
            visit(cursor.path(), cursor.object());
}

const std::vector<RDB_PATH_MATCH>& RDB_PATH_SELECTION::get_kept() const
{
    std::call_once(m_listed, [this] {
        walk_kept([this](const std::string& path, const RDB_OBJECT& object) {
            m_list.push_back(RDB_PATH_MATCH{path, &object});
        });
    });
    return m_list;
}

void rdb_prune_to_selection(RDB_FOLDER_OBJECT& top, const RDB_PATH_SELECTION& selection)
{
    // Kept folders on a work list, not by recursion.
    std::vector<RDB_FOLDER_OBJECT*> pending{&top};
    while (!pending.empty()) {
        RDB_FOLDER_OBJECT* folder = pending.back();
        pending.pop_back();
        folder->release_objects([&](const RDB_OBJECT& object) { return !selection.keeps(object); });
        for (RDB_OBJECT* object : folder->objects())
            if (RDB_FOLDER_OBJECT* sub = object->dynamic_cast_to_RDB_FOLDER_OBJECT())
                pending.push_back(sub);
    }
}

void rdb_prune_report(RDB_REPORT& report, const RDB_PATH_SELECTION& selection)
{
    RDB_FOLDER_OBJECT* main = report.get_main_folder();
    if (main == nullptr)
        return;
    RDB_FOLDER_OBJECT* current = report.get_current_folder();
    const RDB_OBJECT* up = current;
    while (up != nullptr && up != main)
        up = up->get_owner();
    if (up == main && current != main && !selection.keeps(*current))
        report.set_current_folder(nullptr);
    rdb_prune_to_selection(*main, selection);
}
