#!/usr/bin/env bash
# Prepares a Debian machine (run as root) to cross-build Pavonel and run it under Wine:
# system packages, then the third-party libraries built once into a cache keyed by their versions.
# Safe to run again: everything already in place is skipped.
#   setup.sh [--packages-only]     --packages-only: system packages, no locales, no libraries
# The package lists can be replaced (PAVONEL_SETUP_PACKAGES, PAVONEL_SETUP_PACKAGES_32) and apt's folder moved
# (PAVONEL_APT_DIR), so that a test can rehearse a broken mirror with stand-in apt commands.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cache_root=${PAVONEL_DEPS_CACHE:-$HOME/.cache/pavonel-deps}
apt_dir=${PAVONEL_APT_DIR:-/etc/apt}
update_tries=3 update_pause=${PAVONEL_APT_RETRY_PAUSE:-5}
retry_stamp=$cache_root/32-bit-wine-tried

# Everything the project needs to build both architectures and test the 64-bit one; a failure here stops.
read -r -a packages <<<"${PAVONEL_SETUP_PACKAGES:-\
g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev \
g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev \
cmake make ccache python3 openssl ca-certificates dpkg-dev xz-utils zip unzip osslsigncode \
wine wine64 xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei locales procps \
libz-mingw-w64-dev libstb-dev googletest}"
# Only what runs the 32-bit build. Its i386 libraries must match the amd64 ones exactly, so a mirror whose
# i386 index lags can make it uninstallable for a day: then the 32-bit build is compiled but not run
# (tools/wine-run reports its tests as skipped), as on a host whose kernel runs 64-bit code only.
read -r -a packages_32 <<<"${PAVONEL_SETUP_PACKAGES_32-wine32}"
arches=(i686 x86_64)

log() { printf '[setup] %s\n' "$*"; }
apt_install() { DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"; }
# The first or last of apt's error lines (E: ...), cut to fit one line.
apt_error() { grep -E '^E: ' <<<"$2" | sed -n "$1" | cut -c1-200; }

missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || printf '%s ' "$p"
  done
}

# apt-get source needs deb-src lines mirroring the machine's own Debian entries (same URIs, suites, key).
add_source_entries() {
  local src=$apt_dir/sources.list.d/pavonel-deb-src.sources
  [ -f "$src" ] && return 1
  if [ -f "$apt_dir/sources.list.d/debian.sources" ]; then
    sed -e 's/^Types:.*$/Types: deb-src/' "$apt_dir/sources.list.d/debian.sources" > "$src"
  elif [ -f "$apt_dir/sources.list" ]; then
    grep -E '^deb ' "$apt_dir/sources.list" | sed -e 's/^deb /deb-src /' > "$apt_dir/sources.list.d/pavonel-deb-src.list"
    touch "$src"
  fi
  return 0
}

# A mirror in the middle of a sync serves some indexes short; apt then keeps the old ones (or none) for
# those and fails the whole update. Try again a little later, then go on with what there is: a package that
# really is missing fails its install below, loudly.
apt_update() { # tries
  local try out
  for ((try = 1; try <= $1; try++)); do
    out=$(apt-get update -q 2>&1) && return 0
    [ "$try" -lt "$1" ] && sleep "$update_pause"
  done
  log "warning: apt-get update failed $1 times, going on with the indexes it has: $(apt_error 1p "$out")"
}

enable_i386() {
  dpkg --print-foreign-architectures | grep -qx i386 && return 0
  dpkg --add-architecture i386 2>/dev/null
}

install_system() {
  local need_update=0 tries=$update_tries miss out
  if [ ${#packages_32[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    enable_i386 && need_update=1
  fi
  add_source_entries && need_update=1
  [ -z "$(missing_of "${packages[@]}")" ] || need_update=1
  # Only the optional 32-bit Wine missing, as after an earlier run on a lagging mirror: try again a few
  # hours later, not on every run, so that a second run stays quick.
  if [ "$need_update" = 0 ] && [ -n "$(missing_of ${packages_32[@]+"${packages_32[@]}"})" ]; then
    if [ -n "$(find "$retry_stamp" -mmin -360 2>/dev/null)" ]; then
      log "32-bit Wine not installed (tried less than 6 hours ago); i686 tests will be skipped"
      packages_32=()
    else
      need_update=1 tries=1
    fi
  fi
  [ "$need_update" = 0 ] || { log "apt-get update"; apt_update "$tries"; }
  miss=$(missing_of "${packages[@]}")
  if [ -n "$miss" ]; then
    log "installing: ${miss% }"
    # shellcheck disable=SC2086 # one word per package
    if ! out=$(apt_install $miss 2>&1); then
      printf '%s\n' "$out" | tail -n 20 >&2
      log "error: cannot install: $miss"
      exit 1
    fi
  fi
  install_32_bit
}

install_32_bit() {
  local miss out
  miss=$(missing_of ${packages_32[@]+"${packages_32[@]}"})
  [ -n "$miss" ] || return 0
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    log "32-bit Wine not installed: the i386 architecture cannot be enabled; i686 tests will be skipped"
    return 0
  fi
  log "installing: ${miss% }"
  # shellcheck disable=SC2086 # one word per package
  if ! out=$(apt_install $miss 2>&1); then
    log "32-bit Wine not installed ($(apt_error "\$p" "$out")); the i686 build is compiled, its tests skipped"
    mkdir -p "$cache_root" && touch "$retry_stamp"
  fi
}

# Wine takes the system language from the Unix locale, which must exist for it to be seen.
generate_locales() {
  local wanted=(en_US.UTF-8 zh_CN.UTF-8 de_DE.UTF-8) missing=0 l
  for l in "${wanted[@]}"; do
    locale -a | grep -qix "${l%.UTF-8}.utf8" && continue
    grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" >> /etc/locale.gen
    missing=1
  done
  [ "$missing" = 0 ] || { log "generating locales"; locale-gen >/dev/null; }
}

source_version() { apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/{print $2; exit}'; }

# One prefix per architecture, named after it and after every version that goes into it.
build_dependencies() {
  local arch=$1 key prefix
  key="${arch}_curl-$(source_version curl)_jsoncpp-$(source_version libjsoncpp)_pugixml-$(source_version pugixml)"
  key+="_nanosvg-$(source_version wxwidgets3.2)_gtest-$(dpkg-query -W -f='${Version}' googletest)"
  key+="_gcc-$("$arch-w64-mingw32-g++-posix" -dumpversion)"
  # Build flags and features of build-deps.sh: a change there must not reuse libraries built the old way.
  key+="_flags-sections-curlmin1"
  prefix="$cache_root/$(echo "$key" | tr '+~:' '___')"
  if [ -f "$prefix/.complete" ]; then
    log "$arch dependencies cached in $prefix"
  else
    log "building $arch dependencies into $prefix ($key)"
    bash "$here/deps/build-deps.sh" "$arch" "$prefix" "$cache_root/sources"
    echo "$key" > "$prefix/.complete"
  fi
  ln -sfn "$prefix" "$cache_root/current-$arch"
}

main() {
  install_system
  [ "${1:-}" = --packages-only ] && return 0
  generate_locales
  local arch
  for arch in "${arches[@]}"; do build_dependencies "$arch"; done
}

main "$@"
