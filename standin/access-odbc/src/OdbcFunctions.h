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

// Passed straight through. X(prologue, name, function id, parameters, arguments); the prologue
// runs with the arguments before the call: OnConnection clears the connection's own diagnostic,
// which ODBC requires of every call on that handle.
#define BRIVANTO_FORWARDED_FUNCTIONS(X) \
  X(OnAnyHandle, SQLAllocConnect, SQL_API_SQLALLOCCONNECT, (SQLHENV env, SQLHDBC* dbc), (env, dbc)) \
  X(OnAnyHandle, SQLAllocEnv, SQL_API_SQLALLOCENV, (SQLHENV* env), (env)) \
  X(OnConnection, SQLAllocStmt, SQL_API_SQLALLOCSTMT, (SQLHDBC dbc, SQLHSTMT* stmt), (dbc, stmt)) \
  X(OnAnyHandle, SQLBindCol, SQL_API_SQLBINDCOL, \
    (SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER value, SQLLEN size, \
     SQLLEN* indicator), \
    (stmt, column, type, value, size, indicator)) \
  X(OnAnyHandle, SQLBindParam, SQL_API_SQLBINDPARAM, \
    (SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT value_type, SQLSMALLINT parameter_type, \
     SQLULEN precision, SQLSMALLINT scale, SQLPOINTER value, SQLLEN* indicator), \
    (stmt, number, value_type, parameter_type, precision, scale, value, indicator)) \
  X(OnAnyHandle, SQLBindParameter, SQL_API_SQLBINDPARAMETER, \
    (SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT direction, SQLSMALLINT c_type, \
     SQLSMALLINT sql_type, SQLULEN column_size, SQLSMALLINT digits, SQLPOINTER value, \
     SQLLEN size, SQLLEN* indicator), \
    (stmt, number, direction, c_type, sql_type, column_size, digits, value, size, indicator)) \
  X(OnAnyHandle, SQLBulkOperations, SQL_API_SQLBULKOPERATIONS, (SQLHSTMT stmt, SQLSMALLINT operation), \
    (stmt, operation)) \
  X(OnAnyHandle, SQLCancel, SQL_API_SQLCANCEL, (SQLHSTMT stmt), (stmt)) \
  X(OnAnyHandle, SQLCloseCursor, SQL_API_SQLCLOSECURSOR, (SQLHSTMT stmt), (stmt)) \
  X(OnAnyHandle, SQLColAttribute, SQL_API_SQLCOLATTRIBUTE, \
    (SQLHSTMT stmt, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text, SQLSMALLINT size, \
     SQLSMALLINT* length, SQLLEN* number), \
    (stmt, column, field, text, size, length, number)) \
  X(OnAnyHandle, SQLColAttributes, SQL_API_SQLCOLATTRIBUTES, \
    (SQLHSTMT stmt, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text, SQLSMALLINT size, \
     SQLSMALLINT* length, SQLLEN* number), \
    (stmt, column, field, text, size, length, number)) \
  X(OnAnyHandle, SQLColumnPrivileges, SQL_API_SQLCOLUMNPRIVILEGES, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* table, SQLSMALLINT table_length, SQLCHAR* column, \
     SQLSMALLINT column_length), \
    (stmt, catalog, catalog_length, schema, schema_length, table, table_length, column, \
     column_length)) \
  X(OnAnyHandle, SQLColumns, SQL_API_SQLCOLUMNS, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* table, SQLSMALLINT table_length, SQLCHAR* column, \
     SQLSMALLINT column_length), \
    (stmt, catalog, catalog_length, schema, schema_length, table, table_length, column, \
     column_length)) \
  X(OnAnyHandle, SQLCopyDesc, SQL_API_SQLCOPYDESC, (SQLHDESC source, SQLHDESC target), \
    (source, target)) \
  X(OnAnyHandle, SQLDescribeCol, SQL_API_SQLDESCRIBECOL, \
    (SQLHSTMT stmt, SQLUSMALLINT column, SQLCHAR* name, SQLSMALLINT size, SQLSMALLINT* length, \
     SQLSMALLINT* type, SQLULEN* column_size, SQLSMALLINT* digits, SQLSMALLINT* nullable), \
    (stmt, column, name, size, length, type, column_size, digits, nullable)) \
  X(OnAnyHandle, SQLDescribeParam, SQL_API_SQLDESCRIBEPARAM, \
    (SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT* type, SQLULEN* size, SQLSMALLINT* digits, \
     SQLSMALLINT* nullable), \
    (stmt, number, type, size, digits, nullable)) \
  X(OnConnection, SQLDisconnect, SQL_API_SQLDISCONNECT, (SQLHDBC dbc), (dbc)) \
  X(OnAnyHandle, SQLExecDirect, SQL_API_SQLEXECDIRECT, \
    (SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length), (stmt, text, length)) \
  X(OnAnyHandle, SQLExecute, SQL_API_SQLEXECUTE, (SQLHSTMT stmt), (stmt)) \
  X(OnAnyHandle, SQLExtendedFetch, SQL_API_SQLEXTENDEDFETCH, \
    (SQLHSTMT stmt, SQLUSMALLINT orientation, SQLLEN offset, SQLULEN* rows, \
     SQLUSMALLINT* statuses), \
    (stmt, orientation, offset, rows, statuses)) \
  X(OnAnyHandle, SQLFetch, SQL_API_SQLFETCH, (SQLHSTMT stmt), (stmt)) \
  X(OnAnyHandle, SQLFetchScroll, SQL_API_SQLFETCHSCROLL, \
    (SQLHSTMT stmt, SQLSMALLINT orientation, SQLLEN offset), (stmt, orientation, offset)) \
  X(OnAnyHandle, SQLForeignKeys, SQL_API_SQLFOREIGNKEYS, \
    (SQLHSTMT stmt, SQLCHAR* pk_catalog, SQLSMALLINT pk_catalog_length, SQLCHAR* pk_schema, \
     SQLSMALLINT pk_schema_length, SQLCHAR* pk_table, SQLSMALLINT pk_table_length, \
     SQLCHAR* fk_catalog, SQLSMALLINT fk_catalog_length, SQLCHAR* fk_schema, \
     SQLSMALLINT fk_schema_length, SQLCHAR* fk_table, SQLSMALLINT fk_table_length), \
    (stmt, pk_catalog, pk_catalog_length, pk_schema, pk_schema_length, pk_table, \
     pk_table_length, fk_catalog, fk_catalog_length, fk_schema, fk_schema_length, fk_table, \
     fk_table_length)) \
  X(OnAnyHandle, SQLFreeEnv, SQL_API_SQLFREEENV, (SQLHENV env), (env)) \
  X(OnAnyHandle, SQLFreeStmt, SQL_API_SQLFREESTMT, (SQLHSTMT stmt, SQLUSMALLINT option), \
    (stmt, option)) \
  X(OnConnection, SQLGetConnectAttr, SQL_API_SQLGETCONNECTATTR, \
    (SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER size, SQLINTEGER* length), \
    (dbc, attribute, value, size, length)) \
  X(OnConnection, SQLGetConnectOption, SQL_API_SQLGETCONNECTOPTION, \
    (SQLHDBC dbc, SQLUSMALLINT option, SQLPOINTER value), (dbc, option, value)) \
  X(OnAnyHandle, SQLGetCursorName, SQL_API_SQLGETCURSORNAME, \
    (SQLHSTMT stmt, SQLCHAR* name, SQLSMALLINT size, SQLSMALLINT* length), \
    (stmt, name, size, length)) \
  X(OnAnyHandle, SQLGetData, SQL_API_SQLGETDATA, \
    (SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER value, SQLLEN size, \
     SQLLEN* indicator), \
    (stmt, column, type, value, size, indicator)) \
  X(OnAnyHandle, SQLGetDescField, SQL_API_SQLGETDESCFIELD, \
    (SQLHDESC desc, SQLSMALLINT record, SQLSMALLINT field, SQLPOINTER value, SQLINTEGER size, \
     SQLINTEGER* length), \
    (desc, record, field, value, size, length)) \
  X(OnAnyHandle, SQLGetDescRec, SQL_API_SQLGETDESCREC, \
    (SQLHDESC desc, SQLSMALLINT record, SQLCHAR* name, SQLSMALLINT size, SQLSMALLINT* length, \
     SQLSMALLINT* type, SQLSMALLINT* subtype, SQLLEN* octets, SQLSMALLINT* precision, \
     SQLSMALLINT* scale, SQLSMALLINT* nullable), \
    (desc, record, name, size, length, type, subtype, octets, precision, scale, nullable)) \
  X(OnAnyHandle, SQLGetEnvAttr, SQL_API_SQLGETENVATTR, \
    (SQLHENV env, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER size, SQLINTEGER* length), \
    (env, attribute, value, size, length)) \
  X(OnConnection, SQLGetInfo, SQL_API_SQLGETINFO, \
    (SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT size, SQLSMALLINT* length), \
    (dbc, type, value, size, length)) \
  X(OnAnyHandle, SQLGetStmtAttr, SQL_API_SQLGETSTMTATTR, \
    (SQLHSTMT stmt, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER size, \
     SQLINTEGER* length), \
    (stmt, attribute, value, size, length)) \
  X(OnAnyHandle, SQLGetStmtOption, SQL_API_SQLGETSTMTOPTION, \
    (SQLHSTMT stmt, SQLUSMALLINT option, SQLPOINTER value), (stmt, option, value)) \
  X(OnAnyHandle, SQLGetTypeInfo, SQL_API_SQLGETTYPEINFO, (SQLHSTMT stmt, SQLSMALLINT type), \
    (stmt, type)) \
  X(OnAnyHandle, SQLMoreResults, SQL_API_SQLMORERESULTS, (SQLHSTMT stmt), (stmt)) \
  X(OnConnection, SQLNativeSql, SQL_API_SQLNATIVESQL, \
    (SQLHDBC dbc, SQLCHAR* in, SQLINTEGER in_length, SQLCHAR* out, SQLINTEGER out_size, \
     SQLINTEGER* out_length), \
    (dbc, in, in_length, out, out_size, out_length)) \
  X(OnAnyHandle, SQLNumParams, SQL_API_SQLNUMPARAMS, (SQLHSTMT stmt, SQLSMALLINT* count), \
    (stmt, count)) \
  X(OnAnyHandle, SQLNumResultCols, SQL_API_SQLNUMRESULTCOLS, (SQLHSTMT stmt, SQLSMALLINT* count), \
    (stmt, count)) \
  X(OnAnyHandle, SQLParamData, SQL_API_SQLPARAMDATA, (SQLHSTMT stmt, SQLPOINTER* value), \
    (stmt, value)) \
  X(OnAnyHandle, SQLParamOptions, SQL_API_SQLPARAMOPTIONS, \
    (SQLHSTMT stmt, SQLULEN rows, SQLULEN* row), (stmt, rows, row)) \
  X(OnAnyHandle, SQLPrepare, SQL_API_SQLPREPARE, (SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length), \
    (stmt, text, length)) \
  X(OnAnyHandle, SQLPrimaryKeys, SQL_API_SQLPRIMARYKEYS, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* table, SQLSMALLINT table_length), \
    (stmt, catalog, catalog_length, schema, schema_length, table, table_length)) \
  X(OnAnyHandle, SQLProcedureColumns, SQL_API_SQLPROCEDURECOLUMNS, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* procedure, SQLSMALLINT procedure_length, \
     SQLCHAR* column, SQLSMALLINT column_length), \
    (stmt, catalog, catalog_length, schema, schema_length, procedure, procedure_length, column, \
     column_length)) \
  X(OnAnyHandle, SQLProcedures, SQL_API_SQLPROCEDURES, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* procedure, SQLSMALLINT procedure_length), \
    (stmt, catalog, catalog_length, schema, schema_length, procedure, procedure_length)) \
  X(OnAnyHandle, SQLPutData, SQL_API_SQLPUTDATA, (SQLHSTMT stmt, SQLPOINTER data, SQLLEN length), \
    (stmt, data, length)) \
  X(OnAnyHandle, SQLRowCount, SQL_API_SQLROWCOUNT, (SQLHSTMT stmt, SQLLEN* count), (stmt, count)) \
  X(OnConnection, SQLSetConnectAttr, SQL_API_SQLSETCONNECTATTR, \
    (SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length), \
    (dbc, attribute, value, length)) \
  X(OnConnection, SQLSetConnectOption, SQL_API_SQLSETCONNECTOPTION, \
    (SQLHDBC dbc, SQLUSMALLINT option, SQLULEN value), (dbc, option, value)) \
  X(OnAnyHandle, SQLSetCursorName, SQL_API_SQLSETCURSORNAME, \
    (SQLHSTMT stmt, SQLCHAR* name, SQLSMALLINT length), (stmt, name, length)) \
  X(OnAnyHandle, SQLSetDescField, SQL_API_SQLSETDESCFIELD, \
    (SQLHDESC desc, SQLSMALLINT record, SQLSMALLINT field, SQLPOINTER value, SQLINTEGER length), \
    (desc, record, field, value, length)) \
  X(OnAnyHandle, SQLSetDescRec, SQL_API_SQLSETDESCREC, \
    (SQLHDESC desc, SQLSMALLINT record, SQLSMALLINT type, SQLSMALLINT subtype, SQLLEN octets, \
     SQLSMALLINT precision, SQLSMALLINT scale, SQLPOINTER data, SQLLEN* length, \
     SQLLEN* indicator), \
    (desc, record, type, subtype, octets, precision, scale, data, length, indicator)) \
  X(OnAnyHandle, SQLSetEnvAttr, SQL_API_SQLSETENVATTR, \
    (SQLHENV env, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length), \
    (env, attribute, value, length)) \
  X(OnAnyHandle, SQLSetParam, SQL_API_SQLSETPARAM, \
    (SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT value_type, SQLSMALLINT parameter_type, \
     SQLULEN precision, SQLSMALLINT scale, SQLPOINTER value, SQLLEN* indicator), \
    (stmt, number, value_type, parameter_type, precision, scale, value, indicator)) \
  X(OnAnyHandle, SQLSetPos, SQL_API_SQLSETPOS, \
    (SQLHSTMT stmt, SQLSETPOSIROW row, SQLUSMALLINT operation, SQLUSMALLINT lock), \
    (stmt, row, operation, lock)) \
  X(OnAnyHandle, SQLSetScrollOptions, SQL_API_SQLSETSCROLLOPTIONS, \
    (SQLHSTMT stmt, SQLUSMALLINT concurrency, SQLLEN keyset, SQLUSMALLINT rowset), \
    (stmt, concurrency, keyset, rowset)) \
  X(OnAnyHandle, SQLSetStmtAttr, SQL_API_SQLSETSTMTATTR, \
    (SQLHSTMT stmt, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length), \
    (stmt, attribute, value, length)) \
  X(OnAnyHandle, SQLSetStmtOption, SQL_API_SQLSETSTMTOPTION, \
    (SQLHSTMT stmt, SQLUSMALLINT option, SQLULEN value), (stmt, option, value)) \
  X(OnAnyHandle, SQLSpecialColumns, SQL_API_SQLSPECIALCOLUMNS, \
    (SQLHSTMT stmt, SQLUSMALLINT kind, SQLCHAR* catalog, SQLSMALLINT catalog_length, \
     SQLCHAR* schema, SQLSMALLINT schema_length, SQLCHAR* table, SQLSMALLINT table_length, \
     SQLUSMALLINT scope, SQLUSMALLINT nullable), \
    (stmt, kind, catalog, catalog_length, schema, schema_length, table, table_length, scope, \
     nullable)) \
  X(OnAnyHandle, SQLStatistics, SQL_API_SQLSTATISTICS, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* table, SQLSMALLINT table_length, SQLUSMALLINT unique, \
     SQLUSMALLINT reserved), \
    (stmt, catalog, catalog_length, schema, schema_length, table, table_length, unique, \
     reserved)) \
  X(OnAnyHandle, SQLTablePrivileges, SQL_API_SQLTABLEPRIVILEGES, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* table, SQLSMALLINT table_length), \
    (stmt, catalog, catalog_length, schema, schema_length, table, table_length)) \
  X(OnAnyHandle, SQLTables, SQL_API_SQLTABLES, \
    (SQLHSTMT stmt, SQLCHAR* catalog, SQLSMALLINT catalog_length, SQLCHAR* schema, \
     SQLSMALLINT schema_length, SQLCHAR* table, SQLSMALLINT table_length, SQLCHAR* types, \
     SQLSMALLINT types_length), \
    (stmt, catalog, catalog_length, schema, schema_length, table, table_length, types, \
     types_length))

// Exported with their own implementation in forwarder.cpp, which may still call the SQLite
// driver's function of the same name. X(name, function id).
#define BRIVANTO_INTERCEPTED_FUNCTIONS(X) \
  X(SQLAllocHandle, SQL_API_SQLALLOCHANDLE) \
  X(SQLConnect, SQL_API_SQLCONNECT) \
  X(SQLDriverConnect, SQL_API_SQLDRIVERCONNECT) \
  X(SQLEndTran, SQL_API_SQLENDTRAN) \
  X(SQLError, SQL_API_SQLERROR) \
  X(SQLFreeConnect, SQL_API_SQLFREECONNECT) \
  X(SQLFreeHandle, SQL_API_SQLFREEHANDLE) \
  X(SQLGetDiagField, SQL_API_SQLGETDIAGFIELD) \
  X(SQLGetDiagRec, SQL_API_SQLGETDIAGREC) \
  X(SQLGetFunctions, SQL_API_SQLGETFUNCTIONS) \
  X(SQLTransact, SQL_API_SQLTRANSACT)

// clang-format on
