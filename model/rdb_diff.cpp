#include <rdbxml/rdb_diff.h>

#include <optional>
#include <unordered_map>

#include <rdbxml/rdb_select.h>
#include <rdbxml/rdb_visitor.h>
#include "rdb_diff_emitter.h"
#include "rdb_diff_pairs.h"
#include "rdb_diff_paths.h"
#include "rdb_diff_renames.h"

namespace {

const char* const KIND_NAMES[RDB_DIFF_KIND_COUNT] = {
    "object_added", "object_removed", "object_kind",  "object_field", "column_title",  "row_added",
    "row_removed",  "cell_value",     "cell_unit",    "cell_kind",    "cell_colour",   "cell_added",
    "cell_removed", "gauge_added",    "gauge_removed", "gauge_field", "point_added",   "point_removed",
    "point_value",  "object_renamed"};

std::optional<std::string_view> optional_text(const STL_STRING* text)
{
    return text != nullptr ? std::optional<std::string_view>(text->view()) : std::nullopt;
}

// The kind's own fields and contents of a pair of objects of one kind:
// the visit is of the new object, `m_old` is of the same class.
class KIND_COMPARER : public RDB_OBJECT_VISITOR {
public:
    KIND_COMPARER(RDB_DIFF_EMITTER& emitter, const RDB_OBJECT& old_object)
        : m_emitter(emitter), m_old(old_object)
    {
    }

    void visit(const RDB_TEXT_OBJECT& object) override
    {
        m_emitter.object_fields();
        m_emitter.field("text", optional_text(old_as(object).get_text()), optional_text(object.get_text()));
    }
    void visit(const RDB_EMBEDDED_OBJECT& object) override
    {
        const RDB_EMBEDDED_OBJECT& old = old_as(object);
        m_emitter.object_fields();
        m_emitter.field("info", old.get_info_str().view(), object.get_info_str().view());
        m_emitter.field("embedded_type", rdb_embedded_type_name(old.get_embedded_type()),
                        rdb_embedded_type_name(object.get_embedded_type()));
    }
    void visit(const RDB_WAVEFORM_OBJECT& object) override
    {
        const RDB_WAVEFORM_OBJECT& old = old_as(object);
        visit(static_cast<const RDB_EMBEDDED_OBJECT&>(object));
        m_emitter.field("source_vector", old.get_source_vector_file_name().view(),
                        object.get_source_vector_file_name().view());
        m_emitter.field("result_vector", old.get_result_vector_file_name().view(),
                        object.get_result_vector_file_name().view());
        m_emitter.flag("compare", old.get_compare_mode(), object.get_compare_mode());
    }
    void visit(const RDB_TABLE_OBJECT& object) override { rdb_diff_table(m_emitter, old_as(object), object); }
    void visit(const RDB_CHART_TABLE_OBJECT& object) override { rdb_diff_chart(m_emitter, old_as(object), object); }
    void visit(const RDB_GAUGES_OBJECT& object) override { rdb_diff_gauges(m_emitter, old_as(object), object); }

private:
    template <typename T>
    const T& old_as(const T&) const
    {
        return static_cast<const T&>(m_old);
    }

    RDB_DIFF_EMITTER& m_emitter;
    const RDB_OBJECT& m_old;
};

// The objects to compare at or below `top`, with their paths in `paths`:
// all, or what the options select.
std::vector<RDB_DIFF_OBJECT> objects_of(const RDB_FOLDER_OBJECT* top, const RDB_DIFF_OPTIONS& options,
                                        RDB_DIFF_PATHS& paths)
{
    std::vector<RDB_DIFF_OBJECT> objects;
    if (top == nullptr)
        return objects;
    std::optional<RDB_PATH_SELECTION> selection;
    if (!options.m_select.empty())
        selection.emplace(*top, options.m_select);
    // The node of each level of the current object's path.
    std::vector<RDB_DIFF_PATHS::NODE> nodes;
    RDB_PATH_CURSOR cursor(*top);
    while (cursor.next()) {
        std::size_t level = cursor.level();
        if (nodes.size() <= level)
            nodes.resize(level + 1);
        RDB_DIFF_PATHS::NODE parent = level == 0 ? RDB_DIFF_PATHS::ROOT : nodes[level - 1];
        nodes[level] = paths.extend(parent, std::string_view(cursor.path()).substr(cursor.step_start()));
        if (!selection || selection->keeps(cursor.object()))
            objects.push_back(RDB_DIFF_OBJECT{nodes[level], &cursor.object()});
    }
    return objects;
}

// Each object's path, and a count after the second object of one path
// (a folder and a table of one name, say), so that every key is unique
// and such objects pair in order. A path is its node's number. A summary's
// gauges object has its summary's path but keys of its own, so that it
// pairs with a summary's gauges object only.
std::vector<std::string> keys_of(const std::vector<RDB_DIFF_OBJECT>& objects)
{
    std::vector<std::string> keys;
    keys.reserve(objects.size());
    std::unordered_map<std::string, std::size_t> seen;
    for (const RDB_DIFF_OBJECT& object : objects) {
        std::string key(reinterpret_cast<const char*>(&object.m_node), sizeof object.m_node);
        if (rdb_is_summary_gauges(*object.m_object))
            key += '\x01';
        std::size_t n = ++seen[key];
        keys.push_back(n == 1 ? key : key + '\n' + std::to_string(n));
    }
    return keys;
}

}  // namespace

const char* rdb_diff_kind_name(RDB_DIFF_KIND kind)
{
    return kind >= 0 && kind < RDB_DIFF_KIND_COUNT ? KIND_NAMES[kind] : RDB_UNKNOWN_ENUM_NAME;
}

bool rdb_diff_is_style(RDB_DIFF_KIND kind) { return kind == RDB_DIFF_CELL_COLOUR || kind == RDB_DIFF_CELL_UNIT; }

void RDB_DIFF_EMITTER::begin_object(const RDB_DIFF_PATHS& paths, RDB_DIFF_PATHS::NODE node,
                                    const RDB_OBJECT* old_object, const RDB_OBJECT* new_object)
{
    m_paths = &paths;
    m_node = node;
    m_path.reset();
    m_old = old_object;
    m_new = new_object;
    m_match = RDB_DIFF_MATCH_NONE;
    m_key_columns.clear();
    m_fields_done = false;
    m_rename.reset();
}

RDB_DIFF_CHANGE RDB_DIFF_EMITTER::change(RDB_DIFF_KIND kind) const
{
    RDB_DIFF_CHANGE change;
    change.m_kind = kind;
    change.m_object_kind = (m_new != nullptr ? m_new : m_old)->get_kind();
    change.m_match = m_match;
    change.m_key_columns = m_key_columns;
    return change;
}

void RDB_DIFF_EMITTER::renamed(std::string_view old_step, std::string_view new_step)
{
    m_rename.emplace(std::string(old_step), std::string(new_step));
}

void RDB_DIFF_EMITTER::end_object()
{
    if (!m_rename)
        return;
    // Told with the object's match, which its rows' pairing sets before
    // the first change inside it.
    RDB_DIFF_CHANGE c = change(RDB_DIFF_OBJECT_RENAMED);
    c.m_has_old = c.m_has_new = true;
    c.m_old = std::move(m_rename->first);
    c.m_new = std::move(m_rename->second);
    m_rename.reset();
    emit(c);
}

void RDB_DIFF_EMITTER::emit(RDB_DIFF_CHANGE& change)
{
    if (m_rename)
        end_object();
    ++m_totals.m_by_kind[change.m_kind];
    if (rdb_diff_is_style(change.m_kind) && !m_options.m_styles) {
        ++m_totals.m_style_only;
        return;
    }
    ++m_totals.m_listed;
    // Spelled out only now: a record made and found equal, or left out,
    // costs no path, which in a deep folder chain is as long as its depth.
    change.m_path = path();
    m_sink(change);
}

void RDB_DIFF_EMITTER::field(const char* name, std::optional<std::string_view> old_value,
                             std::optional<std::string_view> new_value)
{
    if (old_value == new_value)
        return;
    RDB_DIFF_CHANGE c = change(RDB_DIFF_OBJECT_FIELD);
    c.m_field = name;
    c.m_has_old = old_value.has_value();
    c.m_has_new = new_value.has_value();
    c.m_old = old_value.value_or(std::string_view());
    c.m_new = new_value.value_or(std::string_view());
    emit(c);
}

void RDB_DIFF_EMITTER::flag(const char* name, bool old_value, bool new_value)
{
    field(name, rdb_diff_flag_text(old_value), rdb_diff_flag_text(new_value));
}

void RDB_DIFF_EMITTER::object_fields()
{
    if (m_fields_done)
        return;
    m_fields_done = true;
    field("creator", m_old->get_creator_module().view(), m_new->get_creator_module().view());
    flag("enabled", m_old->is_enabled(), m_new->is_enabled());
    field("header", optional_text(m_old->get_header()), optional_text(m_new->get_header()));
    field("footer", optional_text(m_old->get_footer()), optional_text(m_new->get_footer()));
}

std::size_t rdb_diff_reports(const RDB_FOLDER_OBJECT* old_top, const RDB_FOLDER_OBJECT* new_top,
                             const RDB_DIFF_OPTIONS& options, const RDB_DIFF_SINK& sink)
{
    RDB_DIFF_TOTALS totals;
    return rdb_diff_reports(old_top, new_top, options, sink, totals);
}

std::size_t rdb_diff_reports(const RDB_FOLDER_OBJECT* old_top, const RDB_FOLDER_OBJECT* new_top,
                             const RDB_DIFF_OPTIONS& options, const RDB_DIFF_SINK& sink, RDB_DIFF_TOTALS& totals)
{
    totals = RDB_DIFF_TOTALS();
    totals.m_keys.resize(options.m_keys.size());
    RDB_DIFF_PATHS paths;
    std::vector<RDB_DIFF_OBJECT> old_objects = objects_of(old_top, options, paths);
    std::vector<RDB_DIFF_OBJECT> new_objects = objects_of(new_top, options, paths);
    std::vector<RDB_DIFF_PAIR> pairs;
    rdb_diff_pair(keys_of(old_objects), keys_of(new_objects), true, pairs);
    std::vector<bool> renamed = rdb_diff_renames(paths, old_objects, new_objects, pairs);

    RDB_DIFF_EMITTER emitter(options, sink, totals);
    for (const RDB_DIFF_PAIR& pair : pairs) {
        if (pair.m_old == RDB_DIFF_NO_ITEM && pair.m_new == RDB_DIFF_NO_ITEM)
            continue;  // a removed object that is renamed, told at its new place
        const RDB_DIFF_OBJECT* old_object = pair.m_old != RDB_DIFF_NO_ITEM ? &old_objects[pair.m_old] : nullptr;
        const RDB_DIFF_OBJECT* new_object = pair.m_new != RDB_DIFF_NO_ITEM ? &new_objects[pair.m_new] : nullptr;
        const RDB_DIFF_OBJECT& either = new_object != nullptr ? *new_object : *old_object;
        emitter.begin_object(paths, either.m_node, old_object ? old_object->m_object : nullptr,
                             new_object ? new_object->m_object : nullptr);
        if (old_object == nullptr || new_object == nullptr) {
            RDB_DIFF_CHANGE c = emitter.change(old_object == nullptr ? RDB_DIFF_OBJECT_ADDED : RDB_DIFF_OBJECT_REMOVED);
            emitter.emit(c);
            continue;
        }
        const RDB_OBJECT& old = *old_object->m_object;
        const RDB_OBJECT& now = *new_object->m_object;
        if (std::string_view(old.get_kind()) != now.get_kind()) {
            RDB_DIFF_CHANGE c = emitter.change(RDB_DIFF_OBJECT_KIND);
            c.m_has_old = c.m_has_new = true;
            c.m_old = old.get_kind();
            c.m_new = now.get_kind();
            emitter.emit(c);
            emitter.object_fields();
            continue;
        }
        if (renamed[pair.m_new])
            emitter.renamed(paths.step(old_object->m_node), paths.step(new_object->m_node));
        KIND_COMPARER comparer(emitter, old);
        now.accept(comparer);
        emitter.object_fields();
        emitter.end_object();
    }
    return totals.m_listed;
}

std::vector<RDB_DIFF_CHANGE> rdb_diff_reports(const RDB_FOLDER_OBJECT* old_top, const RDB_FOLDER_OBJECT* new_top,
                                              const RDB_DIFF_OPTIONS& options)
{
    std::vector<RDB_DIFF_CHANGE> changes;
    rdb_diff_reports(old_top, new_top, options, [&](const RDB_DIFF_CHANGE& change) { changes.push_back(change); });
    return changes;
}
