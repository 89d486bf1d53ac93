#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "maintenance/LineStore.h"
#include "ports/FormView.h"

namespace brivanto::app {

class TextOnlyResultList : public ports::ResultList {
 public:
  void Clear() override { lines_.Clear(); }
  void Append(std::string_view line) override { lines_.Append(line); }
  std::size_t Count() const override { return lines_.Count(); }
  std::string_view Line(std::size_t index) const override { return lines_.Line(index); }
  bool IsSelected(std::size_t /*index*/) const override { return false; }

 private:
  maintenance::LineStore lines_;
};

// The window's controls reduced to the texts they would hold, for running its logic without a
// screen.
class TextOnlyView : public ports::FormView {
 public:
  std::intptr_t WindowHandle() const override { return 0; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  void SetWindowHeightTwips(int /*outerHeight*/) override {}
  std::string PathText() const override { return path_; }
  void SetPathText(const std::string& text) override { path_ = text; }
  std::string DirText() const override { return dir_; }
  void SetDirText(const std::string& text) override { dir_ = text; }
  bool IsMaintenanceVisible() const override { return false; }
  void SetMaintenanceVisible(bool /*visible*/) override {}
  void SetMaintenanceCaption(const std::string& /*caption*/) override {}
  std::string QueryText() const override { return query_; }
  void SetQueryText(const std::string& text) override { query_ = text; }
  ports::ResultList& Results() override { return results_; }

 private:
  std::string caption_;
  std::string path_;
  std::string dir_;
  std::string query_;
  TextOnlyResultList results_;
};

}  // namespace brivanto::app
