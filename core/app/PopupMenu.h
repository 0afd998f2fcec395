// The context menu: its items, and what choosing one does, whatever the toolkit that shows it.
#pragma once

#include <array>
#include <string_view>

inline constexpr int kTagAbout = 1;
inline constexpr int kTagExit = 2;

struct MenuItem {
  int tag;
  std::u16string_view caption;  // "&" marks the access key
};

// In order, captions in UTF-16 as the toolkits take them.
inline constexpr std::array<MenuItem, 2> kPopupMenu = {{
    {kTagAbout, u"Quorelについて(&A)..."},
    {kTagExit, u"終了(&X)"},
}};

// What the main form does for the menu.
class MenuCommands {
 public:
  virtual void ShowAbout() = 0;
  virtual void CloseForm() = 0;

 protected:
  ~MenuCommands() = default;
};

// Tag 1 shows About, tag 2 closes the form; any other does nothing, as the 0 that the menu's
// opening passes.
void ChooseMenuItem(int tag, MenuCommands& form);
