#!/usr/bin/env bash
# The fault sweep: every scenario under tests/scenarios run once clean, then once for every
# platform call it made with that call failing, each way the call can fail. See
# tests/README.md.
#
#   run.sh [--budget SECONDS] [--seed N] [--jobs N] [--vtrsim PATH] [--out DIR] [SCENARIO...]
#
# Without --budget the whole sweep runs. The status is non-zero when there is a finding.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
exec python3 "$here/sweep.py" "$@"
