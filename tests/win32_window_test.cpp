// quorel.exe as a user meets it, on a display with a window manager: started as a process of its
// own, its window read back from the screen and driven through its window messages.
#include <gtest/gtest.h>
#include <oleacc.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "dial/WindDial.h"
#include "tests/Pixels.h"
#include "tests/QuorelExe.h"

namespace {

constexpr DWORD kPatienceMs = 10000;

// Polls until ready holds or the patience runs out; true if it held.
template <class Ready>
bool WaitFor(Ready ready) {
  for (DWORD waited = 0; waited < kPatienceMs; waited += 50) {
    if (ready()) return true;
    Sleep(50);
  }
  return ready();
}

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right, r.bottom};
}

// The program beside this test's folder, started as a process of its own.
class Quorel {
 public:
  Quorel() {
    const std::wstring path = QuorelExePath();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring command = L"\"" + path + L"\"";
    if (!CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_)) {
      return;
    }
    WaitForInputIdle(process_.hProcess, kPatienceMs);
    WaitFor([this] {
      EnumWindows(&Quorel::Match, reinterpret_cast<LPARAM>(this));
      return form != nullptr && IsWindowVisible(form);
    });
    if (form) dial = FindWindowExW(form, nullptr, L"TKWind", nullptr);
  }
  ~Quorel() {
    if (process_.hProcess) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
      }
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
  }
  Quorel(const Quorel&) = delete;
  Quorel& operator=(const Quorel&) = delete;

  // The exit code, or -1 while it still runs.
  long ExitCode() const {
    if (WaitForSingleObject(process_.hProcess, kPatienceMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<long>(code);
  }

  DWORD ThreadId() const { return process_.dwThreadId; }

  HWND form = nullptr;
  HWND dial = nullptr;

 private:
  static BOOL CALLBACK Match(HWND window, LPARAM self) {
    auto* quorel = reinterpret_cast<Quorel*>(self);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t cls[32] = {};
    GetClassNameW(window, cls, 32);
    if (pid != quorel->process_.dwProcessId || std::wstring(cls) != L"TFQuorel") return TRUE;
    quorel->form = window;
    return FALSE;
  }

  PROCESS_INFORMATION process_{};
};

// The dial's 300 x 300 pixels as the screen shows them, 0x00RRGGBB.
std::vector<std::uint32_t> Screenshot(HWND dial) {
  POINT origin{0, 0};
  ClientToScreen(dial, &origin);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = WindDial::kSize;
  info.bmiHeader.biHeight = -WindDial::kSize;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, WindDial::kSize, WindDial::kSize, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  std::vector<std::uint32_t> pixels(
      static_cast<const std::uint32_t*>(bits),
      static_cast<const std::uint32_t*>(bits) + WindDial::kSize * WindDial::kSize);
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  for (std::uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

// The dial at these values, drawn in this process with the same code and fonts.
std::vector<std::uint32_t> Expected(int course, int wind, int speed) {
  WindDial dial;
  dial.StepCourse(course);
  dial.StepWind(wind);
  dial.StepSpeed(speed);
  Capture picture;
  dial.Paint(picture);
  for (std::uint32_t& p : picture.pixels) p &= 0xFFFFFF;
  return picture.pixels;
}

int Differing(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  int n = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i];
  return n + static_cast<int>(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
}

// Waits for the screen to show expected, then says how many pixels still differ.
int ShownDifference(HWND dial, const std::vector<std::uint32_t>& expected) {
  int differing = 0;
  WaitFor([&] { return (differing = Differing(Screenshot(dial), expected)) == 0; });
  return differing;
}

struct WindowSearch {
  const wchar_t* windowClass;
  bool found;
};

BOOL CALLBACK NoteOpen(HWND window, LPARAM search) {
  auto* s = reinterpret_cast<WindowSearch*>(search);
  wchar_t cls[16] = {};
  GetClassNameW(window, cls, 16);
  if (std::wstring(cls) == s->windowClass && IsWindowVisible(window)) s->found = true;
  return TRUE;
}

// Whether the thread shows a top-level window of the class: "#32768" for a popup menu, "#32770"
// for a message box.
bool IsOpen(DWORD thread, const wchar_t* windowClass) {
  WindowSearch search{windowClass, false};
  EnumThreadWindows(thread, NoteOpen, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool MenuIsOpen(DWORD thread) {
  return IsOpen(thread, L"#32768");
}

TEST(QuorelWindow, ShowsTheDialAndKeepsItsSizeThenExitsWithZero) {
  Quorel quorel;
  ASSERT_NE(quorel.form, nullptr) << "no window of class TFQuorel";
  ASSERT_NE(quorel.dial, nullptr) << "no dial of class TKWind";
  EXPECT_EQ(ClientSize(quorel.form).cx, WindDial::kSize);
  EXPECT_EQ(ClientSize(quorel.form).cy, WindDial::kSize);
  EXPECT_EQ(ShownDifference(quorel.dial, Expected(360, 360, 0)), 0);

  SetWindowPos(quorel.form, nullptr, 0, 0, 520, 410, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(WaitFor([&] {
    const SIZE s = ClientSize(quorel.form);
    return s.cx == WindDial::kSize && s.cy == WindDial::kSize;
  }));

  PostMessageW(quorel.dial, WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(ShownDifference(quorel.dial, Expected(10, 360, 0)), 0) << "Page Down";

  // The filled square at the top right raises the course by 10.
  PostMessageW(quorel.dial, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(285, 15));
  PostMessageW(quorel.dial, WM_LBUTTONUP, 0, MAKELPARAM(285, 15));
  EXPECT_EQ(ShownDifference(quorel.dial, Expected(20, 360, 0)), 0) << "course up";

  PostMessageW(quorel.dial, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(150, 150));
  PostMessageW(quorel.dial, WM_RBUTTONUP, 0, MAKELPARAM(150, 150));
  ASSERT_TRUE(WaitFor([&] { return MenuIsOpen(quorel.ThreadId()); })) << "no context menu";
  // The Exit item's access key, read by the menu's own loop.
  PostMessageW(quorel.form, WM_KEYDOWN, 'X', 0);
  PostMessageW(quorel.form, WM_CHAR, 'x', 0);
  EXPECT_EQ(quorel.ExitCode(), 0);
}

// A press and release of key, while held (if any) is down.
void SendKey(WORD key, WORD held = 0) {
  INPUT input[4] = {};
  for (INPUT& i : input) i.type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[3].ki.wVk = held;
  input[1].ki.wVk = input[2].ki.wVk = key;
  input[2].ki.dwFlags = input[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(held != 0 ? 4 : 2, held != 0 ? input : input + 1, sizeof(INPUT));
}

void SendClick(HWND window, int x, int y) {
  POINT at{x, y};
  ClientToScreen(window, &at);
  SetCursorPos(at.x, at.y);
  INPUT input[2] = {};
  for (INPUT& i : input) i.type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
}

// Through the system's input queue, as from the keyboard and the mouse.
TEST(QuorelWindow, KeysReachTheDialOnlyOnceAPressHasGivenItTheFocus) {
  Quorel quorel;
  ASSERT_NE(quorel.dial, nullptr);
  SetForegroundWindow(quorel.form);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == quorel.form; }));
  SendKey(VK_NEXT);
  Sleep(500);
  EXPECT_EQ(Differing(Screenshot(quorel.dial), Expected(360, 360, 0)), 0) << "unfocused";

  // Outside every button: only the focus changes.
  SendClick(quorel.dial, 150, 100);
  SendKey(VK_NEXT);
  EXPECT_EQ(ShownDifference(quorel.dial, Expected(10, 360, 0)), 0) << "focused";
}

TEST(QuorelWindow, TheFramesCloseButtonExitsWithZero) {
  Quorel quorel;
  ASSERT_NE(quorel.form, nullptr);
  PostMessageW(quorel.form, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(quorel.ExitCode(), 0);
}

// What a screen reader hears from the dial's process, in order: (event, child id).
std::vector<std::pair<DWORD, LONG>>* heard = nullptr;
DWORD heardProcess = 0;

void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const bool told = event == EVENT_OBJECT_FOCUS || event == EVENT_OBJECT_VALUECHANGE;
  if (heard != nullptr && told && pid == heardProcess && object == OBJID_CLIENT) {
    heard->push_back({event, child});
  }
}

// Out-of-context events arrive through this thread's message queue.
void PumpFor(DWORD ms) {
  const DWORD until = GetTickCount() + ms;
  while (GetTickCount() < until) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(10);
  }
}

VARIANT Child(LONG id) {
  VARIANT child{};
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

// The dial's MSAA object, as a screen reader in another process gets it.
class Reader {
 public:
  explicit Reader(HWND dial) : com_(SUCCEEDED(CoInitialize(nullptr))) {
    if (com_) {
      AccessibleObjectFromWindow(dial, OBJID_CLIENT, IID_IAccessible,
                                 reinterpret_cast<void**>(&object));
    }
  }
  ~Reader() {
    if (object != nullptr) object->Release();
    if (com_) CoUninitialize();
  }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  IAccessible* object = nullptr;

 private:
  bool com_;
};

std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), IAccessible* a,
                  LONG child) {
  BSTR text = nullptr;
  if ((a->*get)(Child(child), &text) != S_OK || text == nullptr) return L"(none)";
  std::wstring result(text, SysStringLen(text));
  SysFreeString(text);
  return result;
}

LONG Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), IAccessible* a,
            LONG child) {
  VARIANT out{};
  if ((a->*get)(Child(child), &out) != S_OK || out.vt != VT_I4) return -1;
  return out.lVal;
}

LONG Focused(IAccessible* a) {
  VARIANT out{};
  if (a->get_accFocus(&out) != S_OK || out.vt != VT_I4) return -1;
  return out.lVal;
}

HRESULT SetValue(IAccessible* a, LONG child, const wchar_t* value) {
  BSTR text = SysAllocString(value);
  const HRESULT result = a->put_accValue(Child(child), text);
  SysFreeString(text);
  return result;
}

// Through MSAA from another process, as screen readers read it.
TEST(QuorelWindow, ScreenReadersReadTheValuesSetOneAndFollowTheFocus) {
  Quorel quorel;
  ASSERT_NE(quorel.dial, nullptr);
  const Reader reader(quorel.dial);
  IAccessible* dial = reader.object;
  ASSERT_NE(dial, nullptr);
  EXPECT_EQ(Text(&IAccessible::get_accName, dial, CHILDID_SELF), L"Wind dial");
  EXPECT_EQ(Text(&IAccessible::get_accDescription, dial, CHILDID_SELF),
            L"Wind dial: course 360, wind 360 degrees at 0");
  LONG count = 0;
  EXPECT_EQ(dial->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 9);
  const wchar_t* names[] = {L"Course", L"Wind direction", L"Wind speed"};
  const wchar_t* values[] = {L"360 degrees", L"360 degrees", L"0"};
  for (LONG child = 1; child <= 3; ++child) {
    EXPECT_EQ(Text(&IAccessible::get_accName, dial, child), names[child - 1]);
    EXPECT_EQ(Text(&IAccessible::get_accValue, dial, child), values[child - 1]);
    EXPECT_NE(Text(&IAccessible::get_accDescription, dial, child), L"(none)");
    EXPECT_EQ(Number(&IAccessible::get_accRole, dial, child), ROLE_SYSTEM_SPINBUTTON);
    EXPECT_EQ(Number(&IAccessible::get_accState, dial, child), STATE_SYSTEM_FOCUSABLE);
  }
  EXPECT_EQ(Focused(dial), -1) << "nothing of the dial has the focus at start-up";

  std::vector<std::pair<DWORD, LONG>> seen;
  heard = &seen;
  GetWindowThreadProcessId(quorel.dial, &heardProcess);
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr, Hear,
                                       0, 0, WINEVENT_OUTOFCONTEXT);
  EXPECT_NE(hook, nullptr);

  EXPECT_EQ(SetValue(dial, 3, L"25"), S_OK);
  EXPECT_EQ(Text(&IAccessible::get_accValue, dial, 3), L"25");
  EXPECT_EQ(SetValue(dial, 1, L"north"), E_INVALIDARG);
  EXPECT_EQ(ShownDifference(quorel.dial, Expected(360, 360, 25)), 0) << "set by a screen reader";

  PostMessageW(quorel.form, WM_KEYDOWN, VK_TAB, 0);
  EXPECT_TRUE(WaitFor([&] { return Focused(dial) == 1; })) << "Tab gives the dial the focus";
  EXPECT_EQ(Number(&IAccessible::get_accState, dial, 1),
            STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED);
  PostMessageW(quorel.dial, WM_KEYDOWN, VK_END, 0);
  EXPECT_TRUE(WaitFor([&] { return Focused(dial) == 2; })) << "End works on the wind";
  EXPECT_EQ(Text(&IAccessible::get_accValue, dial, 2), L"10 degrees");

  PumpFor(500);
  UnhookWinEvent(hook);
  heard = nullptr;
  // The system's own focus event for the dial (child 0) may come first. A change is told before
  // the focus moves to its value, so that a reader speaks the new value once, with the focus.
  std::erase(seen, std::pair<DWORD, LONG>{EVENT_OBJECT_FOCUS, CHILDID_SELF});
  EXPECT_EQ(seen, (std::vector<std::pair<DWORD, LONG>>{{EVENT_OBJECT_VALUECHANGE, 3},
                                                       {EVENT_OBJECT_FOCUS, 1},
                                                       {EVENT_OBJECT_VALUECHANGE, 2},
                                                       {EVENT_OBJECT_FOCUS, 2}}));
}

// The step buttons are push buttons whose default action presses them as the mouse does.
TEST(QuorelWindow, ScreenReadersPressTheStepButtons) {
  Quorel quorel;
  ASSERT_NE(quorel.dial, nullptr);
  const Reader reader(quorel.dial);
  IAccessible* dial = reader.object;
  ASSERT_NE(dial, nullptr);
  for (LONG child = 4; child <= 9; ++child) {
    EXPECT_EQ(Number(&IAccessible::get_accRole, dial, child), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(Text(&IAccessible::get_accDefaultAction, dial, child), L"Press");
    LONG left = 0, top = 0, width = 0, height = 0;
    EXPECT_EQ(dial->accLocation(&left, &top, &width, &height, Child(child)), S_OK);
    EXPECT_EQ(width, 16);
    VARIANT hit{};
    EXPECT_EQ(dial->accHitTest(left + width / 2, top + height / 2, &hit), S_OK);
    EXPECT_EQ(hit.lVal, child);
  }
  EXPECT_EQ(Text(&IAccessible::get_accDefaultAction, dial, 3), L"(none)");
  EXPECT_EQ(dial->accDoDefaultAction(Child(3)), DISP_E_MEMBERNOTFOUND);

  EXPECT_EQ(dial->accDoDefaultAction(Child(9)), S_OK);
  EXPECT_EQ(ShownDifference(quorel.dial, Expected(360, 360, 1)), 0) << "speed up pressed";
  EXPECT_TRUE(WaitFor([&] { return Focused(dial) == 3; })) << "a press gives the dial the focus";
}

// Shift+F10 and the menu key open the menu with its first item chosen, so Enter takes About;
// when the menu or the box closes, the value that was being changed has the focus again.
TEST(QuorelWindow, TheMenuOpensFromTheKeyboardAndGivesTheCurrentValueBack) {
  Quorel quorel;
  ASSERT_NE(quorel.dial, nullptr);
  const Reader reader(quorel.dial);
  ASSERT_NE(reader.object, nullptr);
  SetForegroundWindow(quorel.form);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == quorel.form; }));
  SendClick(quorel.dial, 37, 277);  // wind up
  ASSERT_TRUE(WaitFor([&] { return Focused(reader.object) == 2; }));

  SendKey(VK_F10, VK_SHIFT);
  ASSERT_TRUE(WaitFor([&] { return MenuIsOpen(quorel.ThreadId()); })) << "Shift+F10";
  SendKey(VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return IsOpen(quorel.ThreadId(), L"#32770"); }))
      << "About, the first item";
  SendKey(VK_RETURN);
  EXPECT_TRUE(WaitFor([&] { return !IsOpen(quorel.ThreadId(), L"#32770"); }));
  EXPECT_TRUE(WaitFor([&] { return Focused(reader.object) == 2; })) << "after About";

  SendKey(VK_APPS);
  ASSERT_TRUE(WaitFor([&] { return MenuIsOpen(quorel.ThreadId()); })) << "menu key";
  SendKey(VK_ESCAPE);
  EXPECT_TRUE(WaitFor([&] { return !MenuIsOpen(quorel.ThreadId()); }));
  EXPECT_TRUE(WaitFor([&] { return Focused(reader.object) == 2; })) << "after the menu";
  EXPECT_EQ(Differing(Screenshot(quorel.dial), Expected(360, 10, 0)), 0);
}

// Run once more with LANG=ja_JP.UTF-8 (tests/windows.cmake), which Wine must take for a Japanese
// user interface: the texts follow it.
TEST(QuorelWindow, TheTextsFollowTheUserInterfacesLanguage) {
  wchar_t lang[64] = {};
  GetEnvironmentVariableW(L"LANG", lang, 64);
  const bool japanese = std::wstring(lang).starts_with(L"ja") ||
                        PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
  Quorel quorel;
  ASSERT_NE(quorel.dial, nullptr);
  const Reader reader(quorel.dial);
  IAccessible* dial = reader.object;
  ASSERT_NE(dial, nullptr);
  EXPECT_EQ(Text(&IAccessible::get_accName, dial, CHILDID_SELF),
            japanese ? L"風ダイヤル" : L"Wind dial");
  EXPECT_EQ(Text(&IAccessible::get_accName, dial, 1), japanese ? L"針路" : L"Course");
  EXPECT_EQ(Text(&IAccessible::get_accValue, dial, 2), japanese ? L"360度" : L"360 degrees");
  EXPECT_EQ(Text(&IAccessible::get_accName, dial, 9),
            japanese ? L"風速を上げる" : L"Raise wind speed");
  EXPECT_EQ(Text(&IAccessible::get_accDefaultAction, dial, 9), japanese ? L"押す" : L"Press");
}

}  // namespace
