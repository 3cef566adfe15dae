#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy on the core's sources (the libraries below the
# dialogs and the programs: no Qt), using the compile commands of build/. Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure-packages.sh clang-tidy
[ -f build/compile_commands.json ] || tools/build.sh >/dev/null
mapfile -t files < <(python3 - <<'PY'
import json, re
core = re.compile(r'/torv_(files|link|engine|params|dictionary|ngdata|monitor|remote|operations|resources)\.dir/')
for entry in json.load(open('build/compile_commands.json')):
    if core.search(entry.get('output', '') or entry['command']):
        print(entry['file'])
PY
)
echo "clang-tidy on ${#files[@]} core files"
run-clang-tidy -quiet -p build -j "$(nproc)" "${files[@]}"
