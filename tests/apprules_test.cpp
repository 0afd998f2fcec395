#include "app/AppRules.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/PopupMenu.h"
#include "app/Report.h"
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

// Records what it shows and logs; a box can fail again behind itself, or fail to show.
class Reporter : public ExceptionReporter {
 public:
  std::vector<std::string> shown, logged;
  std::exception_ptr againBehindTheBox;
  bool boxFails = false;

 protected:
  void ShowReport(const std::string& message) override {
    shown.push_back(message);
    if (againBehindTheBox) ReportException(std::exchange(againBehindTheBox, nullptr));
    if (boxFails) throw std::runtime_error("no box");
  }
  void LogReport(const std::string& message) override { logged.push_back(message); }
};

TEST(ExceptionReporter, AReportWhileOneIsShowingGoesToTheLog) {
  Reporter r;
  r.againBehindTheBox = Thrown(std::runtime_error("again"));
  r.ReportException(Thrown(std::runtime_error("first")));
  r.ReportException(Thrown(std::runtime_error("later")));
  EXPECT_EQ(r.shown, (std::vector<std::string>{"first.", "later."}));
  EXPECT_EQ(r.logged, std::vector<std::string>{"again."});

  r.boxFails = true;
  EXPECT_THROW(r.ReportException(Thrown(std::runtime_error("lost"))), std::runtime_error);
  r.boxFails = false;
  r.ReportException(Thrown(std::runtime_error("shown")));
  EXPECT_EQ(r.shown.back(), "shown.");
}

TEST(PopupMenu, TagOneShowsAboutTagTwoClosesAnyOtherDoesNothing) {
  struct Form : MenuCommands {
    std::string did;
    void ShowAbout() override { did += "about "; }
    void CloseForm() override { did += "close "; }
  } form;
  for (int tag : {0, kPopupMenu[0].tag, kPopupMenu[1].tag, 3, -1}) ChooseMenuItem(tag, form);
  EXPECT_EQ(form.did, "about close ");
}
