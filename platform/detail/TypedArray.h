// TypedArray: the growable array behind CObArray and CStringArray, with the framework's index-based members.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "platform/WinTypes.h"

namespace pelrudo::detail {

// Reading or writing an element by an index outside 0..GetUpperBound() is the caller's error, as in
// the framework; the members that insert, remove or resize accept any index and clamp or grow.
// Self is the framework class built on it, so that inserting another array of the same class is an
// exact match even where the element is a CObject pointer.
template <class T, class Self>
class TypedArray {
public:
    TypedArray() = default;
    TypedArray(const TypedArray&) = delete;
    TypedArray& operator=(const TypedArray&) = delete;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    BOOL IsEmpty() const { return m_items.empty(); }

    const T& GetAt(INT_PTR index) const { return m_items[At(index)]; }
    void SetAt(INT_PTR index, const T& value) { m_items[At(index)] = value; }
    T& ElementAt(INT_PTR index) { return m_items[At(index)]; }
    const T& operator[](INT_PTR index) const { return GetAt(index); }
    T& operator[](INT_PTR index) { return ElementAt(index); }
    const T* GetData() const { return m_items.data(); }
    T* GetData() { return m_items.data(); }

    INT_PTR Add(const T& value)
    {
        m_items.push_back(value);
        return GetUpperBound();
    }

    // Sets the element, growing the array with empty elements when the index lies beyond its end.
    void SetAtGrow(INT_PTR index, const T& value)
    {
        if (index < 0) return;
        if (index >= GetSize()) SetSize(index + 1);
        m_items[At(index)] = value;
    }

    // Inserts count copies at index; an index beyond the end grows the array up to it first.
    void InsertAt(INT_PTR index, const T& value, INT_PTR count = 1)
    {
        if (index < 0 || count <= 0) return;
        if (index > GetSize()) SetSize(index);
        m_items.insert(m_items.begin() + index, static_cast<std::size_t>(count), value);
    }

    void InsertAt(INT_PTR index, const Self* other)
    {
        if (index < 0 || !other || other->IsEmpty()) return;
        if (index > GetSize()) SetSize(index);
        const std::vector<T> copy = Items(*other);  // other may be this array
        m_items.insert(m_items.begin() + index, copy.begin(), copy.end());
    }

    // Removes up to count elements from index on; indexes outside the array remove nothing.
    void RemoveAt(INT_PTR index, INT_PTR count = 1)
    {
        if (index < 0 || index >= GetSize() || count <= 0) return;
        const INT_PTR last = std::min(GetSize(), index + std::min(count, GetSize()));
        m_items.erase(m_items.begin() + index, m_items.begin() + last);
    }

    void RemoveAll() { m_items.clear(); }

    // New elements are empty (null pointers, empty strings); the growth step is accepted and ignored.
    void SetSize(INT_PTR newSize, INT_PTR /*growBy*/ = -1) { m_items.resize(newSize > 0 ? static_cast<std::size_t>(newSize) : 0u); }
    void FreeExtra() { m_items.shrink_to_fit(); }

    // Appends the other array's elements; returns the index of the first appended one.
    INT_PTR Append(const Self& other)
    {
        const INT_PTR first = GetSize();
        InsertAt(first, &other);
        return first;
    }

    void Copy(const Self& other) { m_items = Items(other); }

private:
    static std::size_t At(INT_PTR index) { return static_cast<std::size_t>(index); }
    static const std::vector<T>& Items(const Self& other) { return static_cast<const TypedArray&>(other).m_items; }

    std::vector<T> m_items;
};

}  // namespace pelrudo::detail
