#pragma once

// The window as the core sees it: texts, visibility and the result list, all in fields.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ports/FormView.h"

namespace brivanto::testing {

class FakeResultList : public ports::ResultList {
 public:
  void Clear() override { lines.clear(), selected.clear(); }
  void Append(std::string_view line) override {
    lines.emplace_back(line), selected.push_back(false);
  }
  std::size_t Count() const override { return lines.size(); }
  std::string_view Line(std::size_t index) const override { return lines.at(index); }
  bool IsSelected(std::size_t index) const override { return selected.at(index); }

  std::vector<std::string> lines;
  std::vector<bool> selected;
};

class FakeView : public ports::FormView {
 public:
  std::intptr_t WindowHandle() const override { return 0x1234; }
  void SetCaption(const std::string& text) override { caption = text; }
  void SetWindowHeightTwips(int height) override { outerHeight = height; }
  std::string PathText() const override { return path; }
  void SetPathText(const std::string& text) override { path = text; }
  std::string DirText() const override { return dir; }
  void SetDirText(const std::string& text) override { dir = text; }
  bool IsMaintenanceVisible() const override { return maintenanceVisible; }
  void SetMaintenanceVisible(bool visible) override { maintenanceVisible = visible; }
  void SetMaintenanceCaption(const std::string& text) override { maintenanceCaption = text; }
  std::string QueryText() const override { return query; }
  void SetQueryText(const std::string& text) override { query = text; }
  ports::ResultList& Results() override { return results; }

  std::string caption = "Repareren database";
  int outerHeight = 3285;
  std::string path;
  std::string dir;
  bool maintenanceVisible = false;
  std::string maintenanceCaption = "Onderhoud";
  std::string query;
  FakeResultList results;
};

}  // namespace brivanto::testing
