// TypedList: the doubly linked list behind CObList and CStringList, walked with POSITION values.
#pragma once

#include "platform/WinTypes.h"

namespace pelrudo::detail {

// A POSITION is the address of its node, so it stays valid until that node itself is removed.
// Using a null or removed POSITION, or reading the head or tail of an empty list, is the caller's
// error, as in the framework.
// Self is the framework class built on it, so that appending another list of the same class is an
// exact match even where the element is a CObject pointer.
template <class T, class Self>
class TypedList {
public:
    // The block size of the framework's node allocator; nodes are allocated one by one here.
    explicit TypedList(INT_PTR /*blockSize*/ = 10) {}
    TypedList(const TypedList&) = delete;
    TypedList& operator=(const TypedList&) = delete;
    ~TypedList() { RemoveAll(); }

    INT_PTR GetCount() const { return m_count; }
    INT_PTR GetSize() const { return m_count; }
    BOOL IsEmpty() const { return m_count == 0; }

    T& GetHead() { return m_head->value; }
    const T& GetHead() const { return m_head->value; }
    T& GetTail() { return m_tail->value; }
    const T& GetTail() const { return m_tail->value; }

    POSITION AddHead(const T& value) { return Link(new Node{value}, nullptr, m_head); }
    POSITION AddTail(const T& value) { return Link(new Node{value}, m_tail, nullptr); }

    // Copies the other list's elements to this list's head or tail, keeping their order.
    void AddHead(const Self* other)
    {
        if (other) CopyFrom(other->GetTailPosition(), other->GetHeadPosition(), &Node::prev, &TypedList::AddHead);
    }

    void AddTail(const Self* other)
    {
        if (other) CopyFrom(other->GetHeadPosition(), other->GetTailPosition(), &Node::next, &TypedList::AddTail);
    }

    T RemoveHead()
    {
        T value = m_head->value;
        Unlink(m_head);
        return value;
    }

    T RemoveTail()
    {
        T value = m_tail->value;
        Unlink(m_tail);
        return value;
    }

    void RemoveAll()
    {
        while (m_head) Unlink(m_head);
    }

    POSITION GetHeadPosition() const { return m_head; }
    POSITION GetTailPosition() const { return m_tail; }

    // Returns the element at pos and moves pos to the next (or previous) node, null after the last.
    T& GetNext(POSITION& pos) { return Step(pos, &Node::next)->value; }
    const T& GetNext(POSITION& pos) const { return Step(pos, &Node::next)->value; }
    T& GetPrev(POSITION& pos) { return Step(pos, &Node::prev)->value; }
    const T& GetPrev(POSITION& pos) const { return Step(pos, &Node::prev)->value; }

    T& GetAt(POSITION pos) { return AsNode(pos)->value; }
    const T& GetAt(POSITION pos) const { return AsNode(pos)->value; }
    void SetAt(POSITION pos, const T& value) { AsNode(pos)->value = value; }
    void RemoveAt(POSITION pos) { Unlink(AsNode(pos)); }

    // A null position inserts at the head (InsertBefore) or the tail (InsertAfter).
    POSITION InsertBefore(POSITION pos, const T& value)
    {
        if (!pos) return AddHead(value);
        Node* at = AsNode(pos);
        return Link(new Node{value}, at->prev, at);
    }

    POSITION InsertAfter(POSITION pos, const T& value)
    {
        if (!pos) return AddTail(value);
        Node* at = AsNode(pos);
        return Link(new Node{value}, at, at->next);
    }

    // The first node holding value after startAfter (from the head when null), or null.
    POSITION Find(const T& value, POSITION startAfter = nullptr) const
    {
        for (Node* n = startAfter ? AsNode(startAfter)->next : m_head; n; n = n->next)
            if (n->value == value) return n;
        return nullptr;
    }

    // The node at a zero-based index, or null when the index lies outside the list.
    POSITION FindIndex(INT_PTR index) const
    {
        if (index < 0 || index >= m_count) return nullptr;
        Node* n = m_head;
        for (; index > 0; --index) n = n->next;
        return n;
    }

private:
    struct Node : __POSITION {
        explicit Node(const T& v) : value(v) {}
        T value;
        Node* prev = nullptr;
        Node* next = nullptr;
    };

    static Node* AsNode(POSITION pos) { return static_cast<Node*>(pos); }

    // Walks another list from first to last (both fixed before the walk, since it may be this list) and adds
    // each element.
    void CopyFrom(POSITION first, POSITION last, Node* Node::*link,
                  POSITION (TypedList::*add)(const T&))
    {
        if (!first) return;
        for (Node* n = AsNode(first);; n = n->*link) {
            (this->*add)(n->value);
            if (n == last) return;
        }
    }

    static Node* Step(POSITION& pos, Node* Node::*link)
    {
        Node* n = AsNode(pos);
        pos = n->*link;
        return n;
    }

    POSITION Link(Node* n, Node* prev, Node* next)
    {
        n->prev = prev;
        n->next = next;
        (prev ? prev->next : m_head) = n;
        (next ? next->prev : m_tail) = n;
        ++m_count;
        return n;
    }

    void Unlink(Node* n)
    {
        (n->prev ? n->prev->next : m_head) = n->next;
        (n->next ? n->next->prev : m_tail) = n->prev;
        --m_count;
        delete n;
    }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    INT_PTR m_count = 0;
};

}  // namespace pelrudo::detail
