#include "win32/Kwind.h"

#include <windowsx.h>

#include <stdexcept>

#include "win32/KwindAccessible.h"
#include "win32/QuorelApp.h"

namespace {

// Ends the paint however PaintHandler leaves, so a failing paint cannot raise WM_PAINT forever.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {}
  ~PaintScope() {
    if (dc_ != nullptr) EndPaint(window_, &ps_);
  }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// The bitmap's 0xFFRRGGBB rows already are a top-down 32-bit DIB's, so one call shows them.
class DcTarget : public CopyTarget {
 public:
  explicit DcTarget(HDC dc) : dc_(dc) {}
  void CopyPixels(const std::uint32_t* pixels, int width, int height) override {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc_, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), pixels, &info, DIB_RGB_COLORS);
  }

 private:
  HDC dc_;
};

}  // namespace

bool TKWind::Register(HINSTANCE instance) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof(cls);
  // Double clicks arrive as their own messages, and step like presses.
  cls.style = CS_DBLCLKS;
  cls.lpfnWndProc = DispatchToObject<TKWind>;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.lpszClassName = kClassName;
  return RegisterClassExW(&cls) != 0;
}

TKWind::TKWind(HWND parent) {
  CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, kSize, kSize, parent, nullptr,
                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), this);
  if (!handle_) throw std::runtime_error("The dial's window could not be created");
}

TKWind::~TKWind() {
  if (handle_) {
    SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
  ReleaseAccessible();
}

void TKWind::ReleaseAccessible() {
  if (accessible_ == nullptr) return;
  accessible_->Disconnect();
  accessible_->Release();
  accessible_ = nullptr;
}

void TKWind::Invalidate() {
  InvalidateRect(handle_, nullptr, FALSE);
}

int TKWind::ClientWidth() const {
  RECT r{};
  GetClientRect(handle_, &r);
  return r.right;
}

int TKWind::ClientHeight() const {
  RECT r{};
  GetClientRect(handle_, &r);
  return r.bottom;
}

LRESULT TKWind::Dispatch(UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_PAINT:
      PaintHandler();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_KEYDOWN:
      KeyDown(static_cast<int>(wp & 0xFFFF));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      Press(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      return 0;
    // A reader told that the dial window has the focus asks it for its focused child, which is
    // the current value's spin button; this event names it outright.
    case WM_SETFOCUS:
      FocusGained();
      AnnounceCurrent();
      return 0;
    case WM_GETOBJECT:
      return GetObjectHandler(wp, lp);
    case WM_NCDESTROY: {
      ReleaseAccessible();
      const HWND window = handle_;
      handle_ = nullptr;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      return DefWindowProcW(window, message, wp, lp);
    }
  }
  return DefWindowProcW(handle_, message, wp, lp);
}

// Without a device context there is nothing to draw on. The area is validated all the same, or
// Windows would send WM_PAINT again at once, forever; the next change repaints it.
void TKWind::PaintHandler() {
  const PaintScope paint(handle_);
  if (paint.Dc() == nullptr) {
    ValidateRect(handle_, nullptr);
    return;
  }
  DcTarget target(paint.Dc());
  Paint(target);
}

LRESULT TKWind::GetObjectHandler(WPARAM wp, LPARAM lp) {
  // Compared as DWORDs: a 64-bit lParam may carry the id sign-extended.
  if (static_cast<DWORD>(lp) != static_cast<DWORD>(OBJID_CLIENT)) {
    return DefWindowProcW(handle_, WM_GETOBJECT, wp, lp);
  }
  if (accessible_ == nullptr) accessible_ = new DialAccessible(this, handle_);
  return LresultFromObject(IID_IAccessible, wp, accessible_);
}

void TKWind::CurrentChanged(DialValue which) {
  NotifyWinEvent(EVENT_OBJECT_FOCUS, handle_, OBJID_CLIENT, ValueChildId(which));
}

bool TKWind::HasKeyboardFocus() const {
  return handle_ != nullptr && GetFocus() == handle_;
}

void TKWind::ValueChanged(DialValue which) {
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, handle_, OBJID_CLIENT, ValueChildId(which));
  NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, handle_, OBJID_CLIENT, CHILDID_SELF);
}

void TKWind::Press(int x, int y) {
  SetFocus(handle_);
  MouseDown(x, y);
}
