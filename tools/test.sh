#!/usr/bin/env bash
# Sets up the machine if needed, builds both Windows architectures and runs every test under Wine.
#   test.sh [--plan]     --plan: say which architectures would be tested and why, then stop
#
# Both builds are made on every host: the 32-bit one is the product users download, so it must at least
# compile everywhere. Tests run on what the host can execute: the 64-bit build always, the 32-bit build
# where the kernel runs 32-bit code and the 32-bit Wine is installed. PAVONEL_ARCHES ("x86_64",
# "i686 x86_64", ...) chooses instead; an architecture named there that the host cannot run is an error. The
# build of an architecture left untested still runs its tests, each reported as skipped with the reason.
# Build folders: $PAVONEL_BUILD_DIR (default build/) for i686, the same name with "-x86_64" for x86_64.
# Whatever the run starts (display servers, Wine sessions, stand-in services) is ended when it ends.
set -eEuo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
base=${PAVONEL_BUILD_DIR:-$root/build}
cd "$root"
all_arches=(i686 x86_64)

say() { printf '[test] %s\n' "$*"; }
stop() { say "stopped: $*"; exit 2; }
seconds_since() { echo $(( $(date +%s) - $1 )); }
build_dir() { if [ "$1" = i686 ]; then echo "$base"; else echo "$base-$1"; fi; }
preset_of() { if [ "$1" = i686 ]; then echo mingw; else echo mingw64; fi; }

# Nothing when this host runs ARCH's programs, else why not.
why_not() {
  local out
  out=$(tools/wine-run --can-run --arch "$1" 2>&1 >/dev/null) && return 0
  printf '%s\n' "${out#wine-run: skipped * programs ("$1"): }"
}

# Any command that fails and ends the run says so: no early exit goes without a reason.
on_error() { say "stopped: '$1' failed with exit $2 (line $3)"; }
trap 'on_error "$BASH_COMMAND" $? $LINENO' ERR

# Every process this run started carries the run's mark in its environment, however it was started
# (setsid, a daemonising service, a Wine server): ending those by the mark ends exactly this run's.
run_mark=PAVONEL_TEST_RUN=$$.$(date +%s%N)
export "${run_mark?}"
# Read with builtins only, so that the scan itself (run in a subshell) starts no process with the mark.
processes_of_run() {
  local environ pid var vars
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/} pid=${pid%/environ}
    [ "$pid" = $$ ] || [ "$pid" = "$BASHPID" ] && continue
    { mapfile -d '' -t vars <"$environ"; } 2>/dev/null || continue
    for var in ${vars[@]+"${vars[@]}"}; do
      [ "$var" = "$run_mark" ] && { echo "$pid"; break; }
    done
  done
  return 0
}
end_run_processes() {
  local pids
  pids=$(processes_of_run)
  [ -n "$pids" ] || return 0
  # shellcheck disable=SC2086 # one word per process
  kill -TERM $pids 2>/dev/null || true
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    pids=$(processes_of_run)
    [ -n "$pids" ] || return 0
    sleep 0.5
  done
  # shellcheck disable=SC2086
  kill -KILL $pids 2>/dev/null || true
  say "ended what was left of this run: $(echo "$pids" | wc -w) processes"
}
trap end_run_processes EXIT

choose_arches() {
  local arch reason
  tested=() skipped=()
  if [ -n "${PAVONEL_ARCHES:-}" ]; then
    for arch in $PAVONEL_ARCHES; do
      case $arch in i686|x86_64) ;; *) stop "PAVONEL_ARCHES: unknown architecture '$arch'" ;; esac
      reason=$(why_not "$arch")
      [ -z "$reason" ] || stop "PAVONEL_ARCHES asks for $arch, which this host cannot run: $reason"
      tested+=("$arch")
    done
  else
    reason=$(why_not x86_64)
    [ -z "$reason" ] || stop "the 64-bit build cannot run on this host: $reason"
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
  local arch=$1 dir start; start=$(date +%s) dir=$(build_dir "$1")
  cmake --preset "$(preset_of "$arch")" -B "$dir" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
  say "$arch built in $(seconds_since "$start") s ($dir)"
}

# Runs one build's tests; adds its counts to the totals and remembers a failure.
run_tests() {
  local arch=$1 dir start junit counts p f s; start=$(date +%s) dir=$(build_dir "$1")
  junit=$dir/ctest-results.xml
  rm -f "$junit"
  # Test programs share one Wine prefix and display; two at a time keeps a 2-core machine responsive.
  ctest --test-dir "$dir" -j2 --output-on-failure --timeout 600 --output-junit "$junit" || failed+=("$arch")
  counts=$(python3 - "$junit" <<'PY'
import sys, xml.etree.ElementTree as ET
suite = ET.parse(sys.argv[1]).getroot()
total, failures, skipped = (int(suite.get(k, 0)) for k in ("tests", "failures", "skipped"))
print(total - failures - skipped, failures, skipped)
PY
) || { counts="0 1 0"; failed+=("$arch"); say "$arch: no test results in $junit"; }
  read -r p f s <<<"$counts"
  passed=$((passed + p)) failures=$((failures + f)) skips=$((skips + s))
  say "$arch: $p passed, $f failed, $s skipped in $(seconds_since "$start") s"
}

main() {
  local start arch; start=$(date +%s)
  if [ "${1:-}" = --plan ]; then choose_arches; say "testing: ${tested[*]}"; return 0; fi
  [ $# -eq 0 ] || stop "unknown argument '$1' (usage: test.sh [--plan])"
  bash tools/setup.sh
  choose_arches
  say "testing: ${tested[*]}"
  for arch in "${all_arches[@]}"; do build "$arch"; done
  failed=() passed=0 failures=0 skips=0
  # The untested architecture first, so the run closes on the tests that ran.
  for arch in ${skipped[@]+"${skipped[@]}"} "${tested[@]}"; do run_tests "$arch"; done
  say "tested ${tested[*]}${skipped[*]:+; skipped ${skipped[*]}}; $(seconds_since "$start") s in all"
  echo "total: $passed passed, $failures failed, $skips skipped"
  [ ${#failed[@]} -eq 0 ] || { say "failed: ${failed[*]}"; return 1; }
}

main "$@"
