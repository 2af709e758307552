// Tests of CObList and CStringList: POSITION walks, insertion and removal around kept positions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CObList.h"
#include "platform/CStringList.h"
#include "platform/Text.h"

namespace {

std::vector<std::string> Forward(const CStringList& list)
{
    std::vector<std::string> out;
    for (POSITION pos = list.GetHeadPosition(); pos;) out.push_back(ToUtf8(list.GetNext(pos)));
    return out;
}

std::vector<std::string> Backward(const CStringList& list)
{
    std::vector<std::string> out;
    for (POSITION pos = list.GetTailPosition(); pos;) out.push_back(ToUtf8(list.GetPrev(pos)));
    return out;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(CStringList, AddHeadTailAndWalkBothWays)
{
    CStringList list(10);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    list.AddTail(u"b");
    list.AddTail(CString(u"c"));
    list.AddHead(u"a");
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetSize(), 3);
    EXPECT_EQ(list.GetHead(), u"a");
    EXPECT_EQ(list.GetTail(), u"c");
    EXPECT_EQ(Forward(list), (Strings{"a", "b", "c"}));
    EXPECT_EQ(Backward(list), (Strings{"c", "b", "a"}));
}

TEST(CStringList, RemoveHeadAndTailReturnTheElements)
{
    CStringList list;
    list.AddTail(u"键");
    list.AddTail(u"值");
    list.AddTail(u"尾");
    EXPECT_EQ(list.RemoveHead(), u"键");
    EXPECT_EQ(list.RemoveTail(), u"尾");
    EXPECT_EQ(Forward(list), (Strings{"值"}));
    EXPECT_EQ(list.RemoveTail(), u"值");
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetTailPosition(), nullptr);
    list.AddTail(u"again");
    EXPECT_EQ(Forward(list), (Strings{"again"}));
}

TEST(CStringList, PositionsSurviveOtherInsertionsAndRemovals)
{
    CStringList list;
    const POSITION a = list.AddTail(u"a");
    const POSITION b = list.AddTail(u"b");
    const POSITION c = list.AddTail(u"c");
    list.InsertAfter(a, u"a2");
    list.InsertBefore(c, u"b2");
    list.AddHead(u"first");
    list.RemoveAt(b);
    EXPECT_EQ(list.GetAt(a), u"a");
    EXPECT_EQ(list.GetAt(c), u"c");
    list.SetAt(c, u"C");
    EXPECT_EQ(Forward(list), (Strings{"first", "a", "a2", "b2", "C"}));
    EXPECT_EQ(Backward(list), (Strings{"C", "b2", "a2", "a", "first"}));
    list.RemoveAt(list.GetHeadPosition());
    list.RemoveAt(list.GetTailPosition());
    EXPECT_EQ(Forward(list), (Strings{"a", "a2", "b2"}));
    EXPECT_EQ(list.GetHead(), u"a");
    EXPECT_EQ(list.GetTail(), u"b2");
}

TEST(CStringList, InsertWithNullPositionGoesToTheEnds)
{
    CStringList list;
    list.InsertAfter(nullptr, u"tail");
    list.InsertBefore(nullptr, u"head");
    EXPECT_EQ(Forward(list), (Strings{"head", "tail"}));
    const POSITION last = list.InsertAfter(list.GetTailPosition(), u"new tail");
    EXPECT_EQ(list.GetTailPosition(), last);
    const POSITION first = list.InsertBefore(list.GetHeadPosition(), u"new head");
    EXPECT_EQ(list.GetHeadPosition(), first);
    EXPECT_EQ(Backward(list), (Strings{"new tail", "tail", "head", "new head"}));
}

TEST(CStringList, FindAndFindIndex)
{
    CStringList list;
    list.AddTail(u"x");
    const POSITION second = list.AddTail(u"y");
    const POSITION third = list.AddTail(u"x");
    EXPECT_EQ(list.Find(u"y"), second);
    EXPECT_NE(list.Find(u"x"), third);
    EXPECT_EQ(list.Find(u"x", list.Find(u"x")), third);
    EXPECT_EQ(list.Find(u"x", third), nullptr);
    EXPECT_EQ(list.Find(u"missing"), nullptr);
    EXPECT_EQ(list.FindIndex(1), second);
    EXPECT_EQ(list.FindIndex(2), third);
    EXPECT_EQ(list.FindIndex(3), nullptr);
    EXPECT_EQ(list.FindIndex(-1), nullptr);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.FindIndex(0), nullptr);
}

TEST(CObList, HoldsPointersWithoutOwningThem)
{
    struct CItem : CObject {};
    CItem one, two;
    CObList list;
    list.AddTail(&one);
    const POSITION pos = list.AddTail(&two);
    EXPECT_EQ(list.Find(&two), pos);
    EXPECT_EQ(list.GetHead(), &one);
    POSITION walk = list.GetHeadPosition();
    EXPECT_EQ(list.GetNext(walk), &one);
    EXPECT_EQ(walk, pos);
    EXPECT_EQ(list.RemoveHead(), &one);
    EXPECT_TRUE(list.IsKindOf(RUNTIME_CLASS(CObject)));
}

TEST(CStringList, AddAnotherListAtEitherEndIncludingItself)
{
    CStringList list, other;
    list.AddTail(u"m");
    other.AddTail(u"x");
    other.AddTail(u"y");
    list.AddHead(&other);
    list.AddTail(&other);
    EXPECT_EQ(Forward(list), (Strings{"x", "y", "m", "x", "y"}));
    CStringList self;
    self.AddTail(u"a");
    self.AddTail(u"b");
    self.AddTail(&self);
    self.AddHead(&self);
    EXPECT_EQ(Forward(self), (Strings{"a", "b", "a", "b", "a", "b", "a", "b"}));
    CObList objects, more;
    struct CItem : CObject {};
    CItem item;
    more.AddTail(&item);
    objects.AddTail(&more);
    EXPECT_EQ(objects.GetCount(), 1);
}
