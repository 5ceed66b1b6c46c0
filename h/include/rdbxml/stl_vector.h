// Row container: a growable vector of untyped pointers, and its typed view.
// The vector holds the pointers only; whoever owns the elements frees them.
#pragma once

#include <cstddef>
#include <type_traits>
#include <vector>

#include <rdbxml/gen_pointer_range.h>

#include <rdbxml/mem_allocator.h>

class STL_VECTOR_OF_VOID_PTRS {
public:
    STL_VECTOR_OF_VOID_PTRS() = default;
    virtual ~STL_VECTOR_OF_VOID_PTRS() = default;

    void push_back(void* p) { m_items.push_back(p); }
    std::size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    void* at(std::size_t i) const { return i < m_items.size() ? m_items[i] : nullptr; }
    void clear() { m_items.clear(); }
    void reserve(std::size_t n) { m_items.reserve(n); }

protected:
    void* const* data() const { return m_items.data(); }

private:
    std::vector<void*, MEM_ALLOCATOR<void*>> m_items;
};

// T is a pointer type, for example RDB_TABLE_ELEMENT*. Range-for walks the
// elements; through a const vector they are pointers to const.
template <class T>
class STL_VECTOR_OF_PTRS_ : public STL_VECTOR_OF_VOID_PTRS {
public:
    typedef const std::remove_pointer_t<T>* const_pointer;

    void push_back(T p) { STL_VECTOR_OF_VOID_PTRS::push_back(static_cast<void*>(p)); }
    T operator[](std::size_t i) const { return static_cast<T>(at(i)); }

    GEN_POINTER_RANGE<T, void*> elements() { return {data(), size()}; }
    GEN_POINTER_RANGE<const_pointer, void*> elements() const { return {data(), size()}; }
    typename GEN_POINTER_RANGE<T, void*>::iterator begin() { return elements().begin(); }
    typename GEN_POINTER_RANGE<T, void*>::iterator end() { return elements().end(); }
    typename GEN_POINTER_RANGE<const_pointer, void*>::iterator begin() const { return elements().begin(); }
    typename GEN_POINTER_RANGE<const_pointer, void*>::iterator end() const { return elements().end(); }
};
