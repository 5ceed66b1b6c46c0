// The instance hierarchy: a tree of named instances and an action point
// rooted in it, loaded from a text file of instance paths.
//
// Threads: a hierarchy handed to parses is not changed (add_child) while
// they run. Lookups (find_child, find_in_descendants, full_path) only read,
// so one loaded hierarchy serves any number of parses on any threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <rdbxml/stl_string.h>

// One instance. It owns its children; names are unique among siblings.
// Searching anywhere below an instance uses an index of the whole tree at
// its top instance: a loaded hierarchy has it from the start; a tree built
// by hand gets it with its first search, once, under a lock, so that
// concurrent first searches are safe too. add_child drops it: adding is a
// change, and no lookup may run on any thread meanwhile.
class HDB_INSTANCE_NAME {
public:
    // Records `parent` without entering the new instance among its
    // children: add_child does both.
    HDB_INSTANCE_NAME(const char* name, HDB_INSTANCE_NAME* parent);
    ~HDB_INSTANCE_NAME();  // deletes the children
    HDB_INSTANCE_NAME(const HDB_INSTANCE_NAME&) = delete;
    HDB_INSTANCE_NAME& operator=(const HDB_INSTANCE_NAME&) = delete;

    const STL_STRING& name() const { return m_name; }
    HDB_INSTANCE_NAME* parent() const { return m_parent; }
    const std::vector<HDB_INSTANCE_NAME*>& children() const { return m_children; }
    // The components from the top instance down to this one, joined by '/'.
    STL_STRING full_path() const;

    HDB_INSTANCE_NAME* find_child(const char* name) const;
    // The child named `name`, made when there is none.
    HDB_INSTANCE_NAME* add_child(const char* name);

    // The instance at the '/'-separated `path` below this one, or null.
    // With `anywhere` true the path may start at any depth below this
    // instance (the first match in file order wins); with false it must
    // start at this instance's children.
    HDB_INSTANCE_NAME* find_in_descendants(const STL_STRING& path, bool anywhere) const;
    HDB_INSTANCE_NAME* find_in_descendants(const char* path, bool anywhere) const;

private:
    struct SEARCH_INDEX;  // every instance by name, in pre-order

    const HDB_INSTANCE_NAME* top() const;
    const SEARCH_INDEX& search_index() const;
    HDB_INSTANCE_NAME* walk(const std::vector<std::string_view>& parts, std::size_t from) const;
    HDB_INSTANCE_NAME* child_named(std::string_view name) const;

    STL_STRING m_name;
    HDB_INSTANCE_NAME* m_parent;
    std::vector<HDB_INSTANCE_NAME*> m_children;  // owned, in file order
    // The children by name, kept once there are many of them.
    std::unordered_map<std::string_view, HDB_INSTANCE_NAME*> m_child_index;
    // Pre-order numbers of this instance and of its last descendant; valid
    // while the top instance has its search index, written only before the
    // index is published.
    mutable std::uint32_t m_order = 0;
    mutable std::uint32_t m_order_end = 0;
    // At the top instance only, owned: null until built (at load, or by
    // the first search), dropped whenever an instance is added anywhere in
    // the tree. Published with release order, read with acquire.
    mutable std::atomic<const SEARCH_INDEX*> m_search_index{nullptr};

    friend class HDB_HIERARCHY;  // builds the index when it loads the tree
};

class HDB_ACTION_PT_INSTANCE {
public:
    explicit HDB_ACTION_PT_INSTANCE(HDB_INSTANCE_NAME* rooted_at) : m_rooted_at(rooted_at) {}
    // The instance at which the action point is rooted, or null.
    HDB_INSTANCE_NAME* get_m_rooted_at() const { return m_rooted_at; }

private:
    HDB_INSTANCE_NAME* m_rooted_at;
};

// A loaded hierarchy: owns the instance tree and its action point. Its
// search index is built by load, so lookups never write to it.
class HDB_HIERARCHY {
public:
    // Reads one instance path per line ('/'-separated; blank lines, lines of
    // blanks only and lines starting with '#' skipped; the first component
    // is the top instance and the same on every line). A trailing '\r' is
    // dropped; other blanks belong to the names. Null, with a one-line
    // reason "file:line: ..." in `error` when `error` is not null, when the
    // file cannot be read, holds no path, has an empty component or names
    // another top instance.
    static std::unique_ptr<HDB_HIERARCHY> load(const char* file_name, STL_STRING* error);

    HDB_INSTANCE_NAME* top() const { return m_top.get(); }
    HDB_ACTION_PT_INSTANCE* action_point() { return &m_action_point; }

private:
    explicit HDB_HIERARCHY(std::unique_ptr<HDB_INSTANCE_NAME> top);
    std::unique_ptr<HDB_INSTANCE_NAME> m_top;
    HDB_ACTION_PT_INSTANCE m_action_point;
};
