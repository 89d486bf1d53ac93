#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ports/Shell.h"

namespace brivanto::ComDlg {

inline constexpr const char* kDefaultBrowseTitle = "Please select a folder:";
inline constexpr std::size_t kBrowsePathBufferLength = 512;
inline constexpr std::size_t kStatusPathBufferLength = 260;

std::uint32_t BrowseFlags(bool includeFiles, bool newStyle);

// The chosen folder exactly as the system gives it (a drive root keeps its backslash), or empty
// text on cancel. A non-empty start folder is where the dialog opens. One dialog at a time: the
// start folder and the shell wait in module storage for BrowseCallbackProc.
std::string BrowseForFolder(ports::Shell& shell, std::intptr_t owner,
                            const std::string& startFolder,
                            const std::string& title = kDefaultBrowseTitle,
                            bool includeFiles = false, bool newStyle = false);

// Moves the dialog to the start folder when it opens and shows the selected folder's path in
// its status line. Returns 0 whatever happens.
int BrowseCallbackProc(std::intptr_t dialogWindow, std::uint32_t message,
                       std::intptr_t messageParameter, std::intptr_t applicationData);

// The text that the callback sends as the start folder: the last start folder given, followed by
// one NUL; empty before the first.
const std::string& BrowseStartFolder();

}  // namespace brivanto::ComDlg
