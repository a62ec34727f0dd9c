#!/usr/bin/env bash
# Runs each fuzz target (built by the fuzz preset) for a while on its corpus: the seeds under
# tests/fuzz/seeds, what the scenario files give, and what earlier runs kept in
# build/fuzz/corpus. A crash, a sanitizer report, a broken check, a leak or a run over 10 s is
# a finding: its input is kept in build/fuzz/findings/TARGET/ and the status is non-zero.
#
#   run.sh [--time SECONDS] [--parallel] [TARGET...]
#     targets: command_line paths scenario (default all); --parallel runs them side by side,
#     each for SECONDS of wall time, instead of one after the other
#
# Replay a finding: build/fuzz/fuzz_TARGET build/fuzz/findings/TARGET/crash-...
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
repo="$(pwd)"
build="$repo/build/fuzz"
seconds=30
parallel=0
targets=()
while (($#)); do
  case "$1" in
    --time) seconds="$2"; shift 2 ;;
    --parallel) parallel=1; shift ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done
((${#targets[@]})) || targets=(command_line paths scenario)

# Seeds from the scenarios: the files themselves, their command lines, and their paths.
seed_from_scenarios() {
  python3 - "$repo/tests/scenarios" "$build/corpus" <<'EOF'
import hashlib, json, pathlib, sys
scenarios, corpus = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
def keep(target, text):
    data = text.encode("utf-8") if isinstance(text, str) else text
    folder = corpus / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / ("seed-" + hashlib.sha1(data).hexdigest())).write_bytes(data)
def paths(value):
    if isinstance(value, str) and (":" in value or "\\" in value):
        yield value
    elif isinstance(value, dict):
        for v in value.values():
            yield from paths(v)
    elif isinstance(value, list):
        for v in value:
            yield from paths(v)
for path in scenarios.rglob("*.json"):
    if ".expected." in path.name:
        continue
    data = path.read_bytes()
    keep("scenario", data)
    scenario = json.loads(data)
    keep("command_line", "SetupVTR.exe " + scenario.get("commandLine", ""))
    for p in paths(scenario):
        keep("paths", p)
EOF
}

# Runs one target; its verdict goes to findings/TARGET.result, its status is the verdict's.
run_target() {
  local target="$1" bin="$build/fuzz_$1" log="$build/findings/$1.log" result runs corpus
  local verdict="$build/findings/$target.result"
  if [[ ! -x "$bin" ]]; then
    echo "FAIL fuzz $target: $bin is missing (cmake --preset fuzz && cmake --build --preset fuzz)" \
      >"$verdict"
    return 1
  fi
  mkdir -p "$build/corpus/$target" "$build/findings/$target"
  "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -dict="$repo/tests/fuzz/vtr.dict" -artifact_prefix="$build/findings/$target/" \
    "$build/corpus/$target" "$repo/tests/fuzz/seeds/$target" >"$log" 2>&1
  result=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
  corpus="$(find "$build/corpus/$target" -type f | wc -l)"
  if ((result == 0)); then
    echo "PASS fuzz $target: ${runs:-?} executions in ${seconds}s, corpus of $corpus inputs" \
      >"$verdict"
    return 0
  fi
  {
    echo "FAIL fuzz $target (status $result): a finding after ${runs:-?} executions"
    grep -E 'ERROR|fuzz check failed|escaped Main|runtime error|Test unit' "$log" | head -n 8
    echo "    whole log: $log"
  } >"$verdict"
  return 1
}

status=0
mkdir -p "$build/corpus" "$build/findings"
seed_from_scenarios || status=1
if ((parallel)); then
  pids=()
  for target in "${targets[@]}"; do
    run_target "$target" &
    pids+=("$!")
  done
  for pid in "${pids[@]}"; do
    wait "$pid" || status=1
  done
else
  for target in "${targets[@]}"; do
    run_target "$target" || status=1
  done
fi
for target in "${targets[@]}"; do
  cat "$build/findings/$target.result"
done
exit "$status"
