#include "dial/DialAccess.h"

#include <string>

std::optional<DialValue> ValueOfChild(int child) {
  if (child < 0 || child >= kDialValueCount) return std::nullopt;
  return kDialValues[child].value;
}

std::optional<int> ButtonOfChild(int child) {
  if (child < kDialValueCount || child >= kDialChildCount) return std::nullopt;
  return child - kDialValueCount;
}

DialArea ChildArea(int child) {
  if (const auto which = ValueOfChild(child)) return StepButtonPair(*which);
  return StepButtonArea(*ButtonOfChild(child));
}

const char* ChildName(Language language, int child) {
  if (const auto which = ValueOfChild(child)) return TextsOf(language, *which).name;
  const StepPress step = StepOfButton(*ButtonOfChild(child));
  const ValueTexts& texts = TextsOf(language, step.value);
  return step.direction > 0 ? texts.raiseName : texts.lowerName;
}

std::optional<int> ChildAt(int x, int y) {
  if (const auto button = StepButtonAt(x, y)) return ChildOfButton(*button);
  for (const DialValueRule& rule : kDialValues) {
    if (StepButtonPair(rule.value).Contains(x, y)) return ChildOfValue(rule.value);
  }
  return std::nullopt;
}

std::string ValueText(Language language, DialValue which, int value) {
  return std::to_string(value) + TextsOf(language, which).unit;
}

const char* HowToChange(Language language, DialValue which) {
  return TextsOf(language, which).howToChange;
}

std::string DialSummary(Language language, int course, int windDirection, int windSpeed) {
  std::string text = TextsIn(language).summary;
  std::size_t at = 0;
  for (int number : {course, windDirection, windSpeed}) {
    at = text.find("{}", at);
    const std::string digits = std::to_string(number);
    text.replace(at, 2, digits);
    at += digits.size();
  }
  return text;
}

void SetFromScreenReader(WindDial& dial, DialValue which, double v) {
  const int next = NearestAllowed(which, v, dial.Value(which));
  if (next == dial.Value(which)) return;
  dial.MakeCurrent(which);
  dial.Set(which, next);
}
