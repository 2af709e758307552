// Checks that a source compiled for the narrow build gets code-page strings and containers of them.
#define PELRUDO_NARROW
#include <gtest/gtest.h>

#include <type_traits>

#include "platform/CStringArray.h"
#include "platform/CStringList.h"
#include "platform/Text.h"

static_assert(std::is_same_v<TCHAR, char>);
static_assert(std::is_same_v<CString, CStringA>);

TEST(NarrowBuild, ContainersHoldCodePageStrings)
{
    SetACP(936);
    CStringArray array;
    array.Add(_T("Setup.ini"));
    array.Add("\xB1\xED");
    static_assert(std::is_same_v<std::remove_cvref_t<decltype(array[0])>, CStringA>);
    EXPECT_STREQ(array[1].GetString(), "\xB1\xED");

    CStringList list;
    list.AddTail(array[0]);
    list.AddTail(CString("\x95\x5C"));
    static_assert(std::is_same_v<std::remove_cvref_t<decltype(list.GetHead())>, CStringA>);
    EXPECT_EQ(list.Find("Setup.ini"), list.GetHeadPosition());

    CString joined;
    joined.Format(_T("%s|%s"), list.GetHead().GetString(), list.GetTail().GetString());
    EXPECT_STREQ(joined.GetString(), "Setup.ini|\x95\x5C");
    EXPECT_EQ(ToHostText(joined.GetString()), "Setup.ini|昞");
    SetACP(0);
}
