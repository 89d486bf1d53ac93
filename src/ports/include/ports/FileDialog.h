#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace brivanto::ports {

// The open/save dialog record in its 76-byte form. Texts are byte strings in the system's
// single-byte code page; buffers carry their embedded NULs.
struct OpenFileNameRecord {
  std::uint32_t lStructSize = 76;
  std::intptr_t hwndOwner = 0;
  std::intptr_t hInstance = 0;
  // Pairs of description and pattern, each ended by NUL, the list ended by one more NUL.
  std::string lpstrFilter;
  std::string lpstrCustomFilter;
  std::uint32_t nMaxCustFilter = 0;
  std::uint32_t nFilterIndex = 0;
  std::string lpstrFile;
  std::uint32_t nMaxFile = 0;
  std::string lpstrFileTitle;
  std::uint32_t nMaxFileTitle = 0;
  std::optional<std::string> lpstrInitialDir;  // nullopt: the dialog picks its own start folder
  std::string lpstrTitle;                      // empty: the system's own caption
  std::uint32_t Flags = 0;
  std::uint16_t nFileOffset = 0;
  std::uint16_t nFileExtension = 0;
  std::string lpstrDefExt;
  std::intptr_t lCustData = 0;
  std::intptr_t lpfnHook = 0;
  std::optional<std::string> lpTemplateName;
};

namespace ofn_flags {
inline constexpr std::uint32_t kHideReadOnly = 0x4;
inline constexpr std::uint32_t kNoChangeDir = 0x8;
inline constexpr std::uint32_t kFileMustExist = 0x1000;
}  // namespace ofn_flags

// The system's common file dialogs. On success the chosen full path is written into
// lpstrFile (NUL-padded to nMaxFile) and the final flags into Flags.
class FileDialog {
 public:
  virtual ~FileDialog() = default;
  virtual bool GetOpenFileNameA(OpenFileNameRecord& record) = 0;
  virtual bool GetSaveFileNameA(OpenFileNameRecord& record) = 0;
};

}  // namespace brivanto::ports
