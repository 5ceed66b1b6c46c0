// Summary tables with their gauges: a two-column table of names and texts,
// optionally carrying a gauges object of numbered gauges.
#pragma once

#include <vector>

#include "rdb_table.h"

// One gauge: a named value between a minimum and a maximum.
class RDB_GAUGES_DATA_ELEMENT {
    RDB_MEMORY_MANAGED

    // Copies `name` (null reads as empty). `disabled` marks a gauge that is
    // switched off.
    RDB_GAUGES_DATA_ELEMENT(const char* name, bool percent, int min, int max, int value, bool disabled);
    RDB_GAUGES_DATA_ELEMENT(const RDB_GAUGES_DATA_ELEMENT&) = delete;
    RDB_GAUGES_DATA_ELEMENT& operator=(const RDB_GAUGES_DATA_ELEMENT&) = delete;

    const STL_STRING& get_name() const { return m_name; }
    bool is_percent() const { return m_percent; }
    bool is_disabled() const { return m_disabled; }

    // Set directly by the parser as its elements end.
    int m_min;
    int m_max;
    int m_value;

private:
    STL_STRING m_name;
    bool m_percent;
    bool m_disabled;
};

// Numbered slots of gauges, each empty or holding a gauge it owns.
class RDB_GAUGES_OBJECT : public RDB_OBJECT {
    RDB_MEMORY_MANAGED

    // Slots a gauges object can have; a gauge for a slot at or beyond it is
    // released at once and not stored.
    static constexpr unsigned MAX_SLOTS = 1u << 20;

    // `size` empty slots to start with (none for a size of 0 or less).
    RDB_GAUGES_OBJECT(const STL_STRING& name, int size);
    ~RDB_GAUGES_OBJECT() override;

    // Puts `gauge` into slot `index` and owns it. The slots grow to reach
    // `index`; nothing is dropped. A gauge already in the slot is released
    // (unless it is `gauge` itself); a gauge already in another slot moves.
    // Null empties the slot.
    void set_data_at(unsigned index, RDB_GAUGES_DATA_ELEMENT* gauge);
    // Null for an empty slot or an index beyond the slots.
    RDB_GAUGES_DATA_ELEMENT* get_data_at(unsigned index) const
    {
        return index < m_slots.size() ? m_slots[index] : nullptr;
    }
    // The size the object was built with.
    int get_size() const { return m_size; }
    // The slots it has now (the size, or more after growing).
    unsigned get_number_of_slots() const { return static_cast<unsigned>(m_slots.size()); }
    // One past the highest slot that holds a gauge; 0 when none does.
    unsigned get_number_of_used_slots() const;

    const char* get_kind() const override { return "gauges"; }
    void accept(RDB_OBJECT_VISITOR& visitor) const override;

private:
    std::vector<RDB_GAUGES_DATA_ELEMENT*> m_slots;
    int m_size;
};

class RDB_SUMMARY_TABLE_OBJECT : public RDB_TABLE_OBJECT {
    RDB_MEMORY_MANAGED

    explicit RDB_SUMMARY_TABLE_OBJECT(const STL_STRING& name);
    ~RDB_SUMMARY_TABLE_OBJECT() override;

    // Makes `gauges` the table's gauges object and owns it; the earlier one
    // is released. Null releases the earlier one and leaves none. Ignored
    // for a gauges object that already has another owner.
    void set_gauges(RDB_GAUGES_OBJECT* gauges);
    RDB_GAUGES_OBJECT* get_gauges() const { return m_gauges; }

    const char* get_kind() const override { return "summary"; }
    void accept(RDB_OBJECT_VISITOR& visitor) const override;

private:
    RDB_GAUGES_OBJECT* m_gauges = nullptr;
};
