// Tests of CListCtrl without any window or Qt application: rows, sorting, states and notifications.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <vector>

#include "platform/CImageList.h"
#include "platform/CListCtrl.h"

namespace {

struct Notice {
    int item;
    UINT changed;
    UINT oldState;
    UINT newState;
    LPARAM data;
    bool operator==(const Notice&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Notice& n)
{
    return os << "{item " << n.item << ", changed " << n.changed << ", old 0x" << std::hex << n.oldState << ", new 0x"
              << n.newState << std::dec << ", data " << n.data << "}";
}

// The owner a headless program gives its list: it records LVN_ITEMCHANGED from control 1016 only.
class Owner : public CWnd {
public:
    std::vector<Notice> notices;

protected:
    void OnItemChanged(NMHDR* header, LRESULT* result)
    {
        const auto* nm = reinterpret_cast<const NMLISTVIEW*>(header);
        notices.push_back({nm->iItem, nm->uChanged, nm->uOldState, nm->uNewState, nm->lParam});
        *result = 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Owner, CWnd)
    ON_NOTIFY(LVN_ITEMCHANGED, 1016, OnItemChanged)
END_MESSAGE_MAP()

constexpr UINT kUnchecked = 0x1000;
constexpr UINT kChecked = 0x2000;
constexpr UINT kSelFocus = LVIS_SELECTED | LVIS_FOCUSED;

class ListCtrlFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.ModifyStyle(0, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SORTASCENDING | LVS_NOCOLUMNHEADER);
        list.SetOwner(&owner);
        list.SetDlgCtrlID(1016);
        list.InsertColumn(0, u"AppName", LVCFMT_LEFT, 500);
        list.InsertColumn(1, u"Size", LVCFMT_RIGHT);
        list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES);
        for (const char16_t* name : {u"pocket Word", u"Alpha", u"Zeta", u"beta"}) {
            LVITEM item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
            item.iItem = list.GetItemCount();
            item.pszText = const_cast<char16_t*>(name);
            item.lParam = static_cast<LPARAM>(100 + list.GetItemCount());
            landed.push_back(list.InsertItem(&item));
        }
    }

    Owner owner;
    CListCtrl list;
    std::vector<int> landed;
};

TEST_F(ListCtrlFixture, InsertionLandsInSortedPlaceWithoutNotifying)
{
    EXPECT_EQ(landed, (std::vector<int>{0, 0, 2, 1}));
    std::vector<std::u16string> rows;
    for (int i = 0; i < list.GetItemCount(); ++i) rows.push_back(list.GetItemText(i, 0).Str());
    EXPECT_EQ(rows, (std::vector<std::u16string>{u"Alpha", u"beta", u"pocket Word", u"Zeta"}));
    EXPECT_EQ(list.GetItemData(2), 100u);
    EXPECT_EQ(list.GetItemData(3), 102u);
    EXPECT_TRUE(owner.notices.empty());
    EXPECT_EQ(list.GetItemState(0, LVIS_STATEIMAGEMASK), kUnchecked);  // check boxes start unticked
    EXPECT_EQ(list.InsertItem(99, u"alpha"), 1);  // after its equal
}

TEST_F(ListCtrlFixture, UnsortedListKeepsTheAskedPlace)
{
    CListCtrl plain;
    EXPECT_EQ(plain.InsertItem(0, u"b"), 0);
    EXPECT_EQ(plain.InsertItem(0, u"a"), 0);
    EXPECT_EQ(plain.InsertItem(7, u"c"), 2);
    EXPECT_EQ(plain.GetItemText(0, 0), u"a");
    EXPECT_EQ(plain.InsertItem(-1, u"x"), -1);
}

TEST_F(ListCtrlFixture, NotificationsAsThePlatformSendsThem)
{
    struct Case {
        const char* action;
        void (*run)(CListCtrl&);
        std::vector<Notice> expected;
    } cases[] = {
        {"SetCheck ticks", [](CListCtrl& l) { l.SetCheck(1); }, {{1, LVIF_STATE, kUnchecked, kChecked, 103}}},
        {"SetCheck with the same state", [](CListCtrl& l) { l.SetCheck(1, FALSE); }, {}},
        {"click on the box", [](CListCtrl& l) { l.ClickCheckBox(2); }, {{2, LVIF_STATE, kUnchecked, kChecked, 100}}},
        {"click on a row", [](CListCtrl& l) { l.ClickItem(3); }, {{3, LVIF_STATE, kUnchecked, kUnchecked | kSelFocus, 102}}},
        {"click on another row",
         [](CListCtrl& l) {
             l.ClickItem(3);
             l.ClickItem(0);
         },
         {{3, LVIF_STATE, kUnchecked, kUnchecked | kSelFocus, 102},
          {3, LVIF_STATE, kUnchecked | kSelFocus, kUnchecked, 102},
          {0, LVIF_STATE, kUnchecked, kUnchecked | kSelFocus, 101}}},
        {"Space on the focused row",
         [](CListCtrl& l) {
             l.ClickItem(0);
             l.PressSpace();
         },
         {{0, LVIF_STATE, kUnchecked, kUnchecked | kSelFocus, 101},
          {0, LVIF_STATE, kUnchecked | kSelFocus, kChecked | kSelFocus, 101}}},
        {"Space without a focused row", [](CListCtrl& l) { l.PressSpace(); }, {}},
        {"click into empty space",
         [](CListCtrl& l) {
             l.ClickItem(1);
             l.ClickItem(-1);
         },
         {{1, LVIF_STATE, kUnchecked, kUnchecked | kSelFocus, 103},
          {1, LVIF_STATE, kUnchecked | kSelFocus, kUnchecked | LVIS_FOCUSED, 103}}},
        {"SetItemState selects from code",
         [](CListCtrl& l) {
             l.SetItemState(2, kSelFocus, kSelFocus);
             l.SetItemState(1, kSelFocus, kSelFocus);
         },
         {{2, LVIF_STATE, kUnchecked, kUnchecked | kSelFocus, 100},
          {2, LVIF_STATE, kUnchecked | kSelFocus, kUnchecked, 100},
          {1, LVIF_STATE, kUnchecked, kUnchecked | kSelFocus, 103}}},
        {"a sub-item's text", [](CListCtrl& l) { l.SetItemText(0, 1, u"1.5 K"); }, {}},
        {"item data", [](CListCtrl& l) { l.SetItemData(0, 7); }, {{0, LVIF_PARAM, kUnchecked, kUnchecked, 7}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        for (int i = 0; i < list.GetItemCount(); ++i) list.SetItemState(i, kUnchecked, LVIS_STATEIMAGEMASK | kSelFocus);
        owner.notices.clear();
        c.run(list);
        EXPECT_EQ(owner.notices, c.expected);
    }
}

TEST_F(ListCtrlFixture, ReadsBackRowsAndStates)
{
    list.SetCheck(3);
    EXPECT_TRUE(list.GetCheck(3));
    EXPECT_FALSE(list.GetCheck(0));
    EXPECT_FALSE(list.GetCheck(42));
    list.ClickItem(2);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 2);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 2);
    EXPECT_EQ(list.GetNextItem(2, LVNI_SELECTED), -1);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_ALL), 0);
    EXPECT_EQ(list.GetNextItem(1, LVNI_ALL), 2);
    EXPECT_TRUE(list.SetItemText(1, 1, u"20.0 K"));
    EXPECT_EQ(list.GetItemText(1, 1), u"20.0 K");
    EXPECT_EQ(list.GetItemText(1, 5), u"");
    EXPECT_FALSE(list.SetItemText(9, 1, u"x"));
    char16_t buffer[4];
    EXPECT_EQ(list.GetItemText(1, 1, buffer, 4), 3);
    EXPECT_EQ(std::u16string(buffer), u"20.");
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ListCtrlFixture, ColumnsAutosizeToTheirWidestText)
{
    list.SetItemText(0, 1, u"1.5 K");
    list.SetItemText(1, 1, u"1024.0 K");
    EXPECT_EQ(list.GetColumnWidth(0), 500);
    EXPECT_EQ(list.GetColumnWidth(1), 0);
    ASSERT_TRUE(list.SetColumnWidth(1, LVSCW_AUTOSIZE));
    int sized = list.GetColumnWidth(1);
    list.SetItemText(2, 1, u"1024.0 KB and more");
    list.SetColumnWidth(1, LVSCW_AUTOSIZE);
    EXPECT_GT(list.GetColumnWidth(1), sized);
    EXPECT_GT(sized, 0);
    EXPECT_FALSE(list.SetColumnWidth(2, 10));
    RECT rc{1, 1, 1, 1};
    list.GetClientRect(&rc);  // no window: empty
    EXPECT_EQ(rc.right, 0);
}

TEST_F(ListCtrlFixture, TakesOverTheSmallImageList)
{
    auto* images = new CImageList;
    ASSERT_TRUE(images->Create(16, 16, ILC_COLOR8 | ILC_MASK, 8, 1));
    HIMAGELIST handle = images->GetSafeHandle();
    EXPECT_EQ(list.SetImageList(images, LVSIL_SMALL), nullptr);
    EXPECT_EQ(list.GetImageList(LVSIL_SMALL), handle);
    EXPECT_EQ(images->GetSafeHandle(), nullptr);
    delete images;  // the caller's object may go; the list keeps the handle
    EXPECT_EQ(ImageList_GetImageCount(handle), 0);
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(handle, &cx, &cy));
    {
        CListCtrl other;
        CImageList local;
        local.Create(16, 16, ILC_COLOR8, 1, 1);
        HIMAGELIST localHandle = local.GetSafeHandle();
        other.SetImageList(&local, LVSIL_SMALL);
        ASSERT_EQ(ImageList_GetImageCount(localHandle), 0);
        EXPECT_TRUE(ImageList_GetIconSize(localHandle, &cx, &cy));
    }
}

TEST(ListCtrlHeadless, NeedsNoApplication)
{
    CListCtrl list;
    list.InsertColumn(0, u"AppName");
    list.InsertItem(0, u"x");
    list.SetCheck(0);
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_FALSE(list.PostMessage(WM_USER));  // no window to post to
    EXPECT_EQ(list.SetTimer(1, 10, nullptr), 0u);
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

}  // namespace
