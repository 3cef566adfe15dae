#!/usr/bin/env bash
# The cross-built torvctl.exe against torvsim through wine's COM5, which is a link to torvsim's
# pseudo-terminal: the Win32 line backend (CreateFileA, SetCommState, SetCommTimeouts, ReadFile, ...)
# on a real terminal. The file it reads must be byte for byte the one the Linux build reads; a write
# that moves the sensor to 115200 baud must be followed and verified.
#   torvctl_under_wine.sh WINE64 TORVCTL_EXE HOST_TORVSIM HOST_TORVCTL   (WINEPREFIX set)
set -euo pipefail
wine="$1"
exe="$2"
torvsim="$3"
torvctl="$4"

work=$(mktemp -d)
sim=
cleanup() {
    [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
    rm -f "$WINEPREFIX/dosdevices/com5"
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

"$torvsim" >sim.out &
sim=$!
for _ in $(seq 50); do [ -s sim.out ] && break; sleep 0.1; done
pty=$(head -n 1 sim.out)
mkdir -p "$WINEPREFIX/dosdevices"
ln -sfn "$pty" "$WINEPREFIX/dosdevices/com5"

passed=0
failed=0
# A Windows program ends its lines CR LF on the console.
windows() {
    "$wine" "$exe" "$@" 2>&1 | tr -d '\r' | paste -sd '|' | tr -d '\n'
}
check() {  # NAME EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAILED %s\n  expected: %s\n  got:      %s\n' "$1" "$2" "$3"
    fi
}

check "read under wine" "Reading from TORV is completed." "$(windows --port COM5 params read windows)"
check "read on Linux" "Reading from TORV is completed." "$("$torvctl" --port "$pty" params read linux 2>&1)"
check "same file bytes" "same" "$(cmp -s windows.torv linux.torv && echo same || echo different)"

"$torvctl" params set windows COMMUNIC=6 >/dev/null  # the sensor moves to 115200 baud on storing
check "write, follow the rate and verify" \
    "Writing to TORV is completed.|The sensor now talks at 115200 baud: give --baud 115200 from now on.|Verified: the sensor holds every word of windows.torv that a write sends." \
    "$(windows --yes --port COM5 params write windows --verify)"
check "read at the new rate" "Reading from TORV is completed." \
    "$(windows --port COM5 --baud 115200 params read again)"
check "a missing port" "Faild to open COM port. (exit 4)" \
    "$(windows --port COM9 params read none | cut -d'|' -f1 | tr -d '\n'; echo " (exit ${PIPESTATUS[0]})")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
