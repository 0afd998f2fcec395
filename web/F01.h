// TFQuorel: the page's one form, the 300 x 300 dial with the context menu offering About and
// Exit; the menu and the About box are elements of the page.
#pragma once

#include "app/PopupMenu.h"

class TKWind;

class TFQuorel : public MenuCommands {
 public:
  TFQuorel();
  ~TFQuorel();
  TFQuorel(const TFQuorel&) = delete;
  TFQuorel& operator=(const TFQuorel&) = delete;

  TKWind* dial = nullptr;

  void FormCreate();
  // Tears the dial and its turtle down; the page then closes or says that Quorel has ended.
  void FormClose();
  void PopupMenuClick(int tag) { ChooseMenuItem(tag, *this); }
  void ShowAbout() override;
  void CloseForm() override;
};

extern TFQuorel* FQuorel;
