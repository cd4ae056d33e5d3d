#!/usr/bin/env bash
# The checker on a skin with one fault of each kind: every kind is reported and the exit code says so.
set -u
out=$("$1/tools/skincheck" --exe "$2" "$1/tests/tools/bad_skin") && { echo "bad skin passed"; exit 1; }
status=0
for want in 'Window> unknown attribute "sizze"' 'Button> unknown attribute "hotimag"' '<Fancy> unknown element' \
            'normalimage: descriptor does not parse' 'bkimage: image missing "gone.png"' \
            'includes missing "missing_include.xml"' 'id 7 used but not defined' 'warning: .* id 8 defined but not used'; do
  grep -q -- "$want" <<<"$out" || { echo "not reported: $want"; status=1; }
done
[ $status -eq 0 ] || printf '%s\n' "$out"
exit $status
