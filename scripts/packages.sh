# Installs Debian packages that are missing, for ./run, ./test and scripts/wine.sh alike.
# Sourcing it twice is harmless: it only defines functions.
# shellcheck shell=bash

# The given packages that dpkg does not report as installed, one a line.
missing_packages() {
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      printf '%s\n' "$package"
    fi
  done
}

# Installs whichever of the given packages are missing; a name ending in :i386 first adds that
# architecture. Fails, saying why, when anything is still missing afterwards: a tool that cannot
# be installed stops the caller instead of being skipped.
install_missing_packages_of() {
  local missing
  mapfile -t missing < <(missing_packages "$@")
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "not root and no sudo: cannot install ${missing[*]}" >&2; return 1; }
    sudo=(sudo)
  fi
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    printf '==> %s\n' "Adding the i386 architecture" >&2
    "${sudo[@]}" dpkg --add-architecture i386 || { echo "dpkg --add-architecture i386 failed" >&2; return 1; }
  fi
  printf '==> %s\n' "Installing Debian packages: ${missing[*]}" >&2
  "${sudo[@]}" apt-get update -qq || { echo "apt-get update failed" >&2; return 1; }
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" || { echo "apt-get install failed: ${missing[*]}" >&2; return 1; }
  mapfile -t missing < <(missing_packages "$@")
  if [ "${#missing[@]}" -ne 0 ]; then
    echo "still missing after the install: ${missing[*]}" >&2
    return 1
  fi
}
