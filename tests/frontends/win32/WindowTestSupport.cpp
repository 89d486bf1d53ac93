#include "WindowTestSupport.h"

#include "imagefolder/DocumentPath.h"

namespace brivanto::win32test {

void DescribeSite(testing::FakeServices& fakes) {
  fakes.registry.SetDataSource("driver", "Microsoft Access Driver (*.mdb)");
  fakes.registry.SetDataSource("DBQ", kDatabase);
  fakes.fileSystem.files[kDatabase] = "";
  fakes.database.state.results[imagefolder::kDocumentPathQuery] =
      testing::FakeTable{{"Value"}, {{kImageFolder}}};
}

void PumpMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

std::vector<std::string> ListBoxLines(HWND list) {
  std::vector<std::string> lines;
  const auto count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (WPARAM index = 0; static_cast<LRESULT>(index) < count; ++index) {
    std::string line(static_cast<std::size_t>(::SendMessageA(list, LB_GETTEXTLEN, index, 0)), '\0');
    ::SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(line.data()));
    lines.push_back(line);
  }
  return lines;
}

}  // namespace brivanto::win32test
