// Aligning two lists by content, as diff(1) aligns lines: Myers' O(ND)
// alignment in linear space, which splits the lists at the middle of an
// alignment of fewest edits (found by searching from both ends at once)
// and aligns the two halves alike, down to runs that are equal or one-sided.
#include "rdb_diff_pairs.h"

#include <algorithm>
#include <cstddef>

namespace {

typedef std::ptrdiff_t INDEX;
typedef std::vector<std::size_t> IDS;

class ALIGNER {
public:
    ALIGNER(const IDS& old_ids, const IDS& new_ids) : m_a(old_ids), m_b(new_ids) {}

    // The equal pairs of a fewest-edit alignment of the whole lists, in
    // order; false when it takes more than `cap` edits, and then those of
    // the lists up to as far as `cap` edits reach.
    bool run(std::size_t cap, std::vector<RDB_DIFF_PAIR>& matches)
    {
        m_matches = &matches;
        INDEX a0 = 0, a1 = static_cast<INDEX>(m_a.size()), b0 = 0, b1 = static_cast<INDEX>(m_b.size());
        INDEX suffix = trim(a0, a1, b0, b1);
        // What only one list has is no work to align, but still as many edits.
        bool whole = !(a0 == a1 || b0 == b1) || static_cast<std::size_t>(a1 - a0 + b1 - b0) <= cap;
        if (a0 < a1 && b0 < b1) {
            INDEX limit = static_cast<INDEX>(std::min<std::size_t>(cap, static_cast<std::size_t>(a1 - a0 + b1 - b0)));
            INDEX x = 0, y = 0;
            if (middle(a0, a1, b0, b1, limit, x, y)) {
                align(a0, a0 + x, b0, b0 + y);
                align(a0 + x, a1, b0 + y, b1);
            } else {
                whole = false;
                furthest(a0, a1, b0, b1, limit, x, y);
                align(a0, a0 + x, b0, b0 + y);
            }
        }
        for (INDEX i = 0; i < suffix; ++i)
            match(a1 + i, b1 + i);
        return whole;
    }

private:
    void match(INDEX a, INDEX b)
    {
        m_matches->push_back({static_cast<std::size_t>(a), static_cast<std::size_t>(b)});
    }

    // Matches the common start of a[a0, a1) and b[b0, b1) and takes it off,
    // then the common end, which it leaves to the caller: its length.
    INDEX trim(INDEX& a0, INDEX& a1, INDEX& b0, INDEX& b1)
    {
        for (; a0 < a1 && b0 < b1 && m_a[a0] == m_b[b0]; ++a0, ++b0)
            match(a0, b0);
        INDEX suffix = 0;
        for (; a0 < a1 && b0 < b1 && m_a[a1 - 1] == m_b[b1 - 1]; --a1, --b1)
            ++suffix;
        return suffix;
    }

    // The matches of a fewest-edit alignment of a[a0, a1) and b[b0, b1).
    // Each split halves the edits, so the depth is their logarithm.
    void align(INDEX a0, INDEX a1, INDEX b0, INDEX b1)
    {
        INDEX suffix = trim(a0, a1, b0, b1);
        if (a0 < a1 && b0 < b1) {
            INDEX x = 0, y = 0;
            middle(a0, a1, b0, b1, a1 - a0 + b1 - b0, x, y);
            align(a0, a0 + x, b0, b0 + y);
            align(a0 + x, a1, b0 + y, b1);
        }
        for (INDEX i = 0; i < suffix; ++i)
            match(a1 + i, b1 + i);
    }

    // One step of a search, forward or backward, on diagonal x - y = k in
    // round d: the furthest x its neighbours in `reached` lead to, then on
    // along the items `same` finds equal; kept in `reached` and returned.
    template <typename SAME>
    static INDEX reach(std::vector<INDEX>& reached, INDEX offset, INDEX k, INDEX d, INDEX n, INDEX m, SAME&& same)
    {
        const INDEX at = offset + k;
        INDEX x = k == -d || (k != d && reached[at - 1] < reached[at + 1]) ? reached[at + 1] : reached[at - 1] + 1;
        for (INDEX y = x - k; x < n && y < m && same(x, y); ++y)
            ++x;
        reached[at] = x;
        return x;
    }

    // Where a fewest-edit alignment of a[a0, a1) and b[b0, b1) (neither
    // empty, their first items differ, and their last) crosses the middle:
    // (x, y) from (a0, b0), a point after which the rest aligns with the
    // edits left. False when the alignment takes more than `limit` edits.
    // m_forward[k] is the furthest x that d edits reach on diagonal x - y
    // = k from the start, m_backward[k] the same from the end backwards.
    bool middle(INDEX a0, INDEX a1, INDEX b0, INDEX b1, INDEX limit, INDEX& x, INDEX& y)
    {
        const INDEX n = a1 - a0, m = b1 - b0;
        // D edits are found at round ceil(D / 2); D is at most n + m.
        const INDEX rounds = std::min((n + m + 1) / 2 + 1, limit / 2 + 2);
        const INDEX offset = rounds + 1, length = 2 * rounds + 3;
        m_forward.assign(static_cast<std::size_t>(length), -1);
        m_backward.assign(static_cast<std::size_t>(length), -1);
        m_forward[offset + 1] = m_backward[offset + 1] = 0;
        const INDEX delta = n - m;
        const bool odd = (delta & 1) != 0;  // the paths meet on a forward step
        INDEX k1_start = 0, k1_end = 0, k2_start = 0, k2_end = 0;
        for (INDEX d = 0; d < rounds; ++d) {
            for (INDEX k1 = -d + k1_start; k1 <= d - k1_end; k1 += 2) {
                const INDEX x1 = reach(m_forward, offset, k1, d, n, m,
                                       [&](INDEX i, INDEX j) { return m_a[a0 + i] == m_b[b0 + j]; });
                const INDEX y1 = x1 - k1;
                if (x1 > n) {
                    k1_end += 2;  // off the right edge
                } else if (y1 > m) {
                    k1_start += 2;  // off the bottom edge
                } else if (odd) {
                    const INDEX other = offset + delta - k1;
                    if (other >= 0 && other < length && m_backward[other] != -1 && x1 >= n - m_backward[other]) {
                        if (2 * d - 1 > limit)
                            return false;
                        x = x1;
                        y = y1;
                        return true;
                    }
                }
            }
            for (INDEX k2 = -d + k2_start; k2 <= d - k2_end; k2 += 2) {
                const INDEX x2 = reach(m_backward, offset, k2, d, n, m,
                                       [&](INDEX i, INDEX j) { return m_a[a1 - 1 - i] == m_b[b1 - 1 - j]; });
                const INDEX y2 = x2 - k2;
                if (x2 > n) {
                    k2_end += 2;
                } else if (y2 > m) {
                    k2_start += 2;
                } else if (!odd) {
                    const INDEX other = offset + delta - k2;
                    if (other >= 0 && other < length && m_forward[other] != -1) {
                        const INDEX x1 = m_forward[other];
                        if (x1 >= n - x2) {
                            if (2 * d > limit)
                                return false;
                            x = x1;
                            y = x1 - (other - offset);
                            return true;
                        }
                    }
                }
            }
        }
        return false;
    }

    // The point (x, y) from (a0, b0), furthest along both lists, that
    // `limit` edits reach from the start (Myers' forward search alone).
    void furthest(INDEX a0, INDEX a1, INDEX b0, INDEX b1, INDEX limit, INDEX& x, INDEX& y)
    {
        const INDEX n = a1 - a0, m = b1 - b0;
        const INDEX offset = limit + 1, length = 2 * limit + 3;
        m_forward.assign(static_cast<std::size_t>(length), -1);
        m_forward[offset + 1] = 0;
        INDEX k_start = 0, k_end = 0;
        x = y = 0;
        for (INDEX d = 0; d <= limit; ++d) {
            for (INDEX k = -d + k_start; k <= d - k_end; k += 2) {
                const INDEX x1 = reach(m_forward, offset, k, d, n, m,
                                       [&](INDEX i, INDEX j) { return m_a[a0 + i] == m_b[b0 + j]; });
                const INDEX y1 = x1 - k;
                if (x1 > n)
                    k_end += 2;
                else if (y1 > m)
                    k_start += 2;
                else if (x1 + y1 > x + y)
                    x = x1, y = y1;
            }
        }
    }

    const IDS& m_a;
    const IDS& m_b;
    std::vector<RDB_DIFF_PAIR>* m_matches = nullptr;
    std::vector<INDEX> m_forward;
    std::vector<INDEX> m_backward;
};

// The items of a run, old [o0, o1) and new [n0, n1), that no equal pair
// has: paired in order, then the surplus.
void run_of(std::size_t o0, std::size_t o1, std::size_t n0, std::size_t n1, std::vector<RDB_DIFF_PAIR>& pairs)
{
    for (; o0 < o1 && n0 < n1; ++o0, ++n0)
        pairs.push_back({o0, n0});
    for (; o0 < o1; ++o0)
        pairs.push_back({o0, RDB_DIFF_NO_ITEM});
    for (; n0 < n1; ++n0)
        pairs.push_back({RDB_DIFF_NO_ITEM, n0});
}

}  // namespace

RDB_DIFF_MATCH rdb_diff_align_ids(const std::vector<std::size_t>& old_ids, const std::vector<std::size_t>& new_ids,
                                  std::size_t cap, std::vector<RDB_DIFF_PAIR>& pairs)
{
    pairs.clear();
    std::vector<RDB_DIFF_PAIR> matches;
    bool whole = ALIGNER(old_ids, new_ids).run(cap, matches);
    std::size_t next_old = 0, next_new = 0;
    for (const RDB_DIFF_PAIR& match : matches) {
        run_of(next_old, match.m_old, next_new, match.m_new, pairs);
        pairs.push_back(match);
        next_old = match.m_old + 1;
        next_new = match.m_new + 1;
    }
    run_of(next_old, old_ids.size(), next_new, new_ids.size(), pairs);
    return whole ? RDB_DIFF_MATCH_BY_CONTENT : RDB_DIFF_MATCH_REPLACED;
}
