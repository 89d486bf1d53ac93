#include "QtFileDialog.h"

#include <QFileDialog>
#include <string_view>
#include <vector>

#include "DialogOwner.h"
#include "QtText.h"

namespace brivanto::qt {
namespace {

constexpr char kNul = '\0';

std::vector<std::string_view> SplitAtNul(std::string_view text) {
  std::vector<std::string_view> parts;
  for (auto end = text.find(kNul); end != std::string_view::npos; end = text.find(kNul)) {
    parts.push_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  parts.push_back(text);
  return parts;
}

// Windows' "*.*" also matches names without a dot; Qt's does not. (Both ignore case.)
QString QtGlob(const QString& pattern) {
  const auto glob = pattern.trimmed();
  return glob == QStringLiteral("*.*") ? QStringLiteral("*") : glob;
}

QString QtPatternList(std::string_view patterns) {
  QStringList globs;
  for (const auto& pattern : ToQString(patterns).split(u';', Qt::SkipEmptyParts)) {
    globs << QtGlob(pattern);
  }
  return globs.join(u' ');
}

void ApplyFilters(QFileDialog& dialog, const ports::OpenFileNameRecord& record) {
  const auto filters = QtFileDialog::NameFilters(record.lpstrFilter);
  if (filters.isEmpty()) {
    return;
  }
  // Only the descriptions show, as on Windows; "All files (*.*)" would otherwise read
  // "All files (*.*) (*)".
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(filters);
  const auto index = static_cast<qsizetype>(record.nFilterIndex);
  dialog.selectNameFilter(filters.at(index >= 1 && index <= filters.size() ? index - 1 : 0));
}

QFileDialog::FileMode FileModeFor(const ports::OpenFileNameRecord& record, bool open) {
  return open && (record.Flags & ports::ofn_flags::kFileMustExist) != 0 ? QFileDialog::ExistingFile
                                                                        : QFileDialog::AnyFile;
}

void Configure(QFileDialog& dialog, const ports::OpenFileNameRecord& record, bool open) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(FileModeFor(record, open));
  if (!record.lpstrTitle.empty()) {
    dialog.setWindowTitle(ToQString(record.lpstrTitle));
  }
  if (record.lpstrInitialDir && !record.lpstrInitialDir->empty()) {
    dialog.setDirectory(ToQString(*record.lpstrInitialDir));
  }
  ApplyFilters(dialog, record);
  const auto initialName =
      std::string_view{record.lpstrFile}.substr(0, record.lpstrFile.find(kNul));
  if (!initialName.empty()) {
    dialog.selectFile(ToQString(initialName));
  }
  if (!record.lpstrDefExt.empty()) {
    dialog.setDefaultSuffix(ToQString(record.lpstrDefExt));
  }
}

// The path and its terminating NUL must fit the caller's buffer, as with the Windows dialog.
bool WriteChosenPath(ports::OpenFileNameRecord& record, const std::string& path) {
  if (path.size() + 1 > record.nMaxFile) {
    return false;
  }
  record.lpstrFile = path;
  record.lpstrFile.resize(record.nMaxFile, kNul);
  return true;
}

}  // namespace

QStringList QtFileDialog::NameFilters(const std::string& filterList) {
  const auto parts = SplitAtNul(filterList);
  QStringList filters;
  for (std::size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) {
    filters << ToQString(parts[i]) + QStringLiteral(" (") + QtPatternList(parts[i + 1]) + u')';
  }
  return filters;
}

bool QtFileDialog::GetOpenFileNameA(ports::OpenFileNameRecord& record) {
  return Run(record, true);
}

bool QtFileDialog::GetSaveFileNameA(ports::OpenFileNameRecord& record) {
  return Run(record, false);
}

bool QtFileDialog::Run(ports::OpenFileNameRecord& record, bool open) {
  QFileDialog dialog(DialogOwner(record.hwndOwner, parent_));
  Configure(dialog, record, open);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return false;
  }
  return WriteChosenPath(record, ToStdString(dialog.selectedFiles().constFirst()));
}

}  // namespace brivanto::qt
