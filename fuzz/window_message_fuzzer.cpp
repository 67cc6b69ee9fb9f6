// Window messages from outside: other programs send a dialog and its controls
// any message with any wParam and lParam, keys and clicks at any place, and move
// and size their windows at will. Each input opens a dialog with one control of
// each kind on a desktop of its chosen depth, runs the operations its bytes
// spell out, pumping the queue (paints included) as a program's loop would, and
// destroys everything again, so that leaks and stale state show. Pointers go
// only with buffers this harness owns, sized as the input says.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation.h"
#include "platform/dialogs.h"
#include "platform/display_adapter.h"
#include "platform/resources.h"
#include "sim/display/display.h"

namespace {

HMODULE const kModule = reinterpret_cast<HMODULE>(std::uintptr_t{0x7f0000300000});
constexpr int kDialogId = 100;
constexpr int kScrollBarId = 19;
// Operations per input beyond which the bytes are ignored: longer runs find little
// more and would slow every input down with their paints.
constexpr int kMaxOperations = 40;

constexpr char kScript[] = R"(
100 DIALOG 0, 0, 124, 84
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE
CAPTION "Messages"
BEGIN
  DEFPUSHBUTTON "OK", IDOK, 88, 2, 34, 12
  PUSHBUTTON "Cancel", IDCANCEL, 88, 15, 34, 12
  GROUPBOX "Norm", 10, 2, 0, 40, 38
  AUTORADIOBUTTON "NTSC", 11, 5, 9, 34, 9, WS_GROUP
  AUTORADIOBUTTON "PAL", 12, 5, 18, 34, 9
  AUTORADIOBUTTON "SECAM", 13, 5, 27, 34, 9
  AUTOCHECKBOX "Mirror", 14, 45, 2, 40, 9
  LTEXT "Gain:", 15, 45, 13, 40, 8
  EDITTEXT 16, 45, 24, 40, 12, ES_AUTOHSCROLL
  COMBOBOX 17, 2, 40, 60, 40, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP
  CONTROL "", 18, "msctls_trackbar32", TBS_AUTOTICKS | WS_TABSTOP, 2, 56, 90, 16
  SCROLLBAR 19, 2, 74, 90, 8, WS_TABSTOP
END
)";

// The bytes of one input, read front to back; past the end everything reads 0.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return at_ >= size_; }
  std::uint8_t U8() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint16_t U16() { return static_cast<std::uint16_t>(U8() | U8() << 8); }
  std::uint32_t U32() { return U16() | static_cast<std::uint32_t>(U16()) << 16; }
  std::uint64_t U64() { return U32() | static_cast<std::uint64_t>(U32()) << 32; }
  // A number for a message parameter or a coordinate, with the extremes likely.
  std::int64_t Value() {
    switch (U8() % 8) {
      case 0:
        return static_cast<std::int8_t>(U8());
      case 1:
        return static_cast<std::int16_t>(U16());
      case 2:
        return U16();
      case 3:
        return static_cast<std::int32_t>(U32());
      case 4:
        return U32();
      case 5: {
        constexpr std::int64_t kExtremes[] = {0,
                                              -1,
                                              1,
                                              0x7FFF,
                                              0x8000,
                                              0xFFFF,
                                              std::numeric_limits<std::int32_t>::max(),
                                              std::numeric_limits<std::int32_t>::min(),
                                              std::numeric_limits<std::uint32_t>::max(),
                                              std::numeric_limits<std::int64_t>::max(),
                                              std::numeric_limits<std::int64_t>::min()};
        return kExtremes[U8() % std::size(kExtremes)];
      }
      case 6:
        return static_cast<std::int64_t>(U64());
      default:
        return U8();
    }
  }
  int Int() { return static_cast<int>(Value()); }
  // Text of the length the input gives (NULs included, so it may end early).
  std::string Text() {
    std::size_t length = U8();
    std::string text;
    for (std::size_t i = 0; i < length && !empty(); ++i) text.push_back(static_cast<char>(U8()));
    return text;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// How a message's parameters are made.
enum class Args {
  kValues,       // any numbers
  kTextIn,       // lParam a text (or null), wParam any
  kTextOut,      // wParam a capacity, lParam a buffer of that size (or null)
  kItemText,     // CB_GETLBTEXT: a buffer large enough for the item asked for
  kSelection,    // EM_GETSEL: each parameter null or a DWORD to fill
  kCopyData,     // lParam a COPYDATASTRUCT with data
  kNextControl,  // WM_NEXTDLGCTL: with lParam set, wParam is a window
  kScroll,       // WM_HSCROLL: lParam a control or null
};

struct MessageKind {
  UINT message;
  Args args;
};

constexpr MessageKind kMessages[] = {
    {BM_GETCHECK, Args::kValues},        {BM_SETCHECK, Args::kValues},      {BM_GETSTATE, Args::kValues},
    {BM_SETSTATE, Args::kValues},        {BM_SETSTYLE, Args::kValues},      {BM_CLICK, Args::kValues},
    {EM_GETSEL, Args::kSelection},       {EM_SETSEL, Args::kValues},        {WM_SETTEXT, Args::kTextIn},
    {WM_GETTEXT, Args::kTextOut},        {WM_GETTEXTLENGTH, Args::kValues}, {CB_ADDSTRING, Args::kTextIn},
    {CB_GETCOUNT, Args::kValues},        {CB_GETCURSEL, Args::kValues},     {CB_GETLBTEXT, Args::kItemText},
    {CB_GETLBTEXTLEN, Args::kValues},    {CB_RESETCONTENT, Args::kValues},  {CB_SETCURSEL, Args::kValues},
    {CB_FINDSTRINGEXACT, Args::kTextIn}, {TBM_GETPOS, Args::kValues},       {TBM_GETRANGEMIN, Args::kValues},
    {TBM_GETRANGEMAX, Args::kValues},    {TBM_SETPOS, Args::kValues},       {TBM_SETRANGE, Args::kValues},
    {TBM_SETRANGEMIN, Args::kValues},    {TBM_SETRANGEMAX, Args::kValues},  {TBM_SETTICFREQ, Args::kValues},
    {TBM_SETPAGESIZE, Args::kValues},    {TBM_GETPAGESIZE, Args::kValues},  {TBM_SETLINESIZE, Args::kValues},
    {TBM_GETLINESIZE, Args::kValues},    {SBM_SETPOS, Args::kValues},       {SBM_GETPOS, Args::kValues},
    {SBM_SETRANGE, Args::kValues},       {WM_CHAR, Args::kValues},          {WM_KEYDOWN, Args::kValues},
    {WM_KEYUP, Args::kValues},           {WM_LBUTTONDOWN, Args::kValues},   {WM_LBUTTONUP, Args::kValues},
    {WM_MOUSEMOVE, Args::kValues},       {WM_ENABLE, Args::kValues},        {WM_SETFOCUS, Args::kValues},
    {WM_KILLFOCUS, Args::kValues},       {DM_SETDEFID, Args::kValues},      {DM_GETDEFID, Args::kValues},
    {WM_NEXTDLGCTL, Args::kNextControl}, {WM_HSCROLL, Args::kScroll},       {WM_SIZE, Args::kValues},
    {WM_COPYDATA, Args::kCopyData},      {WM_CLOSE, Args::kValues},         {WM_PAINT, Args::kValues},
    {WM_ACTIVATE, Args::kValues},        {WM_SHOWWINDOW, Args::kValues},    {WM_CANCELMODE, Args::kValues},
};

constexpr UINT kKeyMessages[] = {WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSCHAR};

constexpr UINT kPositionFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE |
                                SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_NOCOPYBITS | SWP_NOOWNERZORDER;

// A parent that does what programs do: moves the scroll bar's thumb as asked and
// ends the dialog on OK or Cancel.
INT_PTR DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      for (const char* item : {"Gray scale(8 bit)", "True color(24 bit)", "YUV 4:2:2"})
        SendDlgItemMessageA(dialog, 17, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
      SendDlgItemMessageA(dialog, 17, CB_SETCURSEL, 0, 0);
      return TRUE;
    case WM_HSCROLL: {
      HWND bar = GetDlgItem(dialog, kScrollBarId);
      if (reinterpret_cast<HWND>(lParam) != bar || !bar) return FALSE;
      // Wide, so that stepping past either end of the int range is no overflow of its own.
      std::int64_t pos = static_cast<int>(SendMessageA(bar, SBM_GETPOS, 0, 0));
      switch (LOWORD(wParam)) {
        case SB_LINELEFT:
          --pos;
          break;
        case SB_LINERIGHT:
          ++pos;
          break;
        case SB_PAGELEFT:
          pos -= 10;
          break;
        case SB_PAGERIGHT:
          pos += 10;
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          pos = static_cast<SHORT>(HIWORD(wParam));
          break;
        default:
          return TRUE;
      }
      pos = std::clamp<std::int64_t>(pos, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
      SendMessageA(bar, SBM_SETPOS, static_cast<WPARAM>(static_cast<int>(pos)), TRUE);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

// Desktops of each depth the windows draw in; one is chosen per input.
std::vector<std::shared_ptr<sim::Display>>& Displays() {
  static std::vector<std::shared_ptr<sim::Display>> displays = [] {
    std::vector<std::shared_ptr<sim::Display>> made;
    for (DWORD depth : {8u, 16u, 24u, 32u}) {
      sim::DisplayDesc desc;
      desc.width = 200;
      desc.height = 160;
      desc.bits_per_pixel = depth;
      made.push_back(std::make_shared<sim::Display>(
          desc, std::make_shared<sim::DisplayMemory>(desc.memory_bytes, desc.physical_base)));
    }
    return made;
  }();
  return displays;
}

class Session {
 public:
  Session(HWND dialog, Bytes& in) : dialog_(dialog), in_(in) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      windows_.push_back(child);
    windows_.push_back(dialog);
  }

  void Run() {
    int sincePump = 0;
    for (int done = 0; done < kMaxOperations && !in_.empty(); ++done) {
      Step();
      if (++sincePump == 4) {
        Pump();
        sincePump = 0;
      }
    }
    Pump();
  }

  // Everything queued, paints included, as a modeless dialog's loop handles it. A
  // queue that never empties is a hang.
  void Pump() {
    MSG msg;
    for (int i = 0; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
      if (i == 100000) {
        std::fprintf(stderr, "the queue never empties: message 0x%x\n", msg.message);
        std::abort();
      }
      if (IsDialogMessageA(dialog_, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

 private:
  HWND Target() { return windows_[in_.U8() % windows_.size()]; }

  void Step() {
    HWND target = Target();
    switch (in_.U8() % 12) {
      case 0:
      case 1:
      case 2:
        Send(target, kMessages[in_.U8() % std::size(kMessages)]);
        break;
      case 3: {
        // Parameters that carry no pointer may come through the queue as well.
        const MessageKind& kind = kMessages[in_.U8() % std::size(kMessages)];
        if (kind.args == Args::kValues)
          PostMessageA(target, kind.message, static_cast<WPARAM>(in_.Value()), static_cast<LPARAM>(in_.Value()));
        break;
      }
      case 4: {
        // A key as the loop would hand it to the dialog manager, or queued as input.
        MSG msg{target, kKeyMessages[in_.U8() % std::size(kKeyMessages)], in_.U8(), static_cast<LPARAM>(in_.U32()), 0,
                {}};
        if (in_.U8() & 1)
          IsDialogMessageA(dialog_, &msg);
        else
          PostMessageA(msg.hwnd, msg.message, msg.wParam, msg.lParam);
        break;
      }
      case 5: {
        const HWND kInsertAfter[] = {HWND_TOP, HWND_BOTTOM, HWND_TOPMOST, HWND_NOTOPMOST};
        std::uint8_t pick = in_.U8();
        HWND after = pick < 4 ? kInsertAfter[pick] : Target();
        int x = in_.Int(), y = in_.Int(), cx = in_.Int(), cy = in_.Int();
        SetWindowPos(target, after, x, y, cx, cy, in_.U16() & kPositionFlags);
        break;
      }
      case 6: {
        int x = in_.Int(), y = in_.Int(), cx = in_.Int(), cy = in_.Int();
        MoveWindow(target, x, y, cx, cy, in_.U8() & 1);
        break;
      }
      case 7:
        ShowWindow(target, in_.U8() % (SW_SHOWDEFAULT + 1));
        break;
      case 8:
        EnableWindow(target, in_.U8() & 1);
        break;
      case 9:
        SetFocus(in_.U8() & 1 ? target : nullptr);
        break;
      case 10: {
        RECT rect{in_.Int(), in_.Int(), in_.Int(), in_.Int()};
        InvalidateRect(target, in_.U8() & 1 ? &rect : nullptr, in_.U8() & 1);
        if (in_.U8() & 1) UpdateWindow(target);
        break;
      }
      default:
        Automate(target);
        break;
    }
  }

  void Send(HWND target, const MessageKind& kind) {
    WPARAM wParam = static_cast<WPARAM>(in_.Value());
    LPARAM lParam = static_cast<LPARAM>(in_.Value());
    switch (kind.args) {
      case Args::kValues:
        SendMessageA(target, kind.message, wParam, lParam);
        return;
      case Args::kTextIn: {
        std::string text = in_.Text();
        SendMessageA(target, kind.message, wParam, in_.U8() & 1 ? reinterpret_cast<LPARAM>(text.c_str()) : 0);
        return;
      }
      case Args::kTextOut: {
        std::vector<char> buffer(in_.U16() % 1024);
        LRESULT copied = SendMessageA(target, kind.message, buffer.size(),
                                      buffer.empty() ? 0 : reinterpret_cast<LPARAM>(buffer.data()));
        if (copied < 0 || static_cast<std::size_t>(copied) > (buffer.empty() ? 0 : buffer.size() - 1) ||
            (copied && buffer[static_cast<std::size_t>(copied)] != '\0')) {
          std::fprintf(stderr, "WM_GETTEXT copied %ld into %zu bytes\n", static_cast<long>(copied), buffer.size());
          std::abort();
        }
        return;
      }
      case Args::kItemText: {
        // As a program does: asks the length first and makes room for it.
        LRESULT length = SendMessageA(target, CB_GETLBTEXTLEN, wParam, 0);
        std::vector<char> buffer(static_cast<std::size_t>(length > 0 ? length : 0) + 1);
        SendMessageA(target, kind.message, wParam, reinterpret_cast<LPARAM>(buffer.data()));
        return;
      }
      case Args::kSelection: {
        DWORD start = 0, end = 0;
        SendMessageA(target, kind.message, wParam & 1 ? reinterpret_cast<WPARAM>(&start) : 0,
                     lParam & 1 ? reinterpret_cast<LPARAM>(&end) : 0);
        return;
      }
      case Args::kCopyData: {
        std::string data = in_.Text();
        COPYDATASTRUCT copy{static_cast<ULONG_PTR>(wParam), static_cast<DWORD>(data.size()), data.data()};
        SendMessageA(target, kind.message, reinterpret_cast<WPARAM>(in_.U8() & 1 ? dialog_ : nullptr),
                     reinterpret_cast<LPARAM>(&copy));
        return;
      }
      case Args::kNextControl:
        if (lParam & 1) wParam = reinterpret_cast<WPARAM>(Target());
        SendMessageA(target, kind.message, wParam, lParam & 1);
        return;
      case Args::kScroll:
        SendMessageA(target, kind.message, wParam, in_.U8() & 1 ? reinterpret_cast<LPARAM>(Target()) : 0);
        return;
    }
  }

  // What a test or UI script does to the dialog through the automation interface.
  void Automate(HWND target) {
    namespace automation = platform::automation;
    switch (in_.U8() % 7) {
      case 0:
        automation::Click(target);
        break;
      case 1:
        automation::SetText(target, in_.Text());
        break;
      case 2:
        automation::Select(target, in_.Int());
        break;
      case 3:
        automation::MoveSlider(target, in_.Int());
        break;
      case 4:
        automation::Scroll(target, in_.Int());
        break;
      case 5:
        automation::Check(target, in_.U8() & 1);
        break;
      default:
        automation::PressKey(in_.U8(), in_.U8() & 1);
        break;
    }
  }

  HWND dialog_;
  Bytes& in_;
  std::vector<HWND> windows_;  // the controls, then the dialog; some may be gone
};

// Keys held at the end of an input are let go, so the next one starts alike.
void ReleaseKeys() {
  for (int key = 0; key < 256; ++key)
    if (GetKeyState(key) < 0) PostMessageA(nullptr, WM_KEYUP, static_cast<WPARAM>(key), 0);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string error;
  if (!platform::RegisterModuleResources(kModule, kScript, &error)) {
    std::fprintf(stderr, "dialog script: %s\n", error.c_str());
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes in(data, size);
  auto& displays = Displays();
  platform::RegisterDisplayAdapter(displays[in.U8() % displays.size()]);
  HWND dialog = CreateDialogParamA(kModule, MAKEINTRESOURCEA(kDialogId), nullptr, DialogProc, 0);
  if (!dialog) std::abort();
  Session session(dialog, in);
  session.Run();
  DestroyWindow(dialog);
  session.Pump();
  ReleaseKeys();
  platform::DestroyModuleWindows(kModule);
  return 0;
}
