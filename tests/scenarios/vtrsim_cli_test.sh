#!/usr/bin/env bash
# vtrsim's own behaviour as a command: what it says and which status it ends with when the
# scenario cannot be played, and the shape of a transcript it writes.
#
#   vtrsim_cli_test.sh VTRSIM
set -u
vtrsim=${1:?usage: vtrsim_cli_test.sh VTRSIM}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
check() {  # check NAME CONDITION-RESULT DETAIL
  if [ "$2" -eq 0 ]; then
    passed=$((passed + 1))
  else
    echo "FAIL $1: $3"
    failed=$((failed + 1))
  fi
}

# expect_refusal NAME EXPECTED-TEXT ARGS...: status 2 and one line on stderr holding the text.
expect_refusal() {
  local name=$1 text=$2
  shift 2
  "$vtrsim" "$@" >"$work/out" 2>"$work/err"
  local status=$?
  [ "$status" -eq 2 ]
  check "$name: status" $? "expected status 2, got $status"
  grep -qF -- "$text" "$work/err"
  check "$name: message" $? "stderr lacks \"$text\": $(cat "$work/err")"
  [ ! -s "$work/out" ]
  check "$name: no transcript" $? "something was written to standard output"
}

expect_refusal "no arguments" "no scenario file given"
expect_refusal "missing file" "cannot read scenario \"$work/missing.json\"" "$work/missing.json"

printf '{"commandLine": "S",}' >"$work/broken.json"
expect_refusal "broken JSON" "broken.json: not valid JSON" "$work/broken.json"

printf '{"osVersion": {"major": "six"}}' >"$work/badfield.json"
expect_refusal "bad field" "scenario field osVersion.major: expected a whole number" \
  "$work/badfield.json"
[ "$(wc -l <"$work/err")" -eq 1 ]
check "bad field: one line" $? "expected one line on stderr: $(cat "$work/err")"

printf '{"commandLine": "S \xc3"}' >"$work/badutf8.json"
expect_refusal "bad UTF-8" "not valid JSON" "$work/badutf8.json"

printf '{}' >"$work/plain.json"
expect_refusal "unwritable output" "cannot write" "$work/plain.json" -o "$work/no/such/dir/t.jsonl"
expect_refusal "unknown option" "unexpected argument \"--fast\"" "$work/plain.json" --fast

# A run writes the transcript, then the exit line, then the final state.
"$vtrsim" "$work/plain.json" -o "$work/t.jsonl" 2>"$work/err"
check "plain run: status" $? "vtrsim failed: $(cat "$work/err")"
# Nobody is scripted at the wizard, so the window is closed unused: cancelled, 1602.
[ "$(tail -n 2 "$work/t.jsonl" | head -n 1)" = '{"exit":1602}' ]
check "plain run: exit line" $? "the line before last is not {\"exit\":1602}"
[ "$(tail -n 3 "$work/t.jsonl" | head -n 1)" = '{"unscripted":"no more events: the user closes the window"}' ]
check "plain run: unscripted end" $? "the wizard's end is not marked unscripted"
tail -n 1 "$work/t.jsonl" | grep -q '^{"final":{"settings":{},"files":\[\],"productStates":{}}}$'
check "plain run: final line" $? "unexpected final line: $(tail -n 1 "$work/t.jsonl")"
head -n 1 "$work/t.jsonl" | grep -q '^{"op":"OwnFileName","result":"SetupVTR"}$'
check "plain run: first call" $? "unexpected first line: $(head -n 1 "$work/t.jsonl")"

printf '{"events": [{"click": "cmdNext", "key": "Enter"}]}' >"$work/twoactions.json"
expect_refusal "event with two actions" "scenario field events[0]: an event is one action" \
  "$work/twoactions.json"
printf '{"events": [{"check": "ckOpt", "index": 0}]}' >"$work/novalue.json"
expect_refusal "check without value" "scenario field events[0]: \"check\" needs the \"value\"" \
  "$work/novalue.json"

printf '{"pin": ["actions", "Msgbox"]}' >"$work/badpin.json"
expect_refusal "unknown pinned operation" \
  'scenario field pin[1]: "Msgbox" is neither "actions" nor an operation' "$work/badpin.json"

# --pinned writes the part the scenario pins: here the actions, which begin when the wizard
# opens (start-up before it only asks), then the exit and the final state as always.
printf '{"pin": "actions"}' >"$work/pinned.json"
"$vtrsim" "$work/pinned.json" --pinned -o "$work/p.jsonl" 2>"$work/err"
check "pinned run: status" $? "vtrsim failed: $(cat "$work/err")"
"$vtrsim" "$work/pinned.json" -o "$work/t.jsonl" 2>"$work/err"
[ "$(head -n 1 "$work/p.jsonl")" = '{"op":"WizardView"}' ] &&
  [ "$(grep -c '"op":"OwnFileName"' "$work/t.jsonl")" -gt 0 ] &&
  cmp -s <(sed -n '/WizardView/,$p' "$work/t.jsonl") "$work/p.jsonl"
check "pinned run: the actions only" $? "$(diff "$work/t.jsonl" "$work/p.jsonl")"

# Scripting mistakes found while playing: reported on stderr, the run itself goes on.
printf '{"events": [{"click": "cmdNxt"}, {"close": true}]}' >"$work/misspelt.json"
"$vtrsim" "$work/misspelt.json" -o "$work/t.jsonl" 2>"$work/err"
check "misspelt control: status" $? "vtrsim failed: $(cat "$work/err")"
grep -qF 'scenario error: events[0]: the form has no control cmdNxt' "$work/err"
check "misspelt control: reported" $? "stderr: $(cat "$work/err")"
grep -qF '{"event":{"click":"cmdNxt"},"accepted":false,"error":"the form has no control cmdNxt"}' \
  "$work/t.jsonl"
check "misspelt control: marked in the transcript" $? "$(grep event "$work/t.jsonl")"

printf '{"commandLine": "S", "events": [{"close": true}, {"key": "Enter"}]}' >"$work/left.json"
"$vtrsim" "$work/left.json" -o "$work/t.jsonl" 2>"$work/err"
check "events left over: status" $? "vtrsim failed: $(cat "$work/err")"
grep -qF 'scenario error: events[0] and after: 2 scripted events were not played' "$work/err"
check "events left over: reported" $? "stderr: $(cat "$work/err")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
