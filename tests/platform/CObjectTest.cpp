// Tests of CObject's run-time class information.
#include <gtest/gtest.h>

#include <memory>

#include "platform/CObject.h"

namespace {

class CShape : public CObject {
    DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CCircle : public CShape {
    DECLARE_DYNCREATE(CCircle)
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

class CPlain : public CObject {};

}  // namespace

TEST(CObject, BaseClassRecord)
{
    EXPECT_STREQ(CObject::classCObject.m_lpszClassName, "CObject");
    EXPECT_EQ(RUNTIME_CLASS(CObject), &CObject::classCObject);
    EXPECT_EQ(CObject::classCObject.CreateObject(), nullptr);
    CPlain plain;
    EXPECT_EQ(plain.GetRuntimeClass(), RUNTIME_CLASS(CObject));
    EXPECT_TRUE(plain.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(plain.IsKindOf(RUNTIME_CLASS(CShape)));
}

TEST(CObject, IsKindOfWalksTheBases)
{
    CCircle circle;
    const CObject& obj = circle;
    EXPECT_STREQ(obj.GetRuntimeClass()->m_lpszClassName, "CCircle");
    EXPECT_TRUE(obj.IsKindOf(RUNTIME_CLASS(CCircle)));
    EXPECT_TRUE(obj.IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(obj.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(obj.IsKindOf(nullptr));
    CShape shape;
    EXPECT_FALSE(shape.IsKindOf(RUNTIME_CLASS(CCircle)));
    EXPECT_TRUE(RUNTIME_CLASS(CCircle)->IsDerivedFrom(RUNTIME_CLASS(CShape)));
    EXPECT_FALSE(RUNTIME_CLASS(CShape)->IsDerivedFrom(RUNTIME_CLASS(CCircle)));
}

TEST(CObject, DynamicCreationAndVirtualDelete)
{
    std::unique_ptr<CObject> made(RUNTIME_CLASS(CCircle)->CreateObject());
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CCircle)));
    EXPECT_EQ(RUNTIME_CLASS(CShape)->CreateObject(), nullptr);
}
