# Shared by ./run and ./test: installs what is missing and builds a preset.
# shellcheck shell=bash

readonly PROJECT_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

readonly REQUIRED_PACKAGES=(
  g++ cmake make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
  fontconfig fonts-dejavu-core
  unixodbc unixodbc-dev odbcinst libsqliteodbc
  libsqlite3-dev sqlite3
  googletest libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
)

log() { printf '==> %s\n' "$*" >&2; }

missing_packages() {
  local package
  for package in "${REQUIRED_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      printf '%s\n' "$package"
    fi
  done
}

install_missing_packages() {
  local missing
  mapfile -t missing < <(missing_packages)
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  log "Installing Debian packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_preset() {
  local preset=$1
  log "Building preset '$preset'"
  cmake --preset "$preset" -S "$PROJECT_ROOT" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
}
