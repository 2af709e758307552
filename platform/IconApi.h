// Icons and image lists of the platform, held as data without any window system.
#pragma once

#include "platform/WinTypes.h"
#include "platform/WinUser.h"

// An HICON holds one image of an icon (the size chosen from an icon group or a .ico file) as its
// raw bytes; it is decoded only when drawn. A damaged or truncated icon never loads.

// The 32x32 image of the module's icon group (null module: the running program).
HICON LoadIcon(HINSTANCE hInstance, LPCWSTR lpIconName);
HICON LoadIcon(HINSTANCE hInstance, LPCSTR lpIconName);
// IMAGE_ICON only: a group of the module, or with LR_LOADFROMFILE a .ico file by Windows path.
// cx and cy 0 mean the default icon size (32) with LR_DEFAULTSIZE, else the first image's size.
// Returns the HICON as a HANDLE, null with the last error on failure (ERROR_FILE_NOT_FOUND,
// ERROR_INVALID_DATA for a damaged .ico, ERROR_NOT_SUPPORTED for other image types).
HANDLE LoadImage(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad);
HANDLE LoadImage(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad);
// Icons from memory: the data of one RT_ICON image (BMP or PNG form).
HICON CreateIconFromResourceEx(const BYTE* presbits, DWORD dwResSize, BOOL fIcon, DWORD dwVer, int cxDesired,
                               int cyDesired, UINT flags);
BOOL DestroyIcon(HICON hIcon);
HICON CopyIcon(HICON hIcon);
// The pixel size of an icon's image; FALSE for a null or destroyed handle.
BOOL GetIconSize(HICON hIcon, int* cx, int* cy);
// SM_CXICON/SM_CYICON 32, SM_CXSMICON/SM_CYSMICON 16; anything else 0 (no screen is known here).
int GetSystemMetrics(int nIndex);

// Image lists: images of one size; an icon added is copied, so the caller may destroy its own.
// Handles are checked: a destroyed or unknown handle fails instead of being used.
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
BOOL ImageList_Destroy(HIMAGELIST himl);
int ImageList_GetImageCount(HIMAGELIST himl);
// Index of the new image, or -1.
int ImageList_AddIcon(HIMAGELIST himl, HICON hicon);
// i = -1 appends; returns the image's index or -1.
int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon);
// i = -1 removes every image.
BOOL ImageList_Remove(HIMAGELIST himl, int i);
BOOL ImageList_RemoveAll(HIMAGELIST himl);
// Returns the previous background colour, CLR_NONE on a bad handle.
COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk);
COLORREF ImageList_GetBkColor(HIMAGELIST himl);
BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
// A new icon made from image i (the caller destroys it), or null.
HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT flags);
