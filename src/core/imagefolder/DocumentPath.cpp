#include "imagefolder/DocumentPath.h"

namespace brivanto::imagefolder {

void WriteDocumentPath(ports::Connection& connection, const std::string& folder) {
  const auto settings = connection.OpenRecordset(kDocumentPathQuery, ports::CursorType::Dynamic,
                                                 ports::LockType::Optimistic);
  if (settings->Eof()) {
    // The count of inserted rows is not needed: an insert that is refused throws.
    connection.ExecuteWithParameters(kInsertDocumentPath, {folder});
    return;
  }
  settings->UpdateField("Value", folder, {"tblSettings", {"Section", "sKey"}});
}

}  // namespace brivanto::imagefolder
