// Dialog boxes: windows of class "#32770" built from a module's dialog template,
// with the dialog manager's keyboard interface (Tab, Enter, Esc, arrows) and the
// functions that reach their controls by id.
#pragma once

#include "platform/controls.h"
#include "platform/message_box.h"
#include "platform/resource_script.h"
#include "platform/user.h"

using INT_PTR = std::intptr_t;
using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

constexpr char WC_DIALOGA[] = "#32770";

// Window longs of a dialog, before the class's own extra bytes.
constexpr int DWLP_MSGRESULT = 0;
constexpr int DWLP_DLGPROC = 8;
constexpr int DWLP_USER = 16;
constexpr int DLGWINDOWEXTRA = 24;

// Dialog styles.
constexpr DWORD DS_ABSALIGN = 0x01;
constexpr DWORD DS_SYSMODAL = 0x02;
constexpr DWORD DS_3DLOOK = 0x04;
constexpr DWORD DS_FIXEDSYS = 0x08;
constexpr DWORD DS_NOFAILCREATE = 0x10;
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD DS_SETFOREGROUND = 0x200;
constexpr DWORD DS_CONTROL = 0x400;
constexpr DWORD DS_CENTER = 0x800;
constexpr DWORD DS_CONTEXTHELP = 0x2000;

// Standard control id of texts nobody addresses.
constexpr int IDC_STATIC = -1;

// Dialog messages.
constexpr UINT DM_GETDEFID = WM_USER;
constexpr UINT DM_SETDEFID = WM_USER + 1;
constexpr WORD DC_HASDEFID = 0x534B;

extern "C" {
// Builds a dialog from a template record (Windows takes the compiled form).
PLATFORM_EXPORT HWND CreateDialogIndirectParamA(HINSTANCE instance, const platform::DialogTemplate* dialogTemplate,
                                                HWND parent, DLGPROC dialogProc, LPARAM initParam);
// The template is looked up among the module's resources by its integer id.
PLATFORM_EXPORT HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc,
                                        LPARAM initParam);
PLATFORM_EXPORT LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
PLATFORM_EXPORT BOOL EndDialog(HWND dialog, INT_PTR result);
PLATFORM_EXPORT BOOL IsDialogMessageA(HWND dialog, MSG* message);
PLATFORM_EXPORT BOOL MapDialogRect(HWND dialog, RECT* rect);

PLATFORM_EXPORT HWND GetDlgItem(HWND dialog, int id);
PLATFORM_EXPORT LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
PLATFORM_EXPORT BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
PLATFORM_EXPORT UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
PLATFORM_EXPORT BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
PLATFORM_EXPORT UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size);
PLATFORM_EXPORT BOOL CheckDlgButton(HWND dialog, int id, UINT check);
PLATFORM_EXPORT UINT IsDlgButtonChecked(HWND dialog, int id);
PLATFORM_EXPORT BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId);
PLATFORM_EXPORT HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
PLATFORM_EXPORT HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);
}

namespace platform {

// A window of the dialog class.
PLATFORM_EXPORT bool IsDialogWindow(HWND hwnd);

// True once EndDialog has been called for the dialog; *result receives its value.
// The modal loop that runs a dialog stops on it.
PLATFORM_EXPORT bool DialogEnded(HWND dialog, INT_PTR* result);

}  // namespace platform
