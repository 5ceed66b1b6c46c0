// GEN_POINTER_RANGE: the pointers of a contiguous array, for range-for,
// handed out as P (for example `const RDB_OBJECT*` over an array of
// `RDB_OBJECT*`, so that a const walk never yields mutable objects).
#pragma once

#include <cstddef>
#include <iterator>

template <class P, class STORED>
class GEN_POINTER_RANGE {
public:
    class iterator {
    public:
        typedef std::random_access_iterator_tag iterator_category;
        typedef P value_type;
        typedef std::ptrdiff_t difference_type;
        typedef const P* pointer;
        typedef P reference;

        iterator() = default;
        explicit iterator(const STORED* at) : m_at(at) {}
        P operator*() const { return static_cast<P>(*m_at); }
        P operator[](difference_type n) const { return static_cast<P>(m_at[n]); }
        iterator& operator++()
        {
            ++m_at;
            return *this;
        }
        iterator operator++(int)
        {
            iterator before = *this;
            ++m_at;
            return before;
        }
        iterator& operator--()
        {
            --m_at;
            return *this;
        }
        iterator& operator+=(difference_type n)
        {
            m_at += n;
            return *this;
        }
        friend iterator operator+(iterator it, difference_type n) { return it += n; }
        friend difference_type operator-(iterator a, iterator b) { return a.m_at - b.m_at; }
        friend bool operator==(iterator a, iterator b) { return a.m_at == b.m_at; }
        friend bool operator!=(iterator a, iterator b) { return a.m_at != b.m_at; }
        friend bool operator<(iterator a, iterator b) { return a.m_at < b.m_at; }

    private:
        const STORED* m_at = nullptr;
    };

    GEN_POINTER_RANGE(const STORED* first, std::size_t count) : m_first(first), m_count(count) {}

    iterator begin() const { return iterator(m_first); }
    iterator end() const { return iterator(m_first + m_count); }
    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    P operator[](std::size_t i) const { return static_cast<P>(m_first[i]); }

private:
    const STORED* m_first;
    std::size_t m_count;
};
