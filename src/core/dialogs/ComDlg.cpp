#include "dialogs/ComDlg.h"

#include <filesystem>
#include <system_error>

namespace brivanto::ComDlg {
namespace {

constexpr char kNul = '\0';

std::string NulBuffer() {
  return std::string(kDialogBufferLength, kNul);
}

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

std::string BuildFilter(std::string_view pattern, std::string_view description) {
  std::string filter;
  filter.reserve(description.size() + pattern.size() + 2);
  filter.append(description).push_back(kNul);
  filter.append(pattern).push_back(kNul);
  return filter;
}

std::string TrimAtNull(std::string_view text) {
  return std::string(text.substr(0, text.find(kNul)));
}

std::string CurrentDirectory() {
  std::error_code error;
  auto current = std::filesystem::current_path(error);
  // Without a readable current folder the dialog simply picks its own start folder.
  return error ? std::string() : current.string();
}

ports::OpenFileNameRecord BuildFileDialogRecord(const std::string& initialFileName,
                                                const FileDialogArguments& arguments) {
  ports::OpenFileNameRecord record;
  record.hwndOwner = arguments.owner;
  // The list ends in two NULs: the filter's own last NUL and the text's terminator.
  record.lpstrFilter = arguments.filter + kNul;
  record.lpstrCustomFilter = NulBuffer();
  record.nMaxCustFilter = kDialogBufferLength;
  record.nFilterIndex = arguments.filterIndex;
  record.lpstrFile = (initialFileName + NulBuffer()).substr(0, kDialogBufferLength);
  record.nMaxFile = kDialogBufferLength;
  record.lpstrFileTitle = NulBuffer();
  record.nMaxFileTitle = kDialogBufferLength;
  record.lpstrInitialDir = arguments.initialFolder;
  record.lpstrTitle = arguments.title;
  record.Flags = arguments.flagsIn;
  record.lpstrDefExt = arguments.defaultExtension;
  return record;
}

std::int32_t ShowFileDialog(ports::FileDialog& dialog, std::string& fileName,
                            const FileDialogArguments& arguments) {
  auto record = BuildFileDialogRecord(fileName, arguments);
  const bool chosen =
      arguments.open ? dialog.GetOpenFileNameA(record) : dialog.GetSaveFileNameA(record);
  if (!chosen) {
    fileName.clear();
    return kNoFileChosen;
  }
  if (arguments.flags != nullptr) {
    *arguments.flags = record.Flags;
  }
  fileName = TrimAtNull(record.lpstrFile);
  return kFileChosen;
}

std::int32_t ShowOpenEx(ports::FileDialog& dialog, std::string& fileName, const std::string& filter,
                        const std::optional<std::string>& initialFolder, const std::string& title,
                        std::intptr_t owner) {
  FileDialogArguments arguments;
  arguments.flagsIn = kShowOpenFlags;
  arguments.initialFolder = initialFolder;
  arguments.filter = IsBlank(filter) ? BuildFilter("*.*", "All files (*.*)") : filter;
  arguments.title = title;
  arguments.owner = owner;
  std::string chosen;
  const auto result = ShowFileDialog(dialog, chosen, arguments);
  fileName = TrimAtNull(chosen);
  return result;
}

std::int32_t ShowOpen(ports::FileDialog& dialog, std::string& fileName, const std::string& filter,
                      const std::optional<std::string>& initialFolder, const std::string& title) {
  return ShowOpenEx(dialog, fileName, filter, initialFolder, title, 0);
}

}  // namespace brivanto::ComDlg
