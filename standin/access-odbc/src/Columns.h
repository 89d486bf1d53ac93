// How result columns are described to the application: as the Access driver describes Jet's
// columns ("SQLColAttributes (Access Driver)"), without the base table and column names it does
// not provide ("Descriptors and Desktop Database Drivers"), and with names in its code page.
#pragma once

#include "Statements.h"

namespace brivanto::standin {

SQLRETURN DescribeColumn(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column,
                         SQLCHAR* name, SQLSMALLINT name_size, SQLSMALLINT* name_length,
                         SQLSMALLINT* type, SQLULEN* size, SQLSMALLINT* digits,
                         SQLSMALLINT* nullable);

// Which of the SQLite driver's functions answers: SQLColAttribute or SQLColAttributes.
enum class AttributeCall { kColAttribute, kColAttributes };

// Diagnostics go to report_to: the statement, or the descriptor SQLGetDescField was called on.
SQLRETURN ColumnAttribute(AttributeCall call, SQLHSTMT statement, StatementState& state,
                          SQLHANDLE report_to, SQLUSMALLINT column, SQLUSMALLINT field,
                          SQLPOINTER text, SQLSMALLINT text_size, SQLSMALLINT* text_length,
                          SQLLEN* number);

// SQLGetDescField on one of the stand-in's descriptors: the implementation row descriptor
// answers what SQLColAttribute answers; the others are not supported, as in the SQLite driver.
SQLRETURN DescriptorField(const FoundDescriptor& descriptor, SQLSMALLINT record, SQLSMALLINT field,
                          SQLPOINTER value, SQLINTEGER size, SQLINTEGER* length);

}  // namespace brivanto::standin
