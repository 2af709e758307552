// The platform's resource calls over the resource tables that pelrudo-rc compiles into a module.
#pragma once

#include "platform/WinTypes.h"

// A module is a dlopen handle (LoadLibrary); the null module is the running program. Resources are
// found in the table that the module itself carries (see pelrudo_add_resources), never in a library
// it depends on. Types and names are integer ids (MAKEINTRESOURCE); named resources do not exist.
// Failure: null with ERROR_RESOURCE_DATA_NOT_FOUND (the module has no table),
// ERROR_RESOURCE_TYPE_NOT_FOUND or ERROR_RESOURCE_NAME_NOT_FOUND.
HRSRC FindResource(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
HRSRC FindResource(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
// The data stays in the module's image: nothing to free, valid while the module is loaded.
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);

// The string of the id from the module's string table, cut to bufferMax - 1 units and terminated;
// returns its length, 0 when there is none. With bufferMax 0 (wide form) *buffer receives a
// read-only pointer to the string in the table, which is not terminated, as the platform's.
// The narrow form converts to the system code page.
int LoadString(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);
int LoadString(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);

// The program's module: the handle of the running program (never freed); the resource module
// defaults to it and can be pointed at a library (AfxSetResourceHandle).
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstResource);

// Version information (an RT_VERSION resource's data): "\\" gives the VS_FIXEDFILEINFO,
// "\\StringFileInfo\\080404b0\\ProductName" a value's text, "\\VarFileInfo\\Translation" the
// language and code-page pairs. Keys compare case-insensitively. FALSE when absent or damaged.
BOOL VerQueryValue(LPCVOID pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen);

#define VS_FFI_SIGNATURE 0xFEEF04BDu
#define VS_FFI_STRUCVERSION 0x00010000u
#define VS_FFI_FILEFLAGSMASK 0x0000003Fu
#define VOS__WINDOWS32 0x00000004u
#define VOS_NT_WINDOWS32 0x00040004u
#define VFT_APP 0x00000001u
#define VFT_DLL 0x00000002u

struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
