// Tests of CBaseObj and CErrorCode where the running application is no CKelApp (here: none at all).
#include "framework/CBaseObj.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/CErrorCode.h"
#include "platform/Text.h"

namespace {

class DefaultTexts : public CBaseObj {
protected:
    CString LoadDefaultString(UINT nID) override
    {
        CString text;
        text.Format(u"default %u", nID);
        return text;
    }
};

// Records the ids that GetErrorInfo asks for through the virtual LoadStringW.
class RecordingErrors : public CErrorCode {
public:
    CString LoadStringW(UINT nID) override
    {
        ids.push_back(nID);
        return CErrorCode::LoadStringW(nID);
    }
    std::vector<UINT> ids;
};

TEST(CBaseObjTest, LastErrorIsStoredAndCopied)
{
    CBaseObj obj;
    EXPECT_EQ(obj.GetLastError(), 0u);
    obj.Error(5);
    EXPECT_EQ(obj.GetLastError(), 5u);
    CBaseObj copy(obj);
    EXPECT_EQ(copy.GetLastError(), 5u);
    CBaseObj assigned;
    assigned = obj;
    EXPECT_EQ(assigned.GetLastError(), 5u);
}

TEST(CBaseObjTest, WithoutAKelAppTextsComeFromTheDefaultsAndLogDoesNothing)
{
    CBaseObj plain;
    EXPECT_EQ(ToUtf8(plain.LoadStringW(100)), "");
    DefaultTexts texts;
    EXPECT_EQ(ToUtf8(texts.LoadStringW(100)), "default 100");
    texts.LOG(u"nowhere %d %s", 1, u"x");
    EXPECT_EQ(texts.GetLastError(), 0u);
}

TEST(CErrorCodeTest, ErrorTextsAreIdsFrom10000)
{
    RecordingErrors errors;
    EXPECT_EQ(ToUtf8(errors.GetErrorInfo(0)), "");
    errors.GetErrorInfo(7);
    errors.GetErrorInfo(0xFFFFFFFFu);
    EXPECT_EQ(errors.ids, (std::vector<UINT>{10000u, 10007u, 9999u}));
}

}  // namespace
