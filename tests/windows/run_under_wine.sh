#!/usr/bin/env bash
# Runs a Qt Test program of the Windows build under wine on the offscreen platform, and prints its
# report. Under wine a Qt Test program's report does not reach a pipe, and wine hands no QT_* variable
# on to a Windows program: the command prompt sets them, the platform is an argument, and the report
# comes through a file. The offscreen platform takes its fonts (DejaVu, as on Linux) from a folder.
# (Wine quotes an argument with spaces, escaping its quotes, so the settings are unquoted.)
#   run_under_wine.sh WINE64 PROGRAM.exe [NAME=VALUE...] [-platform PLATFORM[:OPTIONS]] [Qt Test arguments...]
# (WINEPREFIX set; the arguments must hold no spaces.)
set -uo pipefail
wine="$1"
program="$2"
shift 2
windows_path() { local path; path=$(realpath -m "$1"); echo "Z:${path//\//\\}"; }

settings="set QT_QPA_FONTDIR=$(windows_path /usr/share/fonts/truetype/dejavu)&& "
while [[ $# -gt 0 && "$1" == *=* && "$1" != -* ]]; do
    settings+="set $1&& "
    shift
done
platform=offscreen
if [[ "${1:-}" == -platform ]]; then
    platform="$2"
    shift 2
fi
report=$(mktemp)
trap 'rm -f "$report"' EXIT
"$wine" cmd /c "${settings}$(windows_path "$program") -platform ${platform} -o $(windows_path "$report"),txt $*"
status=$?
tr -d '\r' <"$report"
exit $status
