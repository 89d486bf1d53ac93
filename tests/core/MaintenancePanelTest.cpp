#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frmRepairDb.h"
#include "support/Fakes.h"

namespace brivanto::testing {
namespace {

class MaintenancePanelTest : public ::testing::Test {
 protected:
  void List(const std::vector<std::string>& lines) {
    for (const auto& line : lines) {
      view.results.Append(line);
    }
  }

  FakeServices fakes;
  FakeView view;
  app::frmRepairDb form{view, fakes.Bundle()};
};

TEST_F(MaintenancePanelTest, TwoClicksShowAndHideThePanelAndKeepItsContent) {
  view.query = "select 1";
  List({"a"});

  form.cmdMaintenance_Click();
  EXPECT_EQ(view.outerHeight, 12045);
  EXPECT_TRUE(view.maintenanceVisible);
  EXPECT_EQ(view.maintenanceCaption, "Verbergen");

  form.cmdMaintenance_Click();
  EXPECT_EQ(view.outerHeight, 3285);
  EXPECT_FALSE(view.maintenanceVisible);
  EXPECT_EQ(view.maintenanceCaption, "Onderhoud");
  EXPECT_EQ(view.query, "select 1");
  EXPECT_EQ(view.results.lines, std::vector<std::string>{"a"});
}

TEST_F(MaintenancePanelTest, ClearEmptiesQueryAndListButKeepsThePanelShown) {
  form.cmdMaintenance_Click();
  view.query = "delete from t";
  List({"Start Query 10:00:00", ""});

  form.cmdClear_Click();

  EXPECT_EQ(view.query, "");
  EXPECT_TRUE(view.results.lines.empty());
  EXPECT_TRUE(view.maintenanceVisible);
}

TEST_F(MaintenancePanelTest, CopyTakesSelectedLinesInListOrderEachWithCrLf) {
  List({"line 0", "line 1", "", "line 3"});

  form.cmdCopy_Click();
  EXPECT_EQ(fakes.clipboard.text, "");

  view.results.selected[3] = true;
  form.cmdCopy_Click();
  EXPECT_EQ(fakes.clipboard.text, "line 3\r\n");

  view.results.selected[1] = true;
  form.cmdCopy_Click();
  EXPECT_EQ(fakes.clipboard.text, "line 1\r\nline 3\r\n");

  view.results.selected[2] = true;
  form.cmdCopy_Click();
  EXPECT_EQ(fakes.clipboard.text, "line 1\r\n\r\nline 3\r\n");
  EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(MaintenancePanelTest, BusyClipboardIsReportedWithoutCopying) {
  List({"line 0"});
  view.results.selected[0] = true;
  fakes.clipboard.busy = true;

  form.cmdCopy_Click();

  EXPECT_FALSE(fakes.clipboard.text.has_value());
  ASSERT_EQ(fakes.messageBox.shown.size(), 1U);
  EXPECT_EQ(fakes.messageBox.shown[0].style, 0);
  EXPECT_EQ(fakes.messageBox.shown[0].title, "BrivantoRepairDb");
}

}  // namespace
}  // namespace brivanto::testing
