# Installs Debian packages that are missing, for ./run, ./test and scripts/wine.sh alike.
# Sourcing it twice is harmless: it only defines functions.
# shellcheck shell=bash

PACKAGES_PROJECT_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# The given packages that dpkg does not report as installed, one a line.
missing_packages() {
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      printf '%s\n' "$package"
    fi
  done
}

# The file that takes what apt-get and dpkg print: build/install.log, or a new temporary file
# when build/ cannot be written (a read-only checkout).
package_log_file() {
  local log="$PACKAGES_PROJECT_ROOT/build/install.log"
  if mkdir -p "$(dirname "$log")" 2>/dev/null && : >>"$log" 2>/dev/null; then
    printf '%s\n' "$log"
  else
    mktemp "${TMPDIR:-/tmp}/brivanto-install-XXXXXX.log"
  fi
}

# Runs one step of an install with its output appended to the log $1, under the title $2: one
# line for the step, and when it fails the step, the log's path and the log's last lines.
package_step() {
  local log=$1 title=$2
  shift 2
  printf '==> %s\n' "$title" >&2
  printf '\n=== %s  %s\n=== %s\n' "$(date '+%F %T')" "$title" "$*" >>"$log"
  if ! "$@" </dev/null >>"$log" 2>&1; then
    printf 'Failed: %s\n  The whole output is in %s; its end:\n' "$title" "$log" >&2
    tail -n 8 "$log" | sed 's/^/    /' >&2
    return 1
  fi
}

# Runs "apt-get update" (the command is given) up to three times: a mirror in the middle of a sync
# serves an index that does not match its Release file for a while. When it still fails, the
# install goes on with the lists apt has, and fails only if a package cannot be had from them.
update_package_lists() {
  local log=$1
  shift
  local attempt title="Updating the package lists"
  for attempt in 1 2 3; do
    package_step "$log" "$title" "$@" && return 0
    [ "$attempt" -eq 3 ] || sleep 20
    title="Updating the package lists again (attempt $((attempt + 1)) of 3)"
  done
  printf 'Updating the package lists failed three times (see %s); installing from the lists apt has\n' \
    "$log" >&2
}

# Installs whichever of the given packages are missing; a name ending in :i386 first adds that
# architecture. Fails, saying why, when anything is still missing afterwards: a tool that cannot
# be installed stops the caller instead of being skipped. apt-get's and dpkg's pages of output go
# to the log (package_log_file); the terminal gets one line a step.
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
  local log
  log=$(package_log_file) || { echo "no file can take the install's output" >&2; return 1; }
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    package_step "$log" "Adding the i386 architecture" "${sudo[@]}" dpkg --add-architecture i386 ||
      return 1
  fi
  # Another install running at the same time (unattended upgrades) is waited for, not a failure.
  local wait=(-o DPkg::Lock::Timeout=600)
  update_package_lists "$log" "${sudo[@]}" apt-get "${wait[@]}" update
  package_step "$log" "Installing ${#missing[@]} Debian package(s): ${missing[*]}" \
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${wait[@]}" install -y \
    --no-install-recommends "${missing[@]}" || return 1
  mapfile -t missing < <(missing_packages "$@")
  if [ "${#missing[@]}" -ne 0 ]; then
    printf 'still missing after the install: %s (the install output is in %s)\n' "${missing[*]}" "$log" >&2
    return 1
  fi
}
