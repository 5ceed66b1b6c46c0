// STL_LIST_: a small circular doubly linked list whose nodes come from the
// memory manager. It carries the slack table's column-type list.
#pragma once

#include <cstddef>
#include <new>

#include <rdbxml/mem_manager.h>

template <class T>
class STL_LIST_ {
    // The links every node starts with. The sentinel is only links: its
    // pair is never constructed.
    struct LINK {
        LINK* m_next;
        LINK* m_prev;
    };
    struct NODE : LINK {
        NODE(LINK* next, LINK* prev, const T& value) : LINK{next, prev}, m_value(value) {}
        T m_value;
    };

public:
    class const_iterator {
    public:
        explicit const_iterator(const LINK* link) : m_link(link) {}
        const T& operator*() const { return static_cast<const NODE*>(m_link)->m_value; }
        const T* operator->() const { return &static_cast<const NODE*>(m_link)->m_value; }
        const_iterator& operator++()
        {
            m_link = m_link->m_next;
            return *this;
        }
        bool operator==(const const_iterator& o) const { return m_link == o.m_link; }
        bool operator!=(const const_iterator& o) const { return m_link != o.m_link; }

    private:
        const LINK* m_link;
    };

    // An empty list. Throws std::bad_alloc when the sentinel cannot be allocated.
    STL_LIST_()
    {
        void* p = MEM_MANAGER::new_wrapper(sizeof(LINK), MEM_SITE_TRACKER(LINK, "RDB_XML"),
                                           "h/mem_alloc_sys");
        if (p == nullptr)
            throw std::bad_alloc();
        m_sentinel = new (p) LINK{nullptr, nullptr};
        m_sentinel->m_next = m_sentinel;
        m_sentinel->m_prev = m_sentinel;
    }
    ~STL_LIST_()
    {
        clear();
        MEM_MANAGER::delete_wrapper(m_sentinel, "RDB_XML");
    }
    STL_LIST_(const STL_LIST_&) = delete;
    STL_LIST_& operator=(const STL_LIST_&) = delete;

    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }

    // Appends a copy of `value`; false when no memory was obtained.
    bool push_back(const T& value)
    {
        NODE* node;
        try {
            node = mem_new<NODE>(MEM_SITE_TRACKER(NODE, "RDB_XML"), "h/mem_alloc_sys",
                                 m_sentinel, m_sentinel->m_prev, value);
        } catch (const std::bad_alloc&) {  // copying the value ran out of memory
            return false;
        }
        if (node == nullptr)
            return false;
        m_sentinel->m_prev->m_next = node;
        m_sentinel->m_prev = node;
        ++m_count;
        return true;
    }

    // Unlinks and frees every element, first to last.
    void clear()
    {
        LINK* link = m_sentinel->m_next;
        while (link != m_sentinel) {
            LINK* next = link->m_next;
            link->m_prev->m_next = next;
            next->m_prev = link->m_prev;
            --m_count;
            mem_delete(static_cast<NODE*>(link), "RDB_XML");
            link = next;
        }
    }

    const_iterator begin() const { return const_iterator(m_sentinel->m_next); }
    const_iterator end() const { return const_iterator(m_sentinel); }

private:
    std::size_t m_count = 0;
    LINK* m_sentinel;
};
