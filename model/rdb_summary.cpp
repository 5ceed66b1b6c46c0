#include <rdbxml/rdb_summary.h>

#include <algorithm>
#include <atomic>
#include <new>

#include <rdbxml/rdb_visitor.h>

RDB_MEMORY_MANAGED_DEFINE(RDB_GAUGES_DATA_ELEMENT)
RDB_MEMORY_MANAGED_DEFINE(RDB_GAUGES_OBJECT)
RDB_MEMORY_MANAGED_DEFINE(RDB_SUMMARY_TABLE_OBJECT)

RDB_GAUGES_DATA_ELEMENT::RDB_GAUGES_DATA_ELEMENT(const char* name, bool percent, int min, int max, int value,
                                                 bool disabled)
    : m_min(min), m_max(max), m_value(value), m_name(name), m_percent(percent), m_disabled(disabled)
{
}

namespace {

// Read by every parse thread as it stores gauges; written only by tests.
std::atomic<unsigned> g_slot_limit{RDB_GAUGES_OBJECT::MAX_SLOTS};

}  // namespace

void RDB_GAUGES_OBJECT::set_slot_limit(unsigned limit)
{
    g_slot_limit.store(limit == 0 || limit > MAX_SLOTS ? MAX_SLOTS : limit, std::memory_order_relaxed);
}

unsigned RDB_GAUGES_OBJECT::get_slot_limit() { return g_slot_limit.load(std::memory_order_relaxed); }

RDB_GAUGES_OBJECT::RDB_GAUGES_OBJECT(const STL_STRING& name, int size) : RDB_OBJECT(name), m_size(size)
{
    if (size > 0)
        m_slots.resize(std::min(static_cast<unsigned>(size), get_slot_limit()), nullptr);
}

RDB_GAUGES_OBJECT::~RDB_GAUGES_OBJECT()
{
    for (RDB_GAUGES_DATA_ELEMENT* gauge : m_slots)
        delete gauge;
}

bool RDB_GAUGES_OBJECT::set_data_at(unsigned index, RDB_GAUGES_DATA_ELEMENT* gauge)
{
    // Already there: refusing it would tell the caller to release a gauge
    // that this object owns.
    if (index < m_slots.size() && m_slots[index] == gauge)
        return true;
    if (gauge == nullptr) {
        // Beyond the slots there is nothing to empty.
        if (index < m_slots.size()) {
            delete m_slots[index];
            m_slots[index] = nullptr;
        }
        return true;
    }
    if (gauge->m_owned)
        return false;
    if (index >= m_slots.size()) {
        unsigned limit = get_slot_limit();
        if (index >= limit)
            return false;
        try {
            // Growing to index + 1 alone would reallocate on every append
            // of consecutive gauges: double instead, up to the limit.
            if (index >= m_slots.capacity()) {
                std::size_t doubled = std::max<std::size_t>(2 * m_slots.capacity(), 16);
                m_slots.reserve(std::min<std::size_t>(std::max<std::size_t>(doubled, index + 1), limit));
            }
            m_slots.resize(index + 1, nullptr);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    delete m_slots[index];
    m_slots[index] = gauge;
    gauge->m_owned = true;
    return true;
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

bool RDB_SUMMARY_TABLE_OBJECT::set_gauges(RDB_GAUGES_OBJECT* gauges)
{
    if (gauges == m_gauges)
        return true;
    if (gauges != nullptr && gauges->m_owner != nullptr)
        return false;
    delete m_gauges;
    m_gauges = gauges;
    if (gauges != nullptr)
        gauges->m_owner = this;
    return true;
}

RDB_GAUGES_DATA_ELEMENT* RDB_SUMMARY_TABLE_OBJECT::find_gauge(std::string_view name)
{
    if (m_gauges == nullptr)
        return nullptr;
    for (unsigned i = 0; i < m_gauges->get_number_of_slots(); ++i) {
        RDB_GAUGES_DATA_ELEMENT* gauge = m_gauges->get_data_at(i);
        if (gauge != nullptr && gauge->get_name().view() == name)
            return gauge;
    }
    return nullptr;
}

const RDB_GAUGES_DATA_ELEMENT* RDB_SUMMARY_TABLE_OBJECT::find_gauge(std::string_view name) const
{
    return const_cast<RDB_SUMMARY_TABLE_OBJECT*>(this)->find_gauge(name);
}

void RDB_SUMMARY_TABLE_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }

bool rdb_is_summary_gauges(const RDB_OBJECT& object)
{
    const RDB_OBJECT* owner = object.get_owner();
    return owner != nullptr && dynamic_cast<const RDB_SUMMARY_TABLE_OBJECT*>(owner) != nullptr;
}
