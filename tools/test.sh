#!/usr/bin/env bash
# Sets up the machine if needed, builds both Windows architectures and runs every test under Wine.
#
# Both builds are made on every host: the 32-bit one is the product users download, so it must at least
# compile everywhere. Tests run on what the host can execute: the 64-bit build always, the 32-bit build
# where the kernel runs 32-bit code. PAVONEL_ARCHES ("x86_64", "i686 x86_64", ...) chooses instead; an
# architecture named there that the host cannot run is an error. The build of an architecture left untested
# still runs its tests, each reported as skipped with the reason.
# Build folders: $PAVONEL_BUILD_DIR (default build/) for i686, the same name with "-x86_64" for x86_64.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
base=${PAVONEL_BUILD_DIR:-$root/build}
cd "$root"
all_arches=(i686 x86_64)

say() { printf '[test] %s\n' "$*"; }
seconds_since() { echo $(( $(date +%s) - $1 )); }
build_dir() { if [ "$1" = i686 ]; then echo "$base"; else echo "$base-$1"; fi; }
preset_of() { if [ "$1" = i686 ]; then echo mingw; else echo mingw64; fi; }
why_not() { tools/wine-run --can-run --arch "$1" 2>&1 >/dev/null | sed 's/^wine-run: skipped [^:]*: //'; }

choose_arches() {
  local arch reason
  tested=() skipped=()
  if [ -n "${PAVONEL_ARCHES:-}" ]; then
    for arch in $PAVONEL_ARCHES; do
      case $arch in i686|x86_64) ;; *) say "PAVONEL_ARCHES: unknown architecture '$arch'"; exit 2 ;; esac
      reason=$(why_not "$arch")
      [ -z "$reason" ] || { say "PAVONEL_ARCHES asks for $arch, which this host cannot run: $reason"; exit 2; }
      tested+=("$arch")
    done
  else
    reason=$(why_not x86_64)
    [ -z "$reason" ] || { say "the 64-bit build cannot run on this host: $reason"; exit 2; }
    [ -n "$(why_not i686)" ] || tested+=(i686)
    tested+=(x86_64)
  fi
  for arch in "${all_arches[@]}"; do
    [[ " ${tested[*]} " == *" $arch "* ]] && continue
    skipped+=("$arch")
    reason=$(why_not "$arch")
    say "built, tests skipped: $arch: ${reason:-left out by PAVONEL_ARCHES=$PAVONEL_ARCHES}"
  done
  # Left out by choice: wine-run reports every program of these as skipped, whatever the host could do.
  [ -z "${PAVONEL_ARCHES:-}" ] || export PAVONEL_SKIP_ARCHES="${skipped[*]}"
}

build() {
  local arch=$1 dir start=$(date +%s); dir=$(build_dir "$1")
  cmake --preset "$(preset_of "$arch")" -B "$dir" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
  say "$arch built in $(seconds_since "$start") s ($dir)"
}

# Runs one build's tests; adds its counts to the totals and remembers a failure.
run_tests() {
  local arch=$1 dir start=$(date +%s) junit counts; dir=$(build_dir "$1")
  junit=$dir/ctest-results.xml
  # Test programs share one Wine prefix and display; two at a time keeps a 2-core machine responsive.
  ctest --test-dir "$dir" -j2 --output-on-failure --timeout 600 --output-junit "$junit" || failed+=("$arch")
  counts=$(python3 - "$junit" <<'PY'
import sys, xml.etree.ElementTree as ET
suite = ET.parse(sys.argv[1]).getroot()
total, failures, skipped = (int(suite.get(k, 0)) for k in ("tests", "failures", "skipped"))
print(total - failures - skipped, failures, skipped)
PY
) || counts="0 1 0"
  read -r p f s <<<"$counts"
  passed=$((passed + p)) failures=$((failures + f)) skips=$((skips + s))
  say "$arch: $p passed, $f failed, $s skipped in $(seconds_since "$start") s"
}

main() {
  local start=$(date +%s) arch
  bash tools/setup.sh
  choose_arches
  say "testing: ${tested[*]}"
  for arch in "${all_arches[@]}"; do build "$arch"; done
  failed=() passed=0 failures=0 skips=0
  # The untested architecture first, so the run closes on the tests that ran.
  for arch in ${skipped[@]+"${skipped[@]}"} "${tested[@]}"; do run_tests "$arch"; done
  say "tested ${tested[*]}${skipped[*]:+; skipped ${skipped[*]}}; $(seconds_since "$start") s in all"
  echo "total: $passed passed, $failures failed, $skips skipped"
  [ ${#failed[@]} -eq 0 ]
}

main "$@"
