// CObject and CRuntimeClass: the framework's polymorphic base object and its run-time class information.
#pragma once

#include "platform/WinTypes.h"

class CObject;

// Run-time class record; class names are the framework's 8-bit names.
struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();
    CRuntimeClass* (*m_pfnGetBaseClass)();

    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* pClass) const;

    static CRuntimeClass classCObject;
    static CRuntimeClass* GetThisClass() { return &classCObject; }
    static CRuntimeClass* _GetBaseClass() { return nullptr; }

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

// Dynamic creation: DECLARE_DYNCREATE in the class, IMPLEMENT_DYNCREATE in one source file.
#define DECLARE_DYNCREATE(class_name)                      \
public:                                                    \
    static CRuntimeClass class##class_name;                \
    static CRuntimeClass* GetThisClass();                  \
    static CRuntimeClass* _GetBaseClass();                 \
    static CObject* CreateObject();                        \
    CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                        \
    CRuntimeClass class_name::class##class_name = {#class_name, static_cast<int>(sizeof(class_name)), \
                                                   0xFFFF, &class_name::CreateObject,           \
                                                   &class_name::_GetBaseClass};                 \
    CRuntimeClass* class_name::GetThisClass() { return &class_name::class##class_name; }        \
    CRuntimeClass* class_name::_GetBaseClass() { return base_class_name::GetThisClass(); }      \
    CObject* class_name::CreateObject() { return new class_name; }                              \
    CRuntimeClass* class_name::GetRuntimeClass() const { return &class_name::class##class_name; }

// Run-time class information without dynamic creation.
#define DECLARE_DYNAMIC(class_name)           \
public:                                       \
    static CRuntimeClass class##class_name;   \
    static CRuntimeClass* GetThisClass();     \
    static CRuntimeClass* _GetBaseClass();    \
    CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                          \
    CRuntimeClass class_name::class##class_name = {#class_name, static_cast<int>(sizeof(class_name)), \
                                                   0xFFFF, nullptr, &class_name::_GetBaseClass}; \
    CRuntimeClass* class_name::GetThisClass() { return &class_name::class##class_name; }        \
    CRuntimeClass* class_name::_GetBaseClass() { return base_class_name::GetThisClass(); }      \
    CRuntimeClass* class_name::GetRuntimeClass() const { return &class_name::class##class_name; }
