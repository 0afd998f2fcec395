#include "app/AppRules.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "tests/Nested.h"

TEST(AppTitle, FileNameUpToTheFirstDotWithTheRestLowered) {
  EXPECT_EQ(AppTitle(u"/usr/bin/quorel"), u"quorel");
  EXPECT_EQ(AppTitle(u"/x/Quorel.Bin.exe"), u"Quorel");
  EXPECT_EQ(AppTitle(u"QUOREL"), u"Quorel");
  EXPECT_EQ(AppTitle(u"/opt/q.d/kWIND"), u"kwind");
  EXPECT_EQ(AppTitle(u"/x/.hidden"), u"");
  EXPECT_EQ(AppTitle(u""), u"");
  EXPECT_EQ(AppTitle(u"ÉCLAIR ΑΝΕΜΟΣ ВЕТЕР風"), u"Éclair ανεμοσ ветер風");
#ifdef _WIN32
  EXPECT_EQ(AppTitle(u"C:\\Program Files\\Quorel\\QUOREL.EXE"), u"Quorel");
#endif
}

TEST(ReportMessage, TakesTheInnermostNonEmptyMessage) {
  EXPECT_EQ(ReportMessage(Nested("inner", "outer")), "inner.");
  EXPECT_EQ(ReportMessage(Nested("", "outer")), "outer.");
  EXPECT_EQ(ReportMessage(Nested("", "")), "");

  std::exception_ptr deep;
  try {
    try {
      std::rethrow_exception(Nested("", "middle"));
    } catch (...) {
      std::throw_with_nested(std::runtime_error("top"));
    }
  } catch (...) {
    deep = std::current_exception();
  }
  EXPECT_EQ(ReportMessage(deep), "middle.");
}

TEST(ReportMessage, AppendsADotOnlyAfterCharactersAboveIt) {
  struct Case {
    const char* what;
    const char* report;
  } cases[] = {
      {"boom", "boom."}, {"boom.", "boom."}, {"a-", "a-"},  {"a!", "a!"},
      {"x)", "x)"},      {"ok", "ok."},      {"a/", "a/."}, {"1", "1."},
      {"a ", "a "},      {"", ""},           {"風", "風."}, {"wait,", "wait,"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReportMessage(Thrown(std::runtime_error(c.what))), c.report);
}

struct NoWhat : std::exception {
  const char* what() const noexcept override { return nullptr; }
};

TEST(ReportMessage, SurvivesOddExceptions) {
  EXPECT_EQ(ReportMessage(Thrown(42)), "");
  EXPECT_EQ(ReportMessage(Thrown(NoWhat())), "");
  EXPECT_EQ(ReportMessage(nullptr), "");

  // Made outside any handler, the nested part holds nothing.
  std::exception_ptr empty;
  try {
    std::throw_with_nested(std::runtime_error("alone"));
  } catch (...) {
    empty = std::current_exception();
  }
  EXPECT_EQ(ReportMessage(empty), "alone.");

  std::exception_ptr foreignInner;
  try {
    try {
      throw 7;
    } catch (...) {
      std::throw_with_nested(std::runtime_error("wrapper"));
    }
  } catch (...) {
    foreignInner = std::current_exception();
  }
  EXPECT_EQ(ReportMessage(foreignInner), "wrapper.");
}
