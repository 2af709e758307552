// Tests of CObArray and CStringArray: index-based access, insertion, removal and resizing.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/CObArray.h"
#include "platform/CStringArray.h"

namespace {

class CEntry : public CObject {
public:
    explicit CEntry(int id) : m_id(id) {}
    int m_id;
};

// An array of entries and the entries themselves, which the array does not own.
class CObArrayTest : public ::testing::Test {
protected:
    CObject* Entry(int id)
    {
        m_owned.push_back(std::make_unique<CEntry>(id));
        return m_owned.back().get();
    }
    static int Id(CObject* p) { return p ? static_cast<CEntry*>(p)->m_id : -1; }
    std::vector<int> Ids() const
    {
        std::vector<int> ids;
        for (INT_PTR i = 0; i < m_array.GetSize(); ++i) ids.push_back(Id(m_array[i]));
        return ids;
    }

    std::vector<std::unique_ptr<CEntry>> m_owned;
    CObArray m_array;
};

}  // namespace

TEST_F(CObArrayTest, AddReturnsIndexAndGrows)
{
    EXPECT_TRUE(m_array.IsEmpty());
    EXPECT_EQ(m_array.GetUpperBound(), -1);
    EXPECT_EQ(m_array.Add(Entry(1)), 0);
    EXPECT_EQ(m_array.Add(Entry(2)), 1);
    EXPECT_EQ(m_array.GetSize(), 2);
    EXPECT_EQ(m_array.GetCount(), 2);
    EXPECT_EQ(m_array.GetUpperBound(), 1);
    EXPECT_FALSE(m_array.IsEmpty());
    EXPECT_EQ(Id(m_array.GetAt(1)), 2);
    EXPECT_TRUE(m_array.IsKindOf(RUNTIME_CLASS(CObject)));
}

TEST_F(CObArrayTest, SetAtElementAtAndSubscript)
{
    m_array.Add(Entry(1));
    m_array.Add(Entry(2));
    m_array.SetAt(0, Entry(10));
    m_array.ElementAt(1) = Entry(20);
    EXPECT_EQ(Ids(), (std::vector<int>{10, 20}));
    m_array[0] = nullptr;
    EXPECT_EQ(m_array.GetAt(0), nullptr);
}

TEST_F(CObArrayTest, InsertAtMiddleEndAndBeyond)
{
    m_array.Add(Entry(1));
    m_array.Add(Entry(3));
    m_array.InsertAt(1, Entry(2));
    m_array.InsertAt(0, Entry(0), 2);
    m_array.InsertAt(m_array.GetSize(), Entry(4));
    EXPECT_EQ(Ids(), (std::vector<int>{0, 0, 1, 2, 3, 4}));
    m_array.InsertAt(8, Entry(8));  // grows with null elements up to the index
    EXPECT_EQ(Ids(), (std::vector<int>{0, 0, 1, 2, 3, 4, -1, -1, 8}));
    m_array.InsertAt(-1, Entry(9));
    EXPECT_EQ(m_array.GetSize(), 9);
}

TEST_F(CObArrayTest, InsertAnotherArrayIncludingItself)
{
    m_array.Add(Entry(1));
    m_array.Add(Entry(2));
    m_array.InsertAt(1, &m_array);
    EXPECT_EQ(Ids(), (std::vector<int>{1, 1, 2, 2}));
    CObArray other;
    other.Add(Entry(7));
    EXPECT_EQ(m_array.Append(other), 4);
    EXPECT_EQ(Ids(), (std::vector<int>{1, 1, 2, 2, 7}));
}

TEST_F(CObArrayTest, RemoveAtClampsAndRemoveAllEmpties)
{
    for (int i = 0; i < 5; ++i) m_array.Add(Entry(i));
    m_array.RemoveAt(1);
    EXPECT_EQ(Ids(), (std::vector<int>{0, 2, 3, 4}));
    m_array.RemoveAt(2, 100);
    EXPECT_EQ(Ids(), (std::vector<int>{0, 2}));
    m_array.RemoveAt(5);
    m_array.RemoveAt(-1);
    m_array.RemoveAt(0, 0);
    EXPECT_EQ(Ids(), (std::vector<int>{0, 2}));
    m_array.RemoveAll();
    EXPECT_TRUE(m_array.IsEmpty());
    EXPECT_EQ(m_owned.size(), 5u);  // the array owns nothing: the entries are still there
}

TEST_F(CObArrayTest, SetSizeGrowsWithNullsAndShrinks)
{
    m_array.Add(Entry(1));
    m_array.SetSize(3);
    EXPECT_EQ(Ids(), (std::vector<int>{1, -1, -1}));
    m_array.SetSize(1, 16);
    EXPECT_EQ(Ids(), (std::vector<int>{1}));
    m_array.SetSize(-4);
    EXPECT_TRUE(m_array.IsEmpty());
    m_array.SetAtGrow(2, Entry(5));
    EXPECT_EQ(Ids(), (std::vector<int>{-1, -1, 5}));
}

TEST(CStringArray, HoldsStringsByValue)
{
    CStringArray a;
    EXPECT_EQ(a.Add(u"第一"), 0);
    CString second(u"second");
    EXPECT_EQ(a.Add(second), 1);
    second = u"changed";
    EXPECT_EQ(a[1], u"second");
    a.InsertAt(0, CString(u"zero"));
    a.SetSize(5);
    EXPECT_EQ(a.GetSize(), 5);
    EXPECT_TRUE(a[4].IsEmpty());
    a.RemoveAt(3, 2);
    ASSERT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a.GetAt(0), u"zero");
    EXPECT_EQ(a.GetAt(1), u"第一");
    a.ElementAt(2) += u"!";
    EXPECT_EQ(a.GetAt(2), u"second!");
    CStringArray copy;
    copy.Copy(a);
    a.RemoveAll();
    EXPECT_EQ(copy.GetSize(), 3);
}
