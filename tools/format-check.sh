#!/usr/bin/env bash
# Fails when a C++ file of the repository is not formatted as .clang-format says (clang-format -i
# on the files it names mends them).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure-packages.sh clang-format
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
echo "format: every C++ file as .clang-format says"
