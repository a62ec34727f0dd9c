#!/usr/bin/env bash
# Runs every scenario (NAME.json, in DIR and the folders below it) through vtrsim and compares
# the part of the transcript it pins (its "pin" field; the whole transcript without one) with
# NAME.expected.jsonl, exactly. A scenario also fails when vtrsim refuses it, when the program
# lets an error escape, when a scripted answer fits no button or an event names no control of
# the form, or when scripted answers or events are left over.
#
#   run.sh [--bless] VTRSIM DIR
#
# --bless writes the expected files (the pinned part) from what vtrsim gives now. Read every
# blessed line against the texts the program must show before committing it: a wrong expected
# file pins a fault in place.
set -u

bless=0
args=()
for arg in "$@"; do
  case "$arg" in
    --bless) bless=1 ;;
    -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) args+=("$arg") ;;
  esac
done
if [ "${#args[@]}" -ne 2 ]; then
  echo "usage: run.sh [--bless] VTRSIM DIR" >&2
  exit 2
fi
vtrsim=${args[0]}
dir=${args[1]}
if [ ! -x "$vtrsim" ]; then
  echo "run.sh: vtrsim not found or not executable: $vtrsim" >&2
  exit 2
fi
if [ ! -d "$dir" ]; then
  echo "run.sh: no such folder: $dir" >&2
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
fail() {
  echo "FAIL $1: $2"
  failed=$((failed + 1))
}

while IFS= read -r -d '' scenario; do
  name=${scenario#"$dir"/}
  name=${name%.json}
  expected=${scenario%.json}.expected.jsonl
  actual=$work/actual.jsonl
  "$vtrsim" "$scenario" --pinned -o "$actual" 2>"$work/stderr"
  status=$?
  if [ "$status" -ne 0 ]; then
    fail "$name" "vtrsim ended with status $status"
    sed 's/^/    /' "$work/stderr"
    continue
  fi
  if [ -s "$work/stderr" ]; then
    fail "$name" "the scenario's script does not fit the run"
    sed 's/^/    /' "$work/stderr"
    continue
  fi
  if [ "$bless" -eq 1 ]; then
    if [ ! -f "$expected" ] || ! cmp -s "$actual" "$expected"; then
      cp "$actual" "$expected"
      echo "BLESSED $name"
    fi
    passed=$((passed + 1))
    continue
  fi
  if [ ! -f "$expected" ]; then
    fail "$name" "no expected transcript ${expected#"$dir"/} (write one with --bless, then check it)"
    continue
  fi
  if ! cmp -s "$expected" "$actual"; then
    fail "$name" "the transcript differs from ${expected#"$dir"/}"
    diff -u --label expected --label actual "$expected" "$actual" | sed 's/^/    /'
    continue
  fi
  passed=$((passed + 1))
done < <(find "$dir" -name '*.json' ! -name '*.expected.*' -print0 | sort -z)

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ $((passed + failed)) -gt 0 ]
