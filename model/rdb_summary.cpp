#include "rdb_summary.h"

#include <algorithm>
#include <new>

#include "rdb_visitor.h"

RDB_MEMORY_MANAGED_DEFINE(RDB_GAUGES_DATA_ELEMENT)
RDB_MEMORY_MANAGED_DEFINE(RDB_GAUGES_OBJECT)
RDB_MEMORY_MANAGED_DEFINE(RDB_SUMMARY_TABLE_OBJECT)

RDB_GAUGES_DATA_ELEMENT::RDB_GAUGES_DATA_ELEMENT(const char* name, bool percent, int min, int max, int value,
                                                 bool disabled)
    : m_min(min), m_max(max), m_value(value), m_name(name), m_percent(percent), m_disabled(disabled)
{
}

RDB_GAUGES_OBJECT::RDB_GAUGES_OBJECT(const STL_STRING& name, int size) : RDB_OBJECT(name), m_size(size)
{
    if (size > 0)
        m_slots.resize(std::min(static_cast<unsigned>(size), MAX_SLOTS), nullptr);
}

RDB_GAUGES_OBJECT::~RDB_GAUGES_OBJECT()
{
    for (RDB_GAUGES_DATA_ELEMENT* gauge : m_slots)
        delete gauge;
}

void RDB_GAUGES_OBJECT::set_data_at(unsigned index, RDB_GAUGES_DATA_ELEMENT* gauge)
{
    if (index < m_slots.size() && m_slots[index] == gauge)
        return;
    if (index >= m_slots.size()) {
        bool grown = false;
        if (index < MAX_SLOTS) {
            try {
                m_slots.resize(index + 1, nullptr);
                grown = true;
            } catch (const std::bad_alloc&) {
            }
        }
        if (!grown) {
            // Owned from the call on, but there is no slot to keep it in.
            if (std::find(m_slots.begin(), m_slots.end(), gauge) == m_slots.end())
                delete gauge;
            return;
        }
    }
    if (gauge != nullptr)
        std::replace(m_slots.begin(), m_slots.end(), gauge, static_cast<RDB_GAUGES_DATA_ELEMENT*>(nullptr));
    delete m_slots[index];
    m_slots[index] = gauge;
}

unsigned RDB_GAUGES_OBJECT::get_number_of_used_slots() const
{
    unsigned used = static_cast<unsigned>(m_slots.size());
    while (used > 0 && m_slots[used - 1] == nullptr)
        --used;
    return used;
}

void RDB_GAUGES_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }

RDB_SUMMARY_TABLE_OBJECT::RDB_SUMMARY_TABLE_OBJECT(const STL_STRING& name)
    : RDB_TABLE_OBJECT(name, RDB_OBJECT_TYPE_SUMMARY_TABLE)
{
}

RDB_SUMMARY_TABLE_OBJECT::~RDB_SUMMARY_TABLE_OBJECT() { delete m_gauges; }

void RDB_SUMMARY_TABLE_OBJECT::set_gauges(RDB_GAUGES_OBJECT* gauges)
{
    if (gauges == m_gauges)
        return;
    if (gauges != nullptr && gauges->m_owner != nullptr)
        return;
    delete m_gauges;
    m_gauges = gauges;
    if (gauges != nullptr)
        gauges->m_owner = this;
}

void RDB_SUMMARY_TABLE_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }
