#include "rdb_diff_key_finder.h"

std::size_t RDB_DIFF_KEY_FINDER::find(const RDB_DIFF_PATHS& paths, RDB_DIFF_PATHS::NODE node)
{
    if (m_keys.empty())
        return NONE;
    // The folders above the node that no earlier node has led through,
    // nearest first.
    std::vector<RDB_DIFF_PATHS::NODE> open;
    RDB_DIFF_PATHS::NODE known = paths.parent(node);
    if (m_above.empty()) {
        PROGRESSES& root = m_above[RDB_DIFF_PATHS::ROOT];
        root.resize(m_keys.size());
        for (std::size_t k = 0; k < m_keys.size(); ++k)
            m_keys[k].m_pattern.start(root[k]);
    }
    for (; m_above.count(known) == 0; known = paths.parent(known))
        open.push_back(known);
    auto step = [&](const PROGRESSES& before, RDB_DIFF_PATHS::NODE to, PROGRESSES& after) {
        after.resize(m_keys.size());
        for (std::size_t k = 0; k < m_keys.size(); ++k)
            m_keys[k].m_pattern.advance(before[k], paths.step(to), after[k]);
    };
    for (auto folder = open.rbegin(); folder != open.rend(); ++folder) {
        PROGRESSES after;
        step(m_above.at(known), *folder, after);
        known = *folder;
        m_above.emplace(known, std::move(after));
    }
    PROGRESSES here;
    step(m_above.at(known), node, here);
    for (std::size_t k = 0; k < m_keys.size(); ++k)
        if (m_keys[k].m_pattern.accepts(here[k]))
            return k;
    return NONE;
}
