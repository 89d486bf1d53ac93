# Shared by ./run and ./test: installs what is missing and builds a preset.
# shellcheck shell=bash

readonly PROJECT_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$PROJECT_ROOT/scripts/packages.sh"

readonly REQUIRED_PACKAGES=(
  g++ cmake make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
  # The window's font: Liberation Sans has the widths of Arial, close to Tahoma's.
  fontconfig fonts-dejavu-core fonts-liberation2
  unixodbc unixodbc-dev odbcinst libsqliteodbc odbc-mdbtools mdbtools
  libsqlite3-dev sqlite3
  googletest libgtest-dev libgmock-dev
  clang libclang-rt-14-dev clang-format-14 clang-tidy-14
)

log() { printf '==> %s\n' "$*" >&2; }

install_missing_packages() {
  install_missing_packages_of "${REQUIRED_PACKAGES[@]}"
}

build_preset() {
  local preset=$1
  log "Building preset '$preset'"
  cmake --preset "$preset" -S "$PROJECT_ROOT" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
}
