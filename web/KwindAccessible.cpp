#include "web/KwindAccessible.h"

#include <emscripten.h>

#include <cstdlib>
#include <string>

#include "dial/DialAccess.h"
#include "web/Kwind.h"

EM_JS(char*, QuorelBrowserLanguage, (), {
  const tag = navigator.language || "";
  const size = lengthBytesUTF8(tag) + 1;
  const out = _malloc(size);
  stringToUTF8(tag, out, size);
  return out;
});
EM_JS(void, QuorelSetDialTexts, (const char* name, const char* description),
      { quorelShell.setDialTexts(UTF8ToString(name), UTF8ToString(description)); });
EM_JS(void, QuorelAddSlider,
      (int child, const char* name, const char* description, int min, int max),
      { quorelShell.addSlider(child, UTF8ToString(name), UTF8ToString(description), min, max); });
EM_JS(void, QuorelAddButton, (int child, const char* name, int x, int y),
      { quorelShell.addButton(child, UTF8ToString(name), x, y); });
EM_JS(void, QuorelSetSliderValue, (int child, int value, const char* text),
      { quorelShell.setSliderValue(child, value, UTF8ToString(text)); });
EM_JS(void, QuorelSetCurrent, (int child), { quorelShell.setCurrent(child); });

namespace {

Language PageLanguage() {
  char* tag = QuorelBrowserLanguage();
  const Language language = LanguageOfTag(tag);
  std::free(tag);
  return language;
}

Language TheLanguage() {
  static const Language language = PageLanguage();
  return language;
}

void UpdateSummary(const TKWind& dial) {
  const Language language = TheLanguage();
  QuorelSetDialTexts(
      TextsIn(language).dialName,
      DialSummary(language, dial.course(), dial.windDirection(), dial.windSpeed()).c_str());
}

}  // namespace

void BuildDialAccessible(const TKWind& dial) {
  const Language language = TheLanguage();
  UpdateSummary(dial);
  for (int child = 0; child < kDialChildCount; ++child) {
    if (const auto which = ValueOfChild(child)) {
      const DialValueRule& rule = RuleOf(*which);
      QuorelAddSlider(child, ChildName(language, child), HowToChange(language, *which),
                      rule.minimum, rule.maximum);
      NotifyDialValueChanged(dial, *which);
    } else {
      const DialPoint centre = ChildArea(child).Centre();
      QuorelAddButton(child, ChildName(language, child), centre.x, centre.y);
    }
  }
}

void NotifyDialValueChanged(const TKWind& dial, DialValue which) {
  const int value = dial.Value(which);
  QuorelSetSliderValue(ChildOfValue(which), value, ValueText(TheLanguage(), which, value).c_str());
  UpdateSummary(dial);
}

void NotifyDialFocus(DialValue which) {
  QuorelSetCurrent(ChildOfValue(which));
}
