#!/usr/bin/env bash
# The desktop tool's real run under wine: torvscreenshot.exe (torvloader's windows, playing the person)
# on Xvfb with Qt's windows platform and the Windows style, talking to torvsim through wine's COM5 as
# torvloader.exe would (wine ties COM1 to COM4 to the PC's own serial ports). It takes the main window,
# the transfer dialog after "Read parameters from TORV" and the parameter editor at 125 % on a
# 1366 x 768 screen, and runs "Set the time to TORV". The file the read made must be byte for byte the
# one the Linux build's torvctl reads.
#
#   tools/windows-run.sh [PICTURES-FOLDER]     (default build-win/pictures; docs/ for the README's)
#
# Needs build-win/ (tools/windows-build.sh) and the Linux build in build/ (./test.sh), wine64, xvfb-run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
pictures="$(realpath -m "${1:-$root/build-win/pictures}")"
screenshot="$root/build-win/app/torvscreenshot.exe"
torvsim="$root/build/sim/torvsim"
torvctl="$root/build/cli/torvctl"
for program in "$screenshot" "$torvsim" "$torvctl"; do
    [[ -x "$program" ]] || { echo "windows-run.sh: no program at $program" >&2; exit 1; }
done
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX="$root/build-win/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$pictures"
windows_path() { local path; path=$(realpath -m "$1"); echo "Z:${path//\//\\}"; }

work=$(mktemp -d)
# The files go where a Windows user keeps them, C:\line3, which is also the folder the tool starts in.
line3="$WINEPREFIX/drive_c/line3"
mkdir -p "$line3"
sim=""
cleanup() {
    [[ -n "$sim" ]] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
    "$wine" reg delete 'HKLM\Software\Wine\Ports' /v COM5 /f >/dev/null 2>&1
    rm -rf "$work" "$line3"
}
trap cleanup EXIT
# The program in a folder of its own, with its settings file beside it (torvscreenshot.ini, as
# torvloader.ini for torvloader.exe): COM5 at 57600 baud, NG data number 1, no file names yet.
cp "$screenshot" "$work/torvscreenshot.exe"
printf '4\r\n4\r\n0\r\n\r\n\r\n\r\n\r\n' >"$work/torvscreenshot.ini"
program=$(windows_path "$work/torvscreenshot.exe")

"$torvsim" >"$work/sim.out" &
sim=$!
for _ in $(seq 50); do [[ -s "$work/sim.out" ]] && break; sleep 0.1; done
pty=$(head -n 1 "$work/sim.out")
# COM5 as wine's own port list names it, so that Windows finds it as it would a real port; wine takes
# the list when it starts.
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM5 /t REG_SZ /d "$pty" /f >/dev/null 2>&1
"$(dirname "$(readlink -f "$wine")")/wineserver" -k >/dev/null 2>&1 || true
# SCREEN SETTINGS SCENE ARGUMENTS...: one scene on a virtual screen of its own, in a wine desktop of
# that size, where wine draws the title bars as Windows does. Wine hands no QT_* variable on to a
# Windows program, so the command prompt sets them (unquoted: wine would escape the quotes).
scene() {
    local screen="$1" settings="$2"
    shift 2
    xvfb-run -a -s "-screen 0 ${screen}x24" "$wine" cmd /c "${settings}explorer /desktop=torv,${screen} ${program} $*" \
        2>/dev/null
}
failed=0
check() {  # NAME COMMAND...
    local name="$1"
    shift
    if "$@"; then
        echo "windows run: $name"
    else
        echo "windows run: $name FAILED" >&2
        failed=1
    fi
}

cd "$line3"
check "main window" scene 1280x1024 "" main "$(windows_path "$pictures/windows-main-window.png")"
check "parameter read" scene 1280x1024 "" read 'C:\line3\bank' \
    "$(windows_path "$pictures/windows-transfer-dialog.png")"
"$torvctl" --port "$pty" params read "$work/linux" >/dev/null
check "read file as on Linux" cmp -s "$line3/bank.torv" "$work/linux.torv"
check "parameter editor at 125 %" scene 1366x768 "set QT_SCALE_FACTOR=1.25&& " params 'C:\line3\bank' \
    "$(windows_path "$pictures/windows-parameter-editor.png")"
check "clock setting" scene 1280x1024 "" clock "$(windows_path "$work/clock.png")"
[[ $failed -eq 0 ]] && echo "windows run: pictures in $pictures"
exit $failed
