#include <rdbxml/hdb_instance.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <utility>

namespace {

// Children are searched one by one up to this many; beyond, by name index.
const std::size_t CHILD_INDEX_FROM = 16;

// Splits `path` at '/'. False when the path or any component is empty.
bool split_path(std::string_view path, std::vector<std::string_view>* parts)
{
    parts->clear();
    if (path.empty())
        return false;
    std::size_t start = 0;
    for (;;) {
        std::size_t slash = path.find('/', start);
        std::string_view part = path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
        if (part.empty())
            return false;
        parts->push_back(part);
        if (slash == std::string_view::npos)
            return true;
        start = slash + 1;
    }
}

std::string_view view_of(const STL_STRING& s) { return std::string_view(s.c_str(), s.size()); }

}  // namespace

struct HDB_INSTANCE_NAME::SEARCH_INDEX {
    std::unordered_map<std::string_view, std::vector<const HDB_INSTANCE_NAME*>> m_by_name;
};

HDB_INSTANCE_NAME::HDB_INSTANCE_NAME(const char* name, HDB_INSTANCE_NAME* parent) : m_name(name), m_parent(parent) {}

HDB_INSTANCE_NAME::~HDB_INSTANCE_NAME()
{
    delete m_search_index.load(std::memory_order_acquire);
    for (HDB_INSTANCE_NAME* child : m_children)
        delete child;
}

STL_STRING HDB_INSTANCE_NAME::full_path() const
{
    std::vector<const HDB_INSTANCE_NAME*> chain;
    for (const HDB_INSTANCE_NAME* p = this; p != nullptr; p = p->m_parent)
        chain.push_back(p);
    STL_STRING path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin())
            path += "/";
        path.append((*it)->m_name);
    }
    return path;
}

HDB_INSTANCE_NAME* HDB_INSTANCE_NAME::child_named(std::string_view name) const
{
    if (!m_child_index.empty()) {
        auto it = m_child_index.find(name);
        return it == m_child_index.end() ? nullptr : it->second;
    }
    for (HDB_INSTANCE_NAME* child : m_children)
        if (view_of(child->m_name) == name)
            return child;
    return nullptr;
}

HDB_INSTANCE_NAME* HDB_INSTANCE_NAME::find_child(const char* name) const
{
    return name == nullptr ? nullptr : child_named(name);
}

HDB_INSTANCE_NAME* HDB_INSTANCE_NAME::add_child(const char* name)
{
    if (HDB_INSTANCE_NAME* existing = find_child(name))
        return existing;
    std::unique_ptr<HDB_INSTANCE_NAME> child(new HDB_INSTANCE_NAME(name, this));
    m_children.push_back(child.get());
    HDB_INSTANCE_NAME* added = child.release();
    // The index keys view the children's own names, which never change.
    if (!m_child_index.empty())
        m_child_index.emplace(view_of(added->m_name), added);
    else if (m_children.size() >= CHILD_INDEX_FROM)
        for (HDB_INSTANCE_NAME* c : m_children)
            m_child_index.emplace(view_of(c->m_name), c);
    delete top()->m_search_index.exchange(nullptr, std::memory_order_acq_rel);
    return added;
}

const HDB_INSTANCE_NAME* HDB_INSTANCE_NAME::top() const
{
    const HDB_INSTANCE_NAME* p = this;
    while (p->m_parent != nullptr)
        p = p->m_parent;
    return p;
}

// Numbers the whole tree in pre-order (children in file order) and lists
// every instance under its name in that order. Once built, it is only read:
// the fast path is one acquire load. Building is rare (once per tree, or
// after a change), so one lock serves every tree.
const HDB_INSTANCE_NAME::SEARCH_INDEX& HDB_INSTANCE_NAME::search_index() const
{
    const HDB_INSTANCE_NAME* root = top();
    if (const SEARCH_INDEX* built = root->m_search_index.load(std::memory_order_acquire))
        return *built;
    static std::mutex building;
    std::lock_guard<std::mutex> lock(building);
    if (const SEARCH_INDEX* built = root->m_search_index.load(std::memory_order_acquire))
        return *built;
    std::unique_ptr<SEARCH_INDEX> index(new SEARCH_INDEX);
    std::uint32_t next = 0;
    // Iterative, so that very deep trees cannot exhaust the call stack.
    std::vector<std::pair<const HDB_INSTANCE_NAME*, std::size_t>> stack;
    stack.emplace_back(root, 0);
    root->m_order = next++;
    index->m_by_name[view_of(root->m_name)].push_back(root);
    while (!stack.empty()) {
        auto& [node, child] = stack.back();
        if (child == node->m_children.size()) {
            node->m_order_end = next - 1;
            stack.pop_back();
            continue;
        }
        const HDB_INSTANCE_NAME* c = node->m_children[child++];
        c->m_order = next++;
        index->m_by_name[view_of(c->m_name)].push_back(c);
        stack.emplace_back(c, 0);
    }
    const SEARCH_INDEX* built = index.release();
    root->m_search_index.store(built, std::memory_order_release);
    return *built;
}

HDB_INSTANCE_NAME* HDB_INSTANCE_NAME::walk(const std::vector<std::string_view>& parts, std::size_t from) const
{
    const HDB_INSTANCE_NAME* node = this;
    for (std::size_t i = from; i < parts.size() && node != nullptr; ++i)
        node = node->child_named(parts[i]);
    return const_cast<HDB_INSTANCE_NAME*>(node);
}

HDB_INSTANCE_NAME* HDB_INSTANCE_NAME::find_in_descendants(const STL_STRING& path, bool anywhere) const
{
    std::vector<std::string_view> parts;
    if (!split_path(view_of(path), &parts))
        return nullptr;
    if (!anywhere)
        return walk(parts, 0);
    // The path starts at some descendant named like its first component:
    // try them in pre-order, which lists this instance's descendants as one
    // run after the instance itself.
    const SEARCH_INDEX& index = search_index();
    auto found = index.m_by_name.find(parts[0]);
    if (found == index.m_by_name.end())
        return nullptr;
    const std::vector<const HDB_INSTANCE_NAME*>& starts = found->second;
    auto it = std::upper_bound(starts.begin(), starts.end(), m_order,
                               [](std::uint32_t order, const HDB_INSTANCE_NAME* n) { return order < n->m_order; });
    for (; it != starts.end() && (*it)->m_order <= m_order_end; ++it)
        if (HDB_INSTANCE_NAME* match = (*it)->walk(parts, 1))
            return match;
    return nullptr;
}

HDB_INSTANCE_NAME* HDB_INSTANCE_NAME::find_in_descendants(const char* path, bool anywhere) const
{
    return find_in_descendants(STL_STRING(path), anywhere);
}

HDB_HIERARCHY::HDB_HIERARCHY(std::unique_ptr<HDB_INSTANCE_NAME> top)
    : m_top(std::move(top)), m_action_point(m_top.get())
{
}

namespace {

bool load_failed(STL_STRING* error, const std::string& reason)
{
    if (error != nullptr)
        *error = reason.c_str();
    return false;
}

bool is_blank(const std::string& line)
{
    return line.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

std::unique_ptr<HDB_HIERARCHY> HDB_HIERARCHY::load(const char* file_name, STL_STRING* error)
{
    std::string name = file_name != nullptr ? file_name : "";
    struct stat st;
    if (::stat(name.c_str(), &st) != 0) {
        load_failed(error, name + ": " + std::strerror(errno));
        return nullptr;
    }
    if (S_ISDIR(st.st_mode)) {
        load_failed(error, name + ": " + std::strerror(EISDIR));
        return nullptr;
    }
    std::ifstream in(name, std::ios::in | std::ios::binary);
    if (!in) {
        load_failed(error, name + ": cannot open the file");
        return nullptr;
    }

    std::unique_ptr<HDB_INSTANCE_NAME> top;
    std::string line;
    std::vector<std::string_view> parts;
    for (unsigned long number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (is_blank(line) || line[0] == '#')
            continue;
        std::string where = name + ":" + std::to_string(number) + ": ";
        if (!split_path(line, &parts)) {
            load_failed(error, where + "empty instance name in \"" + line + "\"");
            return nullptr;
        }
        std::string first(parts[0]);
        if (!top) {
            top.reset(new HDB_INSTANCE_NAME(first.c_str(), nullptr));
        } else if (view_of(top->name()) != parts[0]) {
            load_failed(error, where + "top instance \"" + first + "\" differs from \"" + top->name().c_str() + "\"");
            return nullptr;
        }
        HDB_INSTANCE_NAME* node = top.get();
        for (std::size_t i = 1; i < parts.size(); ++i)
            node = node->add_child(std::string(parts[i]).c_str());
    }
    if (in.bad()) {
        load_failed(error, name + ": read error");
        return nullptr;
    }
    if (!top) {
        load_failed(error, name + ": no instance paths");
        return nullptr;
    }
    // Built now, before any parse can share the tree.
    top->search_index();
    return std::unique_ptr<HDB_HIERARCHY>(new HDB_HIERARCHY(std::move(top)));
}
