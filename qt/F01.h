// TFQuorel: the main window, a fixed 300 x 300 client area covered by the wind dial, with a
// context menu offering About and Exit.
#pragma once

#include <QWidget>

#include "app/PopupMenu.h"

class QAction;
class QMenu;
class TKWind;
struct ScreenRoom;

class TFQuorel : public QWidget, public MenuCommands {
  Q_OBJECT

 public:
  explicit TFQuorel(QWidget* parent = nullptr);

  QMenu* PopupMenu;
  QAction* PMenuAbout;
  QAction* PMenuExit;
  TKWind* dial = nullptr;

  void FormCreate();
  void FormClose();
  // After every resize: snaps the client area back to the dial, as app/ClientSize.h decides.
  void FormResize();
  void PopupMenuClick(int tag) { ChooseMenuItem(tag, *this); }
  void ShowAbout() override;
  void CloseForm() override { close(); }

  static QString AboutText();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // The right button, the menu key or Shift+F10, anywhere: the dial passes them on.
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  ScreenRoom Room() const;
  // From the keyboard the menu opens where the dial's work is, its first item chosen, so that a
  // screen reader speaks it and Enter takes it.
  void PopupFromKeyboard();
};

extern TFQuorel* FQuorel;
