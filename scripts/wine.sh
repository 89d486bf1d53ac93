#!/usr/bin/env bash
# The Wine harness: runs the Windows test exes (cross-compiled with mingw-w64) under Wine, headless.
#
#   scripts/wine.sh ensure-packages      install the missing cross compilers, Wine and Xvfb
#   scripts/wine.sh prefix               create (or re-create) the private Wine prefix
#   scripts/wine.sh run-tests EXE...     run each gtest exe; fails if any fails
#   scripts/wine.sh run EXE [ARG...]     run one exe under the same session and give its status
#   scripts/wine.sh run-odbc-tests DRIVER EXE...
#                                        run-tests with a private unixODBC configuration that
#                                        registers the Linux stand-in DRIVER (a .so of the exes'
#                                        architecture, i386 or x86_64) and Debian's SQLite driver
#                                        of that architecture
#
# Sourced, it defines the same steps as the functions wine_ensure_packages, wine_prepare_prefix,
# wine_run_tests, wine_run_odbc_tests and wine_run. Everything stays in the private prefix
# (default build/wine-prefix, WINEPREFIX overrides it); the host's own ~/.wine is never touched.
# Runs on one prefix are serialised, because each session stops the prefix's wineserver when it
# ends.
#
# Environment: WINE_TIMEOUT (seconds for one whole session, default 600); WINE_TEST_TIMEOUT
# (seconds for one test exe, default 300); WINE_LOCALE (the host locale that gives Windows its
# locale and ANSI code page, default C.UTF-8: code page 1252 as on a Dutch Windows; it must be
# installed on the host); GTEST_FILTER as usual.
# shellcheck shell=bash

WINE_PROJECT_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$WINE_PROJECT_ROOT/scripts/packages.sh"

# Debian packages the Windows build and its tests need; ":i386" ones need the i386 architecture.
# The 32-bit exe under Wine reaches the host's 32-bit unixODBC, so its end-to-end tests need the
# Linux stand-in driver built for i386 (preset linux-i386-standin): Debian's i686 cross compiler
# with the i386 -dev packages, which install beside the amd64 ones (Multi-Arch: same).
WINE_REQUIRED_PACKAGES=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine64 wine32:i386 fonts-wine xvfb xauth
  libodbc2:i386 libodbcinst2:i386 libsqliteodbc:i386 odbc-mdbtools:i386
  g++-i686-linux-gnu unixodbc-dev:i386 libsqlite3-dev:i386
)

wine_log() { printf '==> %s\n' "$*" >&2; }

wine_die() {
  printf 'wine.sh: %s\n' "$*" >&2
  return 1
}

wine_prefix_path() {
  printf '%s\n' "${WINEPREFIX:-$WINE_PROJECT_ROOT/build/wine-prefix}"
}

# Installs only what is missing (the first time about 1.5 GB, 2-3 minutes); a failed install
# stops everything, it is never silently skipped.
wine_ensure_packages() {
  install_missing_packages_of "${WINE_REQUIRED_PACKAGES[@]}" || wine_die "the Windows toolchain or Wine cannot be installed"
}

# The shell that runs inside one Xvfb display: a persistent wineserver and a booted prefix, so
# each exe starts in well under a second, and the wineserver stopped however the shell ends.
# Their standard streams go to /dev/null: an inherited pipe would keep a caller waiting.
# $1 is the mode (boot, run, tests), the rest its arguments.
# shellcheck disable=SC2016
WINE_SESSION_SCRIPT='
mode=$1; shift
trap "wineserver -k >/dev/null 2>&1 </dev/null; wineserver -w >/dev/null 2>&1 </dev/null" EXIT
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot </dev/null >/dev/null 2>&1
case $mode in
  boot)
    # Crash dialogs would wait for a click that never comes.
    wine reg add "HKCU\\Software\\Wine\\WineDbg" /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      </dev/null >/dev/null 2>&1 || exit 1
    wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /t REG_SZ /d N /f \
      </dev/null >/dev/null 2>&1 || exit 1
    exit 0 ;;
  run)
    wine "$@" </dev/null
    exit $? ;;
  tests)
    logs=$1; shift
    rm -f "$logs"/*.log
    status=0
    for exe in "$@"; do
      name=$(basename "$exe" .exe)
      log="$logs/$name.log"
      number=1
      while [ -e "$log" ]; do
        number=$((number + 1))
        log="$logs/$name-$number.log"
      done
      start=$(date +%s.%N)
      timeout --kill-after=5 "$WINE_TEST_TIMEOUT" \
        wine "$exe" --gtest_brief=1 --gtest_color=no </dev/null >"$log" 2>&1
      code=$?
      if [ "$code" -eq 124 ] || [ "$code" -eq 137 ]; then
        echo "(timed out after $WINE_TEST_TIMEOUT s)" >>"$log"
      fi
      end=$(date +%s.%N)
      seconds=$(awk "BEGIN { printf \"%.1f\", $end - $start }")
      summary=$(grep -E "^\[  (PASSED|FAILED|SKIPPED)  \]|^\[==========\] [0-9]+ tests? from" "$log" | tr "\n" " ")
      if [ "$code" -eq 0 ]; then
        printf "PASS %-24s %6ss  %s\n" "$name" "$seconds" "$summary"
      else
        printf "FAIL %-24s %6ss  exit %s  %s\n" "$name" "$seconds" "$code" "$summary"
        sed "s/^/    /" "$log"
        status=1
      fi
    done
    exit $status ;;
esac
exit 2
'

# Runs one session (see WINE_SESSION_SCRIPT) in the prefix, under one timeout and one display.
wine_session() {
  local prefix
  prefix="$(wine_prefix_path)"
  # The locale decides Windows' locale and ANSI code page, and how Wine names files on the host.
  # C.UTF-8 always exists: code page 1252 as on a Dutch Windows, and UTF-8 host file names (a
  # locale the host lacks leaves Wine unable to create a file named "België").
  LC_ALL="${WINE_LOCALE:-C.UTF-8}" \
    WINEPREFIX="$prefix" WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}" \
    WINE_TEST_TIMEOUT="${WINE_TEST_TIMEOUT:-300}" timeout --kill-after=10 "${WINE_TIMEOUT:-600}" \
    xvfb-run -a -s "-screen 0 1024x768x24" sh -c "$WINE_SESSION_SCRIPT" sh "$@"
}

# Fonts from fonts-wine that every prefix gets in its windows/Fonts: Tahoma (and its bold), the
# Windows dialog font the windows are measured in, and Marlett, which draws the title bar's
# buttons. Wine 8 does not look for them in /usr/share/wine/fonts itself; without Tahoma a window
# gets DejaVu Sans, whose captions are wider than on Windows.
WINE_FONT_FOLDER=/usr/share/wine/fonts
WINE_PREFIX_FONTS=(tahoma.ttf tahomabd.ttf marlett.ttf)

wine_prefix_has_fonts() {
  local prefix=$1 font
  for font in "${WINE_PREFIX_FONTS[@]}"; do
    cmp -s "$WINE_FONT_FOLDER/$font" "$prefix/drive_c/windows/Fonts/$font" || return 1
  done
}

wine_install_prefix_fonts() {
  local prefix=$1 font fonts="$1/drive_c/windows/Fonts"
  mkdir -p "$fonts" || { wine_die "cannot create $fonts"; return 1; }
  for font in "${WINE_PREFIX_FONTS[@]}"; do
    [ -f "$WINE_FONT_FOLDER/$font" ] ||
      { wine_die "$WINE_FONT_FOLDER/$font is missing (package fonts-wine)"; return 1; }
    cp "$WINE_FONT_FOLDER/$font" "$fonts/$font" ||
      { wine_die "cannot copy $font into $fonts"; return 1; }
  done
}

# A prefix made before wine32 was installed has no 32-bit system folder and cannot run the
# 32-bit exes; one made by another Wine version may not match it. Both are made anew.
wine_prefix_is_current() {
  local prefix=$1
  [ -f "$prefix/system.reg" ] &&
    [ -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] &&
    [ "$(cat "$prefix/.brivanto-wine-version" 2>/dev/null)" = "$(wine --version)" ]
}

wine_prepare_prefix() {
  local prefix
  prefix="$(wine_prefix_path)"
  if wine_prefix_is_current "$prefix"; then
    # A prefix made before the fonts were part of it only needs them copied in: Wine reads the
    # folder anew when it has changed.
    wine_prefix_has_fonts "$prefix" && return 0
    wine_log "Installing Tahoma into the Wine prefix $prefix"
    wine_install_prefix_fonts "$prefix"
    return
  fi
  command -v wine >/dev/null || wine_die "wine is not installed (scripts/wine.sh ensure-packages)" || return 1
  dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed' ||
    wine_die "wine32:i386 is not installed: a prefix made now could not run 32-bit exes" || return 1
  wine_log "Creating the Wine prefix $prefix"
  rm -rf "$prefix"
  mkdir -p "$prefix"
  wine_session boot || { rm -rf "$prefix"; wine_die "creating the Wine prefix $prefix failed"; return 1; }
  if [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
    rm -rf "$prefix"
    wine_die "the new prefix $prefix cannot run 32-bit exes (is wine32:i386 installed?)"
    return 1
  fi
  wine_install_prefix_fonts "$prefix" || { rm -rf "$prefix"; return 1; }
  wine --version >"$prefix/.brivanto-wine-version"
}

# Holds the prefix's lock for the rest of the calling subshell.
wine_lock_prefix() {
  local prefix
  prefix="$(wine_prefix_path)"
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock" || return 1
  flock 9
}

# Runs every given gtest exe in one session. Prints one line per exe and a total; the full output
# of a failing exe. Non-zero when an exe is missing, fails or the session times out.
wine_run_tests() {
  [ "$#" -gt 0 ] || { wine_die "run-tests: no test exe given"; return 1; }
  local exe absolute=()
  for exe in "$@"; do
    [ -f "$exe" ] || { wine_die "no such test exe: $exe"; return 1; }
    absolute+=("$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")")
  done
  (
    wine_lock_prefix || exit 1
    wine_prepare_prefix || exit 1
    logs="$(wine_prefix_path).logs"
    mkdir -p "$logs" || exit 1
    start=$SECONDS
    status=0
    wine_log "Running ${#absolute[@]} Windows test exe(s) under Wine"
    wine_session tests "$logs" "${absolute[@]}" || status=$?
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
      wine_log "Wine tests: timed out after ${WINE_TIMEOUT:-600} s"
    fi
    wine_log "Wine tests: $([ "$status" -eq 0 ] && echo passed || echo FAILED) in $((SECONDS - start)) s (logs in $logs)"
    exit "$status"
  )
}

# The bytes of a file from offset $2 on, $3 of them, as one string of hex digits.
wine_file_bytes() {
  od -An -tx1 -v -j "$2" -N "$3" "$1" 2>/dev/null | tr -d ' \n'
}

# The architecture a Linux shared object is built for: i386, x86_64, or nothing.
wine_elf_architecture() {
  [ "$(wine_file_bytes "$1" 0 4)" = 7f454c46 ] || return 0
  case $(wine_file_bytes "$1" 18 2) in
    0300) echo i386 ;;
    3e00) echo x86_64 ;;
  esac
}

# The architecture a Windows exe is built for: i386, x86_64, or nothing.
wine_pe_architecture() {
  local header
  [ "$(wine_file_bytes "$1" 0 2)" = 4d5a ] || return 0
  header=$(od -An -tu4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$header" ] && [ "$(wine_file_bytes "$1" "$header" 4)" = 50450000 ] || return 0
  case $(wine_file_bytes "$1" $((header + 4)) 2) in
    4c01) echo i386 ;;
    6486) echo x86_64 ;;
  esac
}

# Wine's odbc32 hands every call to the host's unixODBC of the exe's own architecture, which
# reads its configuration from the environment the session inherits; it can load only drivers of
# that architecture, so the stand-in, Debian's SQLite driver it forwards to, and every exe must
# match. The exes get an empty work folder (BRIVANTO_WINE_WORK, a Linux path) for their
# databases; both are removed afterwards.
wine_run_odbc_tests() {
  [ "$#" -ge 2 ] || { wine_die "run-odbc-tests: DRIVER and at least one test exe are needed"; return 1; }
  local driver=$1
  shift
  [ -f "$driver" ] || { wine_die "no such stand-in driver: $driver (build the Linux tree first)"; return 1; }
  # The exes start the program from other folders, where a relative path would name nothing.
  driver="$(cd "$(dirname "$driver")" && pwd)/$(basename "$driver")"
  local architecture exe
  architecture=$(wine_elf_architecture "$driver")
  [ -n "$architecture" ] ||
    { wine_die "$driver is not an i386 or x86_64 Linux library"; return 1; }
  for exe in "$@"; do
    [ ! -f "$exe" ] || [ "$(wine_pe_architecture "$exe")" = "$architecture" ] ||
      { wine_die "$exe is not an $architecture Windows exe, as the stand-in $driver is"; return 1; }
  done
  # Debian's multiarch folders: i386-linux-gnu and x86_64-linux-gnu.
  local libraries="/usr/lib/${architecture}-linux-gnu" dpkg_architecture=amd64
  [ "$architecture" = x86_64 ] || dpkg_architecture=$architecture
  [ -f "$libraries/libodbc.so.2" ] ||
    { wine_die "$libraries/libodbc.so.2 not found (package libodbc2:$dpkg_architecture)"; return 1; }
  local sqlite="$libraries/odbc/libsqlite3odbc.so"
  [ -f "$sqlite" ] ||
    { wine_die "$sqlite not found (package libsqliteodbc:$dpkg_architecture)"; return 1; }
  local config
  config=$(mktemp -d /tmp/brivanto-wine-odbc-XXXXXX) || return 1
  mkdir "$config/work" || { rm -rf "$config"; return 1; }
  printf '[Microsoft Access Driver (*.mdb)]\nDriver=%s\nSetup=%s\n\n[SQLite3 Test]\nDriver=%s\nSetup=%s\n' \
    "$driver" "$driver" "$sqlite" "$sqlite" >"$config/odbcinst.ini"
  : >"$config/odbc.ini"
  : >"$config/user-odbc.ini"
  local status=0
  # The stand-in forwards to the SQLite driver registered here, whatever its build defaults to.
  ODBCSYSINI="$config" ODBCINSTINI=odbcinst.ini ODBCINI="$config/user-odbc.ini" \
    BRIVANTO_SQLITE_ODBC_DRIVER="$sqlite" BRIVANTO_WINE_WORK="$config/work" \
    wine_run_tests "$@" || status=$?
  rm -rf "$config"
  return "$status"
}

# Runs one exe with its arguments; its exit status is the result.
wine_run() {
  [ "$#" -gt 0 ] || { wine_die "run: no exe given"; return 1; }
  (
    wine_lock_prefix || exit 1
    wine_prepare_prefix || exit 1
    wine_session run "$@"
  )
}

wine_main() {
  local command=${1:-}
  shift || true
  case "$command" in
    ensure-packages) wine_ensure_packages ;;
    prefix) (wine_lock_prefix && wine_prepare_prefix) ;;
    run-tests) wine_run_tests "$@" ;;
    run-odbc-tests) wine_run_odbc_tests "$@" ;;
    run) wine_run "$@" ;;
    *)
      sed -n '2,23p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
      return 2
      ;;
  esac
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -uo pipefail
  wine_main "$@"
fi
