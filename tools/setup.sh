#!/usr/bin/env bash
# Prepares a Debian machine (run as root) to cross-build Pavonel and run it under Wine:
# system packages, then the third-party libraries built once into a cache keyed by their versions.
# Safe to run again: everything already in place is skipped.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cache_root=${PAVONEL_DEPS_CACHE:-$HOME/.cache/pavonel-deps}

# Both Windows architectures are built on every host; wine32 is installed even where the kernel cannot run
# 32-bit code (tools/wine-run then skips 32-bit programs), wine64 runs the 64-bit build everywhere.
packages=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  cmake make ccache python3 openssl ca-certificates dpkg-dev xz-utils zip unzip
  wine wine32 wine64 xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei locales
  libz-mingw-w64-dev libstb-dev googletest
)
arches=(i686 x86_64)

log() { printf '[setup] %s\n' "$*"; }

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

# apt-get source needs deb-src lines mirroring the machine's own Debian entries (same URIs, suites, key).
add_source_entries() {
  local src=/etc/apt/sources.list.d/pavonel-deb-src.sources
  [ -f "$src" ] && return 1
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types:.*$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$src"
  elif [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed -e 's/^deb /deb-src /' > /etc/apt/sources.list.d/pavonel-deb-src.list
    touch "$src"
  fi
  return 0
}

install_system() {
  local need_update=0
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386; need_update=1
  fi
  add_source_entries && need_update=1
  local miss; miss=$(missing_packages)
  if [ -n "$miss" ]; then need_update=1; fi
  [ "$need_update" = 1 ] && { log "apt-get update"; apt-get update -q >/dev/null; }
  miss=$(missing_packages)
  if [ -n "$miss" ]; then
    log "installing: $(echo $miss)"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $miss >/dev/null
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
  [ "$missing" = 1 ] && { log "generating locales"; locale-gen >/dev/null; }
  return 0
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
  generate_locales
  local arch
  for arch in "${arches[@]}"; do build_dependencies "$arch"; done
}

main "$@"
