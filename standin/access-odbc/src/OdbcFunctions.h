// The ODBC entry points the stand-in exports. Every one of them exists in the SQLite ODBC driver
// under the same name and with the same signature as declared in <sql.h>/<sqlext.h>.
//
// Not exported on purpose: SQLBrowseConnect (it would reach the SQLite driver without the checks
// that keep it from creating files), SQLDrivers and SQLDataSources (driver manager functions)
// and ODBCINSTGetProperties (it would describe the SQLite driver's options, not ours).
#pragma once

#include <sql.h>
#include <sqlext.h>

// clang-format off

// Passed through to the SQLite driver. X(kind, name, function id, parameters, arguments); the
// kind names the handle the first argument is, and with it what happens around the call (see
// Forwarder.cpp): the handle's diagnostics are cleared before and copied from the SQLite driver
// after. OnFetch also forgets what the stand-in held of the statement's current row, and OnCursor
// that and what it worked out about the result columns: such calls move to another row or
// another result set. OnRowFetch and OnExtendedFetch fetch as OnFetch does and then fill the
// character columns the stand-in keeps bound itself, which OnBind binds, and OnSetPos positions
// within a rowset the stand-in fetched itself (BoundColumns.h).
#define BRIVANTO_FORWARDED_FUNCTIONS(X) \
  X(OnEnvironment, SQLAllocConnect, SQL_API_SQLALLOCCONNECT, (SQLHENV env, SQLHDBC* dbc), (env, dbc)) \
  X(OnEnvironment, SQLAllocEnv, SQL_API_SQLALLOCENV, (SQLHENV* env), (env)) \
  X(OnBind, SQLBindCol, SQL_API_SQLBINDCOL, \
    (SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER value, SQLLEN size, \
     SQLLEN* indicator), \
    (stmt, column, type, value, size, indicator)) \
  X(OnFetch, SQLBulkOperations, SQL_API_SQLBULKOPERATIONS, (SQLHSTMT stmt, SQLSMALLINT operation), \
    (stmt, operation)) \
  X(OnStatement, SQLCancel, SQL_API_SQLCANCEL, (SQLHSTMT stmt), (stmt)) \
  X(OnCursor, SQLCloseCursor, SQL_API_SQLCLOSECURSOR, (SQLHSTMT stmt), (stmt)) \
  X(OnCursor, SQLColumnPrivileges, SQL_API_SQLCOLUMNPRIVILEGES, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* table, SQLSMALLINT table_length, SQLCHAR* column, \
     SQLSMALLINT column_length), \
    (stmt, catalog, catalog_length, schema, schema_length, table, table_length, column, \
     column_length)) \
  X(OnCursor, SQLColumns, SQL_API_SQLCOLUMNS, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* table, SQLSMALLINT table_length, SQLCHAR* column, \
     SQLSMALLINT column_length), \
    (stmt, catalog, catalog_length, schema, schema_length, table, table_length, column, \
     column_length)) \
  X(OnDescriptor, SQLCopyDesc, SQL_API_SQLCOPYDESC, (SQLHDESC source, SQLHDESC target), \
    (source, target)) \
  X(OnStatement, SQLDescribeParam, SQL_API_SQLDESCRIBEPARAM, \
    (SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT* type, SQLULEN* size, SQLSMALLINT* digits, \
     SQLSMALLINT* nullable), \
    (stmt, number, type, size, digits, nullable)) \
  X(OnExtendedFetch, SQLExtendedFetch, SQL_API_SQLEXTENDEDFETCH, \
    (SQLHSTMT stmt, SQLUSMALLINT orientation, SQLLEN offset, SQLULEN* rows, \
     SQLUSMALLINT* statuses), \
    (stmt, orientation, offset, rows, statuses)) \
  X(OnRowFetch, SQLFetch, SQL_API_SQLFETCH, (SQLHSTMT stmt), (stmt)) \
  X(OnRowFetch, SQLFetchScroll, SQL_API_SQLFETCHSCROLL, \
    (SQLHSTMT stmt, SQLSMALLINT orientation, SQLLEN offset), (stmt, orientation, offset)) \
  X(OnCursor, SQLForeignKeys, SQL_API_SQLFOREIGNKEYS, \
    (SQLHSTMT stmt, SQLCHAR* pk_catalog, SQLSMALLINT pk_catalog_length, SQLCHAR* pk_schema, \
     SQLSMALLINT pk_schema_length, SQLCHAR* pk_table, SQLSMALLINT pk_table_length, \
     SQLCHAR* fk_catalog, SQLSMALLINT fk_catalog_length, SQLCHAR* fk_schema, \
     SQLSMALLINT fk_schema_length, SQLCHAR* fk_table, SQLSMALLINT fk_table_length), \
    (stmt, pk_catalog, pk_catalog_length, pk_schema, pk_schema_length, pk_table, \
     pk_table_length, fk_catalog, fk_catalog_length, fk_schema, fk_schema_length, fk_table, \
     fk_table_length)) \
  X(OnEnvironment, SQLFreeEnv, SQL_API_SQLFREEENV, (SQLHENV env), (env)) \
  X(OnConnection, SQLGetConnectAttr, SQL_API_SQLGETCONNECTATTR, \
    (SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER size, SQLINTEGER* length), \
    (dbc, attribute, value, size, length)) \
  X(OnConnection, SQLGetConnectOption, SQL_API_SQLGETCONNECTOPTION, \
    (SQLHDBC dbc, SQLUSMALLINT option, SQLPOINTER value), (dbc, option, value)) \
  X(OnStatement, SQLGetCursorName, SQL_API_SQLGETCURSORNAME, \
    (SQLHSTMT stmt, SQLCHAR* name, SQLSMALLINT size, SQLSMALLINT* length), \
    (stmt, name, size, length)) \
  X(OnDescriptor, SQLGetDescRec, SQL_API_SQLGETDESCREC, \
    (SQLHDESC desc, SQLSMALLINT record, SQLCHAR* name, SQLSMALLINT size, SQLSMALLINT* length, \
     SQLSMALLINT* type, SQLSMALLINT* subtype, SQLLEN* octets, SQLSMALLINT* precision, \
     SQLSMALLINT* scale, SQLSMALLINT* nullable), \
    (desc, record, name, size, length, type, subtype, octets, precision, scale, nullable)) \
  X(OnEnvironment, SQLGetEnvAttr, SQL_API_SQLGETENVATTR, \
    (SQLHENV env, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER size, SQLINTEGER* length), \
    (env, attribute, value, size, length)) \
  X(OnConnection, SQLGetInfo, SQL_API_SQLGETINFO, \
    (SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT size, SQLSMALLINT* length), \
    (dbc, type, value, size, length)) \
  X(OnCursor, SQLGetTypeInfo, SQL_API_SQLGETTYPEINFO, (SQLHSTMT stmt, SQLSMALLINT type), \
    (stmt, type)) \
  X(OnCursor, SQLMoreResults, SQL_API_SQLMORERESULTS, (SQLHSTMT stmt), (stmt)) \
  X(OnConnection, SQLNativeSql, SQL_API_SQLNATIVESQL, \
    (SQLHDBC dbc, SQLCHAR* in, SQLINTEGER in_length, SQLCHAR* out, SQLINTEGER out_size, \
     SQLINTEGER* out_length), \
    (dbc, in, in_length, out, out_size, out_length)) \
  X(OnStatement, SQLNumParams, SQL_API_SQLNUMPARAMS, (SQLHSTMT stmt, SQLSMALLINT* count), \
    (stmt, count)) \
  X(OnStatement, SQLNumResultCols, SQL_API_SQLNUMRESULTCOLS, (SQLHSTMT stmt, SQLSMALLINT* count), \
    (stmt, count)) \
  X(OnCursor, SQLParamData, SQL_API_SQLPARAMDATA, (SQLHSTMT stmt, SQLPOINTER* value), \
    (stmt, value)) \
  X(OnStatement, SQLParamOptions, SQL_API_SQLPARAMOPTIONS, \
    (SQLHSTMT stmt, SQLULEN rows, SQLULEN* row), (stmt, rows, row)) \
  X(OnCursor, SQLPrimaryKeys, SQL_API_SQLPRIMARYKEYS, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* table, SQLSMALLINT table_length), \
    (stmt, catalog, catalog_length, schema, schema_length, table, table_length)) \
  X(OnCursor, SQLProcedureColumns, SQL_API_SQLPROCEDURECOLUMNS, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* procedure, SQLSMALLINT procedure_length, \
     SQLCHAR* column, SQLSMALLINT column_length), \
    (stmt, catalog, catalog_length, schema, schema_length, procedure, procedure_length, column, \
     column_length)) \
  X(OnCursor, SQLProcedures, SQL_API_SQLPROCEDURES, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* procedure, SQLSMALLINT procedure_length), \
    (stmt, catalog, catalog_length, schema, schema_length, procedure, procedure_length)) \
  X(OnStatement, SQLPutData, SQL_API_SQLPUTDATA, (SQLHSTMT stmt, SQLPOINTER data, SQLLEN length), \
    (stmt, data, length)) \
  X(OnConnection, SQLSetConnectAttr, SQL_API_SQLSETCONNECTATTR, \
    (SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length), \
    (dbc, attribute, value, length)) \
  X(OnConnection, SQLSetConnectOption, SQL_API_SQLSETCONNECTOPTION, \
    (SQLHDBC dbc, SQLUSMALLINT option, SQLULEN value), (dbc, option, value)) \
  X(OnStatement, SQLSetCursorName, SQL_API_SQLSETCURSORNAME, \
    (SQLHSTMT stmt, SQLCHAR* name, SQLSMALLINT length), (stmt, name, length)) \
  X(OnDescriptor, SQLSetDescField, SQL_API_SQLSETDESCFIELD, \
    (SQLHDESC desc, SQLSMALLINT record, SQLSMALLINT field, SQLPOINTER value, SQLINTEGER length), \
    (desc, record, field, value, length)) \
  X(OnDescriptor, SQLSetDescRec, SQL_API_SQLSETDESCREC, \
    (SQLHDESC desc, SQLSMALLINT record, SQLSMALLINT type, SQLSMALLINT subtype, SQLLEN octets, \
     SQLSMALLINT precision, SQLSMALLINT scale, SQLPOINTER data, SQLLEN* length, \
     SQLLEN* indicator), \
    (desc, record, type, subtype, octets, precision, scale, data, length, indicator)) \
  X(OnEnvironment, SQLSetEnvAttr, SQL_API_SQLSETENVATTR, \
    (SQLHENV env, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length), \
    (env, attribute, value, length)) \
  X(OnSetPos, SQLSetPos, SQL_API_SQLSETPOS, \
    (SQLHSTMT stmt, SQLSETPOSIROW row, SQLUSMALLINT operation, SQLUSMALLINT lock), \
    (stmt, row, operation, lock)) \
  X(OnCursor, SQLSpecialColumns, SQL_API_SQLSPECIALCOLUMNS, \
    (SQLHSTMT stmt, SQLUSMALLINT kind, SQLCHAR* catalog, SQLSMALLINT catalog_length, \
     SQLCHAR* schema, SQLSMALLINT schema_length, SQLCHAR* table, SQLSMALLINT table_length, \
     SQLUSMALLINT scope, SQLUSMALLINT nullable), \
    (stmt, kind, catalog, catalog_length, schema, schema_length, table, table_length, scope, \
     nullable)) \
  X(OnCursor, SQLStatistics, SQL_API_SQLSTATISTICS, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* table, SQLSMALLINT table_length, SQLUSMALLINT unique, \
     SQLUSMALLINT reserved), \
    (stmt, catalog, catalog_length, schema, schema_length, table, table_length, unique, \
     reserved)) \
  X(OnCursor, SQLTablePrivileges, SQL_API_SQLTABLEPRIVILEGES, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* table, SQLSMALLINT table_length), \
    (stmt, catalog, catalog_length, schema, schema_length, table, table_length)) \
  X(OnCursor, SQLTables, SQL_API_SQLTABLES, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* table, SQLSMALLINT table_length, SQLCHAR* types, \
     SQLSMALLINT types_length), \
    (stmt, catalog, catalog_length, schema, schema_length, table, table_length, types, \
     types_length))

// Exported with their own implementation (Forwarder.cpp, StatementFunctions.cpp), which may
// still call the SQLite driver's function of the same name. X(name, function id).
#define BRIVANTO_INTERCEPTED_FUNCTIONS(X) \
  X(SQLAllocHandle, SQL_API_SQLALLOCHANDLE) \
  X(SQLAllocStmt, SQL_API_SQLALLOCSTMT) \
  X(SQLBindParam, SQL_API_SQLBINDPARAM) \
  X(SQLBindParameter, SQL_API_SQLBINDPARAMETER) \
  X(SQLColAttribute, SQL_API_SQLCOLATTRIBUTE) \
  X(SQLColAttributes, SQL_API_SQLCOLATTRIBUTES) \
  X(SQLConnect, SQL_API_SQLCONNECT) \
  X(SQLDescribeCol, SQL_API_SQLDESCRIBECOL) \
  X(SQLDisconnect, SQL_API_SQLDISCONNECT) \
  X(SQLDriverConnect, SQL_API_SQLDRIVERCONNECT) \
  X(SQLEndTran, SQL_API_SQLENDTRAN) \
  X(SQLError, SQL_API_SQLERROR) \
  X(SQLExecDirect, SQL_API_SQLEXECDIRECT) \
  X(SQLExecute, SQL_API_SQLEXECUTE) \
  X(SQLFreeConnect, SQL_API_SQLFREECONNECT) \
  X(SQLFreeHandle, SQL_API_SQLFREEHANDLE) \
  X(SQLFreeStmt, SQL_API_SQLFREESTMT) \
  X(SQLGetData, SQL_API_SQLGETDATA) \
  X(SQLGetDescField, SQL_API_SQLGETDESCFIELD) \
  X(SQLGetDiagField, SQL_API_SQLGETDIAGFIELD) \
  X(SQLGetDiagRec, SQL_API_SQLGETDIAGREC) \
  X(SQLGetFunctions, SQL_API_SQLGETFUNCTIONS) \
  X(SQLGetStmtAttr, SQL_API_SQLGETSTMTATTR) \
  X(SQLGetStmtOption, SQL_API_SQLGETSTMTOPTION) \
  X(SQLPrepare, SQL_API_SQLPREPARE) \
  X(SQLRowCount, SQL_API_SQLROWCOUNT) \
  X(SQLSetParam, SQL_API_SQLSETPARAM) \
  X(SQLSetScrollOptions, SQL_API_SQLSETSCROLLOPTIONS) \
  X(SQLSetStmtAttr, SQL_API_SQLSETSTMTATTR) \
  X(SQLSetStmtOption, SQL_API_SQLSETSTMTOPTION) \
  X(SQLTransact, SQL_API_SQLTRANSACT)

// clang-format on
