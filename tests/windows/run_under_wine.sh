#!/usr/bin/env bash
# Runs a Qt Test program of the Windows build under wine on the offscreen platform, and prints its
# report. Under wine a Qt Test program's report does not reach a pipe, and wine hands no QT_* variable
# to a Windows program: the platform is an argument and the report goes through a file.
#   run_under_wine.sh WINE64 PROGRAM.exe [Qt Test arguments...]   (WINEPREFIX set)
set -uo pipefail
wine="$1"
program="$2"
shift 2
report=$(mktemp)
trap 'rm -f "$report"' EXIT
"$wine" "$program" -platform offscreen -o "Z:${report//\//\\},txt" "$@"
status=$?
tr -d '\r' <"$report"
exit $status
