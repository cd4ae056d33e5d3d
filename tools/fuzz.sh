#!/usr/bin/env bash
# Feeds mutated inputs to every parser and decoder of the UI framework (and the installer's two
# service-reply readers) and prints one line per target:
#   fuzz <target>: <N> inputs, <C> crashes, <H> hangs, <L> leaks, <R> inputs/s, peak <M> MB
#
#   bash tools/fuzz.sh [build-dir] [inputs-per-target]
#
# Environment: FUZZ_SEED (overrides every target's fixed seed), FUZZ_TARGETS (space-separated subset),
# FUZZ_OUT (where failing inputs are saved; default <build-dir>/fuzz-failures), FUZZ_HANG_MS (time one
# input may take; default 10000).
# A crash or hang ends the driver process: the input is saved, counted, and the run goes on with the
# next input. Uncaught exceptions count as crashes. A saved input replays alone with
#   VENEER_FUZZ_TARGET=<target> VENEER_FUZZ_REPLAY_FILE=<file> tools/wine-run <build>/tests/ui/core/\
#     resource_robustness_test.exe --gtest_filter=Fuzz.Command --gtest_catch_exceptions=0
# and belongs, once fixed, in tests/ui/core/fuzz_regressions/<target>/ where CI replays it.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
count=${2:-100000}
exe=$build/tests/ui/core/resource_robustness_test.exe
[ -f "$exe" ] || { echo "fuzz: $exe is missing; build the target resource_robustness_test" >&2; exit 2; }
targets=${FUZZ_TARGETS:-zip markup language descriptor html png jpeg gif bmp svg download-reply ip-reply}
out=${FUZZ_OUT:-$build/fuzz-failures}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Windows form of a Linux path (Wine maps / to Z:).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

for target in $targets; do
  status=$work/$target.status
  next=0 crashes=0 hangs=0 leaks=0 peakkb=0 runs=0
  started=$(date +%s.%N)
  while [ "$next" -lt "$count" ]; do
    rm -f "$status"
    VENEER_FUZZ_TARGET=$target VENEER_FUZZ_COUNT=$count VENEER_FUZZ_START=$next \
      VENEER_FUZZ_SEED=${FUZZ_SEED:-0} VENEER_FUZZ_HANG_MS=${FUZZ_HANG_MS:-10000} \
      VENEER_FUZZ_OUT=$(winpath "$out") VENEER_FUZZ_STATUS=$(winpath "$status") \
      "$here/wine-run" --prefix "$build/wineprefix" "$exe" --gtest_filter=Fuzz.Command \
      --gtest_catch_exceptions=0 >"$work/$target.log" 2>&1
    runs=$((runs + 1))
    if [ ! -s "$status" ]; then
      # Died before it could say where: count it and skip the input it was on.
      echo "fuzz $target: driver ended without a status (see below)" >&2
      tail -5 "$work/$target.log" >&2
      crashes=$((crashes + 1)); next=$((next + 1)); continue
    fi
    read -r _ n _ exc _ lk _ pk _ state < <(tr -d '\r' <"$status")
    crashes=$((crashes + exc)); leaks=$((leaks + lk))
    [ "$pk" -gt "$peakkb" ] && peakkb=$pk
    case $state in
      crash) crashes=$((crashes + 1)); grep -h "^fuzz " "$work/$target.log" >&2 ;;
      hang) hangs=$((hangs + 1)); grep -h "^fuzz " "$work/$target.log" >&2 ;;
      done) ;;
      *) echo "fuzz $target: driver stopped at $n ($state)" >&2; crashes=$((crashes + 1)); n=$((n + 1)) ;;
    esac
    [ "$n" -le "$next" ] && n=$((next + 1))
    next=$n
    if [ "$state" = "done" ]; then grep -h "^fuzz " "$work/$target.log" >&2; fi
  done
  elapsed=$(echo "$(date +%s.%N) - $started" | bc -l)
  rate=$(echo "$count / $elapsed" | bc -l)
  printf 'fuzz %s: %d inputs, %d crashes, %d hangs, %d leaks, %.0f inputs/s, peak %d MB\n' \
    "$target" "$count" "$crashes" "$hangs" "$leaks" "$rate" $(((peakkb + 1023) / 1024))
done
