// TFQuorel: the main window, a fixed 300 x 300 client area covered by the wind dial, with a
// context menu offering About and Exit.
#pragma once

#include <QWidget>

class QAction;
class QMenu;
class TKWind;
struct ScreenRoom;

class TFQuorel : public QWidget {
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
  // Tag 1 shows About, tag 2 closes the form; the menu's opening passes 0, which does nothing.
  void PopupMenuClick(int tag);

  static QString AboutText();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  ScreenRoom Room() const;
};

extern TFQuorel* FQuorel;
