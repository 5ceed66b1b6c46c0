// Summary tables with their gauges: a two-column table of names and texts,
// optionally carrying a gauges object of numbered gauges.
#pragma once

#include <string_view>
#include <vector>

#include <rdbxml/rdb_table.h>

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
    // True once a gauges object holds the gauge.
    bool is_owned() const { return m_owned; }

    int get_min() const { return m_min; }
    int get_max() const { return m_max; }
    int get_value() const { return m_value; }

    // Set directly by the parser as its elements end.
    int m_min;
    int m_max;
    int m_value;

private:
    friend class RDB_GAUGES_OBJECT;

    STL_STRING m_name;
    bool m_percent;
    bool m_disabled;
    // Set as a gauges object takes the gauge, so that placing it a second
    // time is refused without searching every slot for it.
    bool m_owned = false;
};

// Numbered slots of gauges, each empty or holding a gauge it owns.
class RDB_GAUGES_OBJECT : public RDB_OBJECT {
    RDB_MEMORY_MANAGED

    // Slots a gauges object can have by default; see set_slot_limit.
    static constexpr unsigned MAX_SLOTS = 1u << 20;

    // Test hook: the slot limit of every gauges object from now on, so that
    // tests reach it without making MAX_SLOTS gauges; 0 restores MAX_SLOTS,
    // and a limit above MAX_SLOTS is taken as MAX_SLOTS. Safe while parses
    // run on other threads.
    static void set_slot_limit(unsigned limit);
    static unsigned get_slot_limit();

    // `size` empty slots to start with (none for a size of 0 or less, at
    // most the slot limit).
    RDB_GAUGES_OBJECT(const STL_STRING& name, int size);
    ~RDB_GAUGES_OBJECT() override;

    // Puts `gauge` into slot `index`. True: the object owns the gauge from
    // now on; the slots grew to reach `index` and a different gauge that was
    // in the slot is released. Giving the gauge that already is in that slot
    // changes nothing and is true as well. Null empties the slot (releasing
    // its gauge, if any) and is true.
    // False, a refusal: nothing changed, the gauge is neither kept nor
    // released and stays the caller's. Refused are a gauge already held
    // anywhere else (another slot of this object, or another gauges
    // object), an index beyond the slots that is at or beyond the slot
    // limit, and any gauge when no memory is left to grow the slots.
    // The slots grow by doubling, and nothing is searched: N gauges cost
    // O(N) in all.
    bool set_data_at(unsigned index, RDB_GAUGES_DATA_ELEMENT* gauge);
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

    // Makes `gauges` the table's gauges object. True: the table owns it
    // from now on and has released the earlier gauges object it owned (the
    // same object again changes nothing). Null releases the earlier one,
    // leaves none and is true.
    // False, a refusal: nothing changed, the gauges object is neither kept
    // nor released and stays with its owner. Refused is a gauges object
    // that already has an owner (a folder, another table, the report).
    bool set_gauges(RDB_GAUGES_OBJECT* gauges);
    RDB_GAUGES_OBJECT* get_gauges() const { return m_gauges; }
    // The gauge called `name` (byte for byte), the first in slot order when
    // several are; null when none is, or the table has no gauges.
    RDB_GAUGES_DATA_ELEMENT* find_gauge(std::string_view name);
    const RDB_GAUGES_DATA_ELEMENT* find_gauge(std::string_view name) const;

    // A summary's rows are all data: name and text.
    bool has_heading_row() const override { return false; }

    const char* get_kind() const override { return "summary"; }
    void accept(RDB_OBJECT_VISITOR& visitor) const override;

private:
    RDB_GAUGES_OBJECT* m_gauges = nullptr;
};

// Whether `object` is a summary's gauges object: a part of its summary,
// with no place or path of its own (rdb_path.h).
bool rdb_is_summary_gauges(const RDB_OBJECT& object);
