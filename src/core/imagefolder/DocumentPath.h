#pragma once

#include <string>

#include "ports/Database.h"

namespace brivanto::imagefolder {

inline constexpr const char* kDocumentPathQuery =
    "Select * from tblSettings where [Section] = 'Storage' and [sKey] = 'DocumentPath'";
inline constexpr const char* kInsertDocumentPath =
    "Insert into tblSettings ([Section],[sKey] ,[Value]) Values('Storage' ,'DocumentPath',?)";

// Stores `folder` verbatim as the Storage/DocumentPath setting: the first matching row gets it,
// or a new row when there is none. Throws Failure when a database step fails.
void WriteDocumentPath(ports::Connection& connection, const std::string& folder);

}  // namespace brivanto::imagefolder
