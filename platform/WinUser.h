// The window system's messages, styles, control records and constants, with the platform's values.
#pragma once

#include "platform/WinTypes.h"

// Messages.
#define WM_NULL 0x0000u
#define WM_DESTROY 0x0002u
#define WM_SETTEXT 0x000Cu
#define WM_GETTEXT 0x000Du
#define WM_PAINT 0x000Fu
#define WM_CLOSE 0x0010u
#define WM_QUIT 0x0012u
#define WM_ERASEBKGND 0x0014u
#define WM_QUERYDRAGICON 0x0037u
#define WM_ICONERASEBKGND 0x0027u
#define WM_NOTIFY 0x004Eu
#define WM_SETICON 0x0080u
#define WM_INITDIALOG 0x0110u
#define WM_COMMAND 0x0111u
#define WM_SYSCOMMAND 0x0112u
#define WM_TIMER 0x0113u
#define WM_USER 0x0400u

// The progress bar control: its class name and the messages that set its range and position.
// Narrow in every build: the layer only compares it with the class names of dialog templates.
#define PROGRESS_CLASS "msctls_progress32"
#define PBM_SETPOS (WM_USER + 2)
#define PBM_SETRANGE32 (WM_USER + 6)

// Dialog results and standard command ids.
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDC_STATIC (-1)
#define ID_HELP 0xE146u
// The framework's string id of the application's title.
#define AFX_IDS_APP_TITLE 0xE000u

// Notification codes carried by WM_COMMAND.
#define BN_CLICKED 0u

// System commands.
#define SC_CLOSE 0xF060u
#define IDM_ABOUTBOX 0x0010u

// Show commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_RESTORE 9

// Icons of a window.
#define ICON_SMALL 0
#define ICON_BIG 1

// Window styles.
#define WS_OVERLAPPED 0x00000000u
#define WS_TABSTOP 0x00010000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_GROUP 0x00020000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_THICKFRAME 0x00040000u
#define WS_SYSMENU 0x00080000u
#define WS_HSCROLL 0x00100000u
#define WS_VSCROLL 0x00200000u
#define WS_DLGFRAME 0x00400000u
#define WS_BORDER 0x00800000u
#define WS_CAPTION 0x00C00000u
#define WS_MAXIMIZE 0x01000000u
#define WS_CLIPCHILDREN 0x02000000u
#define WS_CLIPSIBLINGS 0x04000000u
#define WS_DISABLED 0x08000000u
#define WS_VISIBLE 0x10000000u
#define WS_MINIMIZE 0x20000000u
#define WS_CHILD 0x40000000u
#define WS_POPUP 0x80000000u
#define WS_EX_DLGMODALFRAME 0x00000001u
#define WS_EX_TOPMOST 0x00000008u
#define WS_EX_TOOLWINDOW 0x00000080u
#define WS_EX_WINDOWEDGE 0x00000100u
#define WS_EX_CLIENTEDGE 0x00000200u
#define WS_EX_STATICEDGE 0x00020000u
#define WS_EX_APPWINDOW 0x00040000u

// Dialog styles.
#define DS_ABSALIGN 0x0001u
#define DS_SYSMODAL 0x0002u
#define DS_LOCALEDIT 0x0020u
#define DS_SETFONT 0x0040u
#define DS_MODALFRAME 0x0080u
#define DS_NOIDLEMSG 0x0100u
#define DS_SETFOREGROUND 0x0200u
#define DS_3DLOOK 0x0004u
#define DS_FIXEDSYS 0x0008u
#define DS_CENTER 0x0800u
#define DS_CENTERMOUSE 0x1000u
#define DS_CONTEXTHELP 0x2000u
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

// Static control styles.
#define SS_LEFT 0x0000u
#define SS_CENTER 0x0001u
#define SS_RIGHT 0x0002u
#define SS_ICON 0x0003u
#define SS_LEFTNOWORDWRAP 0x000Cu
#define SS_TYPEMASK 0x001Fu
#define SS_NOPREFIX 0x0080u
#define SS_NOTIFY 0x0100u
#define SS_CENTERIMAGE 0x0200u
#define SS_SUNKEN 0x1000u

// Button styles.
#define BS_PUSHBUTTON 0x0000u
#define BS_DEFPUSHBUTTON 0x0001u
#define BS_CHECKBOX 0x0002u
#define BS_AUTOCHECKBOX 0x0003u
#define BS_RADIOBUTTON 0x0004u
#define BS_3STATE 0x0005u
#define BS_AUTO3STATE 0x0006u
#define BS_GROUPBOX 0x0007u
#define BS_AUTORADIOBUTTON 0x0009u
#define BS_TYPEMASK 0x000Fu

// Edit control styles.
#define ES_LEFT 0x0000u
#define ES_MULTILINE 0x0004u
#define ES_AUTOHSCROLL 0x0080u
#define ES_READONLY 0x0800u

// List view styles and extended styles.
#define LVS_ICON 0x0000u
#define LVS_REPORT 0x0001u
#define LVS_SMALLICON 0x0002u
#define LVS_LIST 0x0003u
#define LVS_TYPEMASK 0x0003u
#define LVS_SINGLESEL 0x0004u
#define LVS_SHOWSELALWAYS 0x0008u
#define LVS_SORTASCENDING 0x0010u
#define LVS_SORTDESCENDING 0x0020u
#define LVS_SHAREIMAGELISTS 0x0040u
#define LVS_NOLABELWRAP 0x0080u
#define LVS_AUTOARRANGE 0x0100u
#define LVS_EDITLABELS 0x0200u
#define LVS_NOSCROLL 0x2000u
#define LVS_NOCOLUMNHEADER 0x4000u
#define LVS_NOSORTHEADER 0x8000u
#define LVS_EX_GRIDLINES 0x00000001u
#define LVS_EX_SUBITEMIMAGES 0x00000002u
#define LVS_EX_CHECKBOXES 0x00000004u
#define LVS_EX_TRACKSELECT 0x00000008u
#define LVS_EX_HEADERDRAGDROP 0x00000010u
#define LVS_EX_FULLROWSELECT 0x00000020u

// List view items, columns and states.
#define LVIF_TEXT 0x0001u
#define LVIF_IMAGE 0x0002u
#define LVIF_PARAM 0x0004u
#define LVIF_STATE 0x0008u
#define LVIS_FOCUSED 0x0001u
#define LVIS_SELECTED 0x0002u
#define LVIS_CUT 0x0004u
#define LVIS_DROPHILITED 0x0008u
#define LVIS_STATEIMAGEMASK 0xF000u
#define INDEXTOSTATEIMAGEMASK(i) (static_cast<UINT>(i) << 12)
#define LVCF_FMT 0x0001u
#define LVCF_WIDTH 0x0002u
#define LVCF_TEXT 0x0004u
#define LVCF_SUBITEM 0x0008u
#define LVCFMT_LEFT 0x0000
#define LVCFMT_RIGHT 0x0001
#define LVCFMT_CENTER 0x0002
#define LVSCW_AUTOSIZE (-1)
#define LVSCW_AUTOSIZE_USEHEADER (-2)
#define LVSIL_NORMAL 0
#define LVSIL_SMALL 1
#define LVSIL_STATE 2
#define LVNI_ALL 0x0000u
#define LVNI_FOCUSED 0x0001u
#define LVNI_SELECTED 0x0002u
#define I_IMAGECALLBACK (-1)

// List view notifications (sent as WM_NOTIFY to the owner).
#define LVN_FIRST (0u - 100u)
#define LVN_ITEMCHANGING (LVN_FIRST - 0u)
#define LVN_ITEMCHANGED (LVN_FIRST - 1u)
#define LVN_INSERTITEM (LVN_FIRST - 2u)
#define LVN_DELETEITEM (LVN_FIRST - 3u)
#define LVN_DELETEALLITEMS (LVN_FIRST - 4u)

// Message boxes.
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONHAND 0x00000010u
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0u
#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_DEFMASK 0x00000F00u
#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u

// Images and icons.
#define IMAGE_BITMAP 0u
#define IMAGE_ICON 1u
#define IMAGE_CURSOR 2u
#define LR_DEFAULTCOLOR 0x00000000u
#define LR_MONOCHROME 0x00000001u
#define LR_LOADFROMFILE 0x00000010u
#define LR_LOADTRANSPARENT 0x00000020u
#define LR_DEFAULTSIZE 0x00000040u
#define LR_SHARED 0x00008000u
#define ILC_MASK 0x00000001u
#define ILC_COLOR 0x00000000u
#define ILC_COLORDDB 0x000000FEu
#define ILC_COLOR4 0x00000004u
#define ILC_COLOR8 0x00000008u
#define ILC_COLOR16 0x00000010u
#define ILC_COLOR24 0x00000018u
#define ILC_COLOR32 0x00000020u
#define CLR_NONE 0xFFFFFFFFu
#define CLR_DEFAULT 0xFF000000u

// System metrics.
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXICON 11
#define SM_CYICON 12
#define SM_CXSMICON 49
#define SM_CYSMICON 50

// Menus.
#define MF_STRING 0x00000000u
#define MF_SEPARATOR 0x00000800u

#define MAKEWPARAM(l, h) (static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(l, h))))
#define MAKELPARAM(l, h) (static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(l, h))))

using HCURSOR = HICON;

// The header of every WM_NOTIFY.
struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};
using LPNMHDR = NMHDR*;

// LVN_ITEMCHANGED and its kin: the item, which fields changed, and its states before and after.
struct NMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
};
using LPNMLISTVIEW = NMLISTVIEW*;
using NM_LISTVIEW = NMLISTVIEW;

// One item or sub-item of a list view, with the platform's fields; TCHAR text.
struct LVITEM {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPTSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
    int iIndent;
};
using LV_ITEM = LVITEM;

struct LVCOLUMN {
    UINT mask;
    int fmt;
    int cx;
    LPTSTR pszText;
    int cchTextMax;
    int iSubItem;
};
using LV_COLUMN = LVCOLUMN;
