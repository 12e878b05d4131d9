#!/usr/bin/env bash
# Does all set-up, builds the agent (Release) and runs it. Extra arguments go
# to the agent.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" >/dev/null
exec build/release/bin/teskaro-ventaro "$@"
