// TFQuorel: the main window, a fixed 300 x 300 client area covered by the wind dial, with a
// context menu offering About and Exit.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

#include "app/PopupMenu.h"
#include "win32/Kwind.h"

struct MenuDestroy {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using MenuPtr = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroy>;

struct ScreenRoom;

class TFQuorel final : public MenuCommands {
 public:
  static constexpr const wchar_t* kClassName = L"TFQuorel";
  static bool Register(HINSTANCE instance);

  // Creates the window, which runs FormCreate, with a 300 x 300 client area, or as much of it as
  // the work area holds, where the system places new windows.
  explicit TFQuorel(HINSTANCE instance);
  ~TFQuorel();
  TFQuorel(const TFQuorel&) = delete;
  TFQuorel& operator=(const TFQuorel&) = delete;

  HWND Handle() const { return handle_; }
  void Show(int how) const;

  // The items' command ids are their tags.
  MenuPtr PopupMenu;
  std::unique_ptr<TKWind> dial;

  void FormCreate();
  void FormClose();
  // After every resize: snaps the client area back to the dial, as app/ClientSize.h decides.
  void FormResize();
  void PopupMenuClick(int tag) { ChooseMenuItem(tag, *this); }
  void ShowAbout() override;
  void CloseForm() override;

 private:
  template <class Window>
  friend LRESULT CALLBACK DispatchToObject(HWND, UINT, WPARAM, LPARAM);
  LRESULT Dispatch(UINT message, WPARAM wp, LPARAM lp);
  void OpenPopupMenu(LPARAM at);
  RECT FrameFor(int clientWidth, int clientHeight) const;
  ScreenRoom Room() const;

  HWND handle_ = nullptr;
  // The child that had the keyboard when the window was last deactivated (by About, say), to have
  // it again when the window is activated; none before, so the window keeps it at start-up.
  HWND focusBefore_ = nullptr;
};

extern TFQuorel* FQuorel;
