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

std::vector<std::string> ListBoxLines(const win32ui::Win32FormWindow& window) {
  std::vector<std::string> lines;
  const auto count = ::SendMessageA(window.Control("lstResult"), LB_GETCOUNT, 0, 0);
  for (std::size_t index = 0; static_cast<LRESULT>(index) < count; ++index) {
    lines.push_back(window.DrawnText(index));
  }
  return lines;
}

}  // namespace brivanto::win32test
