#include "web/F01.h"

#include <emscripten.h>

#include <string>

#include "app/AppRules.h"
#include "web/Kwind.h"
#include "web/QuorelApp.h"

TFQuorel* FQuorel = nullptr;

// The texts travel as the UTF-16 the core keeps them in.
EM_JS(void, QuorelAddMenuItem, (int tag, const char16_t* caption),
      { quorelShell.addMenuItem(tag, UTF16ToString(caption)); });
EM_JS(void, QuorelShowAbout, (const char16_t* title, const char16_t* text),
      { quorelShell.showMessage(UTF16ToString(title), UTF16ToString(text), false); });
EM_JS(void, QuorelEnded, (), { quorelShell.ended(); });

TFQuorel::TFQuorel() {
  for (const MenuItem& item : kPopupMenu) {
    QuorelAddMenuItem(item.tag, std::u16string(item.caption).c_str());
  }
  // A failure here is reported and the page still comes up, without whatever failed.
  App().Dispatch([this] { FormCreate(); });
}

TFQuorel::~TFQuorel() {
  FormClose();
}

void TFQuorel::FormCreate() {
  dial = new TKWind;
}

void TFQuorel::FormClose() {
  delete dial;
  dial = nullptr;
}

void TFQuorel::ShowAbout() {
  QuorelShowAbout(App().Title().c_str(), std::u16string(kAboutText).c_str());
}

void TFQuorel::CloseForm() {
  FormClose();
  QuorelEnded();
}
