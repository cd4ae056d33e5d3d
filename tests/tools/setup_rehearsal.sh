#!/usr/bin/env bash
# shellcheck disable=SC2016 # the stand-ins' own code is quoted to be run by them, not here
# Rehearses the hosts the set-up must survive, with stand-in apt, dpkg, Wine loaders and cmake first on PATH:
# nothing on the machine itself is installed, changed or started.
#   - a mirror whose i386 index is short: apt-get update fails every time, set-up goes on;
#   - wine32 uninstallable (held broken packages) or no i386 architecture at all: set-up goes on, says why;
#   - any other package uninstallable: set-up stops, says which;
#   - no 32-bit loader: the test run plans x86_64 only and names i686 as skipped with the reason;
#   - a step of the test run fails: it says which, and what the run started (even in a session of its own)
#     is gone when it ends.
set -uo pipefail
source_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d /tmp/pavonel-rehearsal.XXXXXX)
trap 'rm -rf "$work"' EXIT
bin=$work/bin apt_dir=$work/apt calls=$work/calls
mkdir -p "$bin" "$apt_dir/sources.list.d"
failures=0

check() { # description, then a command that must succeed
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
has() { grep -qF -- "$2" <<<"$1"; }
stub() { printf '#!/usr/bin/env bash\n%s\n' "$2" >"$bin/$1"; chmod +x "$bin/$1"; }

# apt-get: update fails as a syncing mirror does; installing $UNINSTALLABLE fails as held packages do.
stub apt-get 'echo "apt-get $*" >>"$CALLS"
case $1 in
  update) echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
          echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2; exit 100 ;;
  install) for p in "$@"; do case " $UNINSTALLABLE " in *" $p "*)
             echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100 ;; esac; done ;;
esac'
stub dpkg-query 'exit 1'
stub dpkg 'case $1 in
  --print-foreign-architectures) [ "$FOREIGN" = none ] || echo i386 ;;
  --add-architecture) [ "$FOREIGN" != none ] ;;
esac'

setup() { # uninstallable packages, foreign architecture ("i386" or "none"); prints the set-up's output
  : >"$calls"
  PATH=$bin:$PATH CALLS=$calls UNINSTALLABLE=$1 FOREIGN=$2 PAVONEL_APT_DIR=$apt_dir PAVONEL_APT_RETRY_PAUSE=0 PAVONEL_DEPS_CACHE=$work/cache \
    PAVONEL_SETUP_PACKAGES="mingw-stand-in wine64-stand-in" PAVONEL_SETUP_PACKAGES_32=wine32 \
    bash "$source_root/tools/setup.sh" --packages-only 2>&1
}

out=$(setup wine32 i386); rc=$?
check "a short i386 index and an uninstallable wine32 do not stop set-up" [ $rc -eq 0 ]
check "apt-get update is tried three times" [ "$(grep -c '^apt-get update' "$calls")" -eq 3 ]
check "the failed update is one warning line" has "$out" "warning: apt-get update failed 3 times"
check "the required packages are installed" has "$(cat "$calls")" "install -y -q --no-install-recommends mingw-stand-in wine64-stand-in"
check "the missing 32-bit Wine is one line with apt's reason" has "$out" "32-bit Wine not installed (E: Unable to correct problems"

out=$(setup none none); rc=$?
check "no i386 architecture does not stop set-up" [ $rc -eq 0 ]
check "it says the i386 architecture cannot be enabled" has "$out" "the i386 architecture cannot be enabled"

out=$(setup wine64-stand-in i386); rc=$?
check "a required package that cannot be installed stops set-up" [ $rc -ne 0 ]
check "it names what could not be installed" has "$out" "error: cannot install: mingw-stand-in wine64-stand-in"

# The test run, from a copy of the tools with a set-up that has nothing to do and a cmake that fails after
# leaving a process behind in a session of its own, as a display server does.
root=$work/root
mkdir -p "$root/tools"
cp "$source_root/tools/test.sh" "$source_root/tools/wine-run" "$root/tools/"
printf 'exit 0\n' >"$root/tools/setup.sh"
stub wine64-loader 'exit 0'
stub cmake 'setsid sleep 600 </dev/null >/dev/null 2>&1 &
echo $! >"$CALLS"; echo "configure failed" >&2; exit 1'
run_tests() {
  PATH=$bin:$PATH CALLS=$calls PAVONEL_WINE32_LOADER=$work/no-such-loader PAVONEL_WINE64_LOADER=$bin/wine64-loader \
    bash "$root/tools/test.sh" "$@" 2>&1
}

out=$(run_tests --plan); rc=$?
check "without a 32-bit loader the plan tests x86_64" has "$out" "[test] testing: x86_64"
check "and names i686 as skipped with the reason" has "$out" "built, tests skipped: i686: no i686 Wine loader at $work/no-such-loader (the wine32 package is not installed)"

out=$(run_tests); rc=$?
left=$(cat "$calls")
check "a failing step fails the run" [ $rc -ne 0 ]
check "the run says which step stopped it" has "$out" "[test] stopped: 'cmake --preset"
ended() { [ ! -e "/proc/$1" ] || grep -q '^State:.*zombie' "/proc/$1/status"; } # a zombie waits for init only
check "what the run started is gone when it ends" ended "$left"
kill "$left" 2>/dev/null

[ $failures -eq 0 ] || { echo "$out"; echo "$failures checks failed"; exit 1; }
