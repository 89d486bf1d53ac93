#pragma once

namespace brivanto::win32ui {

// A program of the GUI subsystem has no console of its own. Joins the console of the program
// that started it (cmd.exe, a script), so that printed text reaches it; a stream the caller has
// redirected stays as it is. Without such a console the text is lost and only the exit code
// tells the outcome.
void JoinParentConsole();

}  // namespace brivanto::win32ui
