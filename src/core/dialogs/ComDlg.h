#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ports/FileDialog.h"

namespace brivanto::ComDlg {

inline constexpr std::uint32_t kDialogBufferLength = 255;
inline constexpr std::uint32_t kShowOpenFlags = ports::ofn_flags::kHideReadOnly |
                                                ports::ofn_flags::kNoChangeDir |
                                                ports::ofn_flags::kFileMustExist;
inline constexpr std::int32_t kFileChosen = 0;
inline constexpr std::int32_t kNoFileChosen = -1;

// description NUL pattern NUL; neither part is checked.
std::string BuildFilter(std::string_view pattern, std::string_view description);

// The text before the first NUL, or all of it when it holds none.
std::string TrimAtNull(std::string_view text);

std::string CurrentDirectory();

struct FileDialogArguments {
  // When set, receives the dialog's final flags after a file was chosen.
  std::uint32_t* flags = nullptr;
  std::uint32_t flagsIn = 0;
  // nullopt lets the dialog choose its own start folder.
  std::optional<std::string> initialFolder = CurrentDirectory();
  std::string filter;
  std::uint32_t filterIndex = 1;
  std::string defaultExtension;
  std::string title;
  std::intptr_t owner = 0;
  bool open = true;
};

ports::OpenFileNameRecord BuildFileDialogRecord(const std::string& initialFileName,
                                                const FileDialogArguments& arguments);

// 0 when a file was chosen (`fileName` then holds its full path), -1 otherwise (`fileName` is
// then empty). Cancel and failure look the same.
std::int32_t ShowFileDialog(ports::FileDialog& dialog, std::string& fileName,
                            const FileDialogArguments& arguments = {});

// Picks an existing file. A blank filter means all files.
std::int32_t ShowOpenEx(ports::FileDialog& dialog, std::string& fileName, const std::string& filter,
                        const std::optional<std::string>& initialFolder, const std::string& title,
                        std::intptr_t owner);

std::int32_t ShowOpen(ports::FileDialog& dialog, std::string& fileName, const std::string& filter,
                      const std::optional<std::string>& initialFolder, const std::string& title);

}  // namespace brivanto::ComDlg
