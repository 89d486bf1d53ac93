#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brivanto::ports {

// The result list of the maintenance panel. Lines keep the order in which they were appended.
class ResultList {
 public:
  virtual ~ResultList() = default;
  virtual void Clear() = 0;
  virtual void Append(std::string_view line) = 0;
  virtual std::size_t Count() const = 0;
  // Valid until the list next changes.
  virtual std::string_view Line(std::size_t index) const = 0;
  virtual bool IsSelected(std::size_t index) const = 0;
};

// What the window's logic needs of the screen. Setting a text through this interface never
// raises the control's change event: the logic runs its own change handling.
class FormView {
 public:
  virtual ~FormView() = default;

  virtual std::intptr_t WindowHandle() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetWindowHeightTwips(int outerHeight) = 0;

  virtual std::string PathText() const = 0;
  virtual void SetPathText(const std::string& text) = 0;
  virtual std::string DirText() const = 0;
  virtual void SetDirText(const std::string& text) = 0;

  virtual bool IsMaintenanceVisible() const = 0;
  virtual void SetMaintenanceVisible(bool visible) = 0;
  virtual void SetMaintenanceCaption(const std::string& caption) = 0;
  virtual std::string QueryText() const = 0;
  virtual void SetQueryText(const std::string& text) = 0;
  virtual ResultList& Results() = 0;
};

}  // namespace brivanto::ports
