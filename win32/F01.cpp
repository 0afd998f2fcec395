#include "win32/F01.h"

#include <windowsx.h>

#include <climits>
#include <stdexcept>

#include "app/AppRules.h"
#include "app/ClientSize.h"
#include "win32/QuorelApp.h"

TFQuorel* FQuorel = nullptr;

namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kExStyle = 0;

// Snapping back inside WM_SIZE is not honoured by every window system (Wine's X11 driver keeps
// the frame the window manager gave), so WM_SIZE posts this and its handler snaps.
constexpr UINT kSnapMessage = WM_APP + 1;

}  // namespace

bool TFQuorel::Register(HINSTANCE instance) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof(cls);
  cls.lpfnWndProc = DispatchToObject<TFQuorel>;
  cls.hInstance = instance;
  cls.hIcon = LoadIconW(instance, L"MAINICON");
  cls.hIconSm = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0));
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = kClassName;
  return RegisterClassExW(&cls) != 0;
}

TFQuorel::TFQuorel(HINSTANCE instance) : PopupMenu(CreatePopupMenu()) {
  if (PopupMenu) {
    for (const MenuItem& item : kPopupMenu) {
      AppendMenuW(PopupMenu.get(), MF_STRING, static_cast<UINT_PTR>(item.tag),
                  Wide(item.caption).c_str());
    }
  }
  const Extent initial = InitialClientSize(Room());
  const RECT frame = FrameFor(initial.width, initial.height);
  CreateWindowExW(kExStyle, kClassName, Wide(kFormCaption).c_str(), kStyle, CW_USEDEFAULT,
                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                  nullptr, instance, this);
  if (!handle_) throw std::runtime_error("The main window could not be created");
}

TFQuorel::~TFQuorel() {
  if (handle_) DestroyWindow(handle_);
}

void TFQuorel::Show(int how) const {
  ShowWindow(handle_, how);
  UpdateWindow(handle_);
}

RECT TFQuorel::FrameFor(int clientWidth, int clientHeight) const {
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  return frame;
}

// A failure here is reported and the window is still built, without whatever failed. The dial
// keeps its own size, whatever the screen allowed the form, so that it shows whole once the form
// has room for it.
void TFQuorel::FormCreate() {
  dial = std::make_unique<TKWind>(handle_);
}

void TFQuorel::FormClose() {
  dial.reset();
}

void TFQuorel::FormResize() {
  const WindowShow show = IsIconic(handle_)   ? WindowShow::Minimised
                          : IsZoomed(handle_) ? WindowShow::Maximised
                                              : WindowShow::Normal;
  RECT client{};
  GetClientRect(handle_, &client);
  if (const auto snap = SnapBackClientSize(show, {client.right, client.bottom}, Room())) {
    const RECT frame = FrameFor(snap->width, snap->height);
    SetWindowPos(handle_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// The work area of the window's monitor, or before the window exists of the primary monitor,
// where the system places new windows; should neither be known, nothing bounds the window.
ScreenRoom TFQuorel::Room() const {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  RECT work{0, 0, INT_MAX, INT_MAX};
  if (handle_ != nullptr &&
      GetMonitorInfoW(MonitorFromWindow(handle_, MONITOR_DEFAULTTONEAREST), &monitor)) {
    work = monitor.rcWork;
  } else if (RECT primary{}; SystemParametersInfoW(SPI_GETWORKAREA, 0, &primary, 0)) {
    work = primary;
  }
  const RECT frame = FrameFor(0, 0);
  return {{work.right - work.left, work.bottom - work.top},
          {frame.right - frame.left, frame.bottom - frame.top}};
}

void TFQuorel::ShowAbout() {
  MessageBoxW(handle_, Wide(kAboutText).c_str(), Application.Title().c_str(), MB_OK);
}

void TFQuorel::CloseForm() {
  FormClose();
  DestroyWindow(handle_);
}

// The right button anywhere, the dial included (its DefWindowProc hands WM_CONTEXTMENU up), or
// the keyboard: the menu key or Shift+F10, which give no position. From the keyboard the menu opens
// where the dial's work is, its first item chosen (the Down key the menu's loop reads first), so
// that a screen reader speaks it and Enter takes it.
void TFQuorel::OpenPopupMenu(LPARAM at) {
  POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (at == -1) {
    const DialPoint keyboard = dial ? dial->KeyboardMenuPoint() : DialPoint{0, 0};
    point = {keyboard.x, keyboard.y};
    ClientToScreen(dial ? dial->Handle() : handle_, &point);
    PostMessageW(handle_, WM_KEYDOWN, VK_DOWN, 0);
  }
  PopupMenuClick(0);
  TrackPopupMenu(PopupMenu.get(), TPM_RIGHTBUTTON, point.x, point.y, 0, handle_, nullptr);
}

LRESULT TFQuorel::Dispatch(UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_CREATE:
      try {
        FormCreate();
      } catch (...) {
        Application.ReportException(std::current_exception());
      }
      return 0;
    case WM_SIZE:
      if (wp == SIZE_RESTORED) PostMessageW(handle_, kSnapMessage, 0, 0);
      return 0;
    case kSnapMessage:
      FormResize();
      return 0;
    case WM_CONTEXTMENU:
      OpenPopupMenu(lp);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        focusBefore_ = IsChild(handle_, GetFocus()) ? GetFocus() : nullptr;
      } else if (focusBefore_ != nullptr && IsChild(handle_, focusBefore_)) {
        SetFocus(focusBefore_);
        return 0;
      }
      break;
    // The form has the keys while the dial has not; Tab and Shift+Tab give them to the dial, the
    // one control that takes the focus.
    case WM_KEYDOWN:
      if (wp == VK_TAB && dial) SetFocus(dial->Handle());
      return 0;
    case WM_COMMAND:
      if (HIWORD(wp) == 0) PopupMenuClick(LOWORD(wp));
      return 0;
    case WM_CLOSE:
      CloseForm();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: {
      const HWND window = handle_;
      handle_ = nullptr;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      return DefWindowProcW(window, message, wp, lp);
    }
  }
  return DefWindowProcW(handle_, message, wp, lp);
}
