#pragma once

#include <cstdio>
#include <ostream>
#include <streambuf>
#include <string>

namespace brivanto::win32ui {

// A program of the GUI subsystem has no console of its own. Joins the console of the program
// that started it (cmd.exe, a script), so that printed text reaches it; a stream the caller has
// redirected stays as it is. Without such a console the text is lost and only the exit code
// tells the outcome.
void JoinParentConsole();

// One of the C streams stdout and stderr, for the core's UTF-8 text. A console gets it as
// UTF-16 through WriteConsoleW, so it shows every letter whatever the console's code page; a
// file or a pipe gets the bytes as the C stream has always written them.
class ConsoleText final : public std::streambuf {
 public:
  explicit ConsoleText(std::FILE* stream) : stream_(stream) {}
  ConsoleText(const ConsoleText&) = delete;
  ConsoleText& operator=(const ConsoleText&) = delete;
  ~ConsoleText() override;

 protected:
  int_type overflow(int_type character) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  std::FILE* stream_;
  std::string pending_;
};

// An ostream over a ConsoleText, flushed when it goes.
class ConsoleStream final : public std::ostream {
 public:
  explicit ConsoleStream(std::FILE* stream) : std::ostream(nullptr), text_(stream) {
    rdbuf(&text_);
  }
  ~ConsoleStream() override { flush(); }

 private:
  ConsoleText text_;
};

}  // namespace brivanto::win32ui
