# Creates, once, a private ODBC configuration and a demo database under build/demo, and exports
# the variables that point unixODBC and the tool at it. Nothing under /etc or $HOME is touched.
# shellcheck shell=bash

create_demo_database() {
  local database=$1 images=$2
  mkdir -p "$images"
  sqlite3 "$database" <<SQL
CREATE TABLE tblSettings (Section TEXT, sKey TEXT, Value TEXT);
INSERT INTO tblSettings VALUES ('Storage', 'DocumentPath', '$images');
INSERT INTO tblSettings VALUES ('License', 'LoggedOnWS01', 'Anna de Vries (WS01)');
INSERT INTO tblSettings VALUES ('License', 'LoggedOnWS02', 'Pieter Jansen (WS02)');
INSERT INTO tblSettings VALUES ('General', 'Version', '7.4');
CREATE TABLE tblRelations (Id INTEGER PRIMARY KEY, Name TEXT, City TEXT, Balance REAL);
INSERT INTO tblRelations (Name, City, Balance) VALUES
  ('Bakkerij Verhoeven', 'Utrecht', 1250.5),
  ('Garage de Wit', 'Zwolle', -80.25),
  ('Bloemisterij Smit', NULL, 0);
SQL
}

setup_demo_environment() {
  local preset=$1
  local demo="$PROJECT_ROOT/build/demo"
  local driver="$PROJECT_ROOT/build/$preset/lib/libbrivanto-access-odbc.so"
  local database="$demo/data/BrivantoDb.mdb"

  mkdir -p "$demo/odbc" "$demo/data" "$demo/config" "$demo/state"
  if [ ! -f "$database" ]; then
    log "Creating the demo database $database"
    create_demo_database "$database" "$demo/data/images"
  fi
  # Rewritten each time, so the driver path follows the preset in use.
  cat >"$demo/odbc/odbcinst.ini" <<INI
[Microsoft Access Driver (*.mdb)]
Description=Stand-in for the Access driver, backed by SQLite
Driver=$driver
Setup=$driver
INI
  cat >"$demo/odbc/odbc.ini" <<INI
[BrivantoDb]
Driver=Microsoft Access Driver (*.mdb)
DBQ=$database
INI
  : >"$demo/odbc/user-odbc.ini"

  export ODBCSYSINI="$demo/odbc"
  export ODBCINSTINI=odbcinst.ini
  export ODBCINI="$demo/odbc/user-odbc.ini"
  export XDG_CONFIG_HOME="$demo/config"
  export XDG_STATE_HOME="$demo/state"
}
