#!/usr/bin/env bash
# Takes the pictures of torvloader for the documentation with torvscreenshot, a program of its own that
# links torvloader's windows. Builds nothing: pass the built program (default:
# build/app/torvscreenshot) and, optionally, where the picture goes.
#
#   tools/screenshot.sh [path/to/torvscreenshot] [docs/main-window.png]
#   tools/screenshot.sh viewer [path/to/torvscreenshot] [docs/ng-viewer.png]
#   tools/screenshot.sh monitor [path/to/torvscreenshot] [docs/monitor.png]
#   tools/screenshot.sh remote [path/to/torvscreenshot] [docs/remote-controller.png]
#   tools/screenshot.sh trace [path/to/torvscreenshot] [docs/trace-window.png]
#   tools/screenshot.sh clock [path/to/torvscreenshot] [docs/transfer-dialog.png]
#   tools/screenshot.sh params [path/to/torvscreenshot] [docs/parameter-editor-125.png]
#   tools/screenshot.sh editor [path/to/torvscreenshot] [docs/dictionary-editor.png]
#   tools/screenshot.sh compare [path/to/torvscreenshot] [docs/parameter-compare.png]
#   tools/screenshot.sh browser [path/to/torvscreenshot] [docs/ng-browser.png]
#   tools/screenshot.sh trend [path/to/torvscreenshot] [docs/trend-window.png]
#
# The first shows the main window. It restores its settings from the .ini file beside the program,
# so a build folder without one shows a first start. The second reads a stored NG inspection from
# a simulated sensor (torvsim and torvctl from the same build folder) and shows it in the NG data
# viewer. The third shows the main window with the monitor running against a simulated sensor on COM1,
# the fourth the remote controller opened on it (both with settings and ports folder of their own).
# The fifth shows the "Protocol trace" window after three runs of "Set the time" against torvsim on
# COM1 at 57600 baud, faulted to show a NAK, a wrong checksum and a time-out. The sixth shows the
# transfer dialog at the end of "Set the time to TORV" against torvsim on COM1, the seventh the
# parameter editor on a parameter file read from torvsim, at 125 % on a 1366 x 768 screen. The eighth
# reads the simulated sensor's expansion dictionary, appends the characters it has just recognized,
# and opens the dictionary editor on the first of them. The trend scene runs the monitor on a fading
# print (torvsim --fade) and takes the Trend window after its alarm. Every scene that talks to a sensor has a ports
# folder of its own whose COM1 is torvsim, since torvscreenshot answers every question Yes. Needs
# xvfb-run (packages xvfb and xauth); with openbox installed, every window is taken with the title bar
# and frame the window manager gives it.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
mode=main
if [[ "${1:-}" =~ ^(viewer|monitor|remote|trace|clock|params|editor|compare|browser|trend)$ ]]; then
    mode="$1"
    shift
fi
program="${1:-$root/build/app/torvscreenshot}"
case "$mode" in
    viewer) output="${2:-$root/docs/ng-viewer.png}" ;;
    monitor) output="${2:-$root/docs/monitor.png}" ;;
    remote) output="${2:-$root/docs/remote-controller.png}" ;;
    trace) output="${2:-$root/docs/trace-window.png}" ;;
    clock) output="${2:-$root/docs/transfer-dialog.png}" ;;
    params) output="${2:-$root/docs/parameter-editor-125.png}" ;;
    editor) output="${2:-$root/docs/dictionary-editor.png}" ;;
    compare) output="${2:-$root/docs/parameter-compare.png}" ;;
    browser) output="${2:-$root/docs/ng-browser.png}" ;;
    trend) output="${2:-$root/docs/trend-window.png}" ;;
    *) output="${2:-$root/docs/main-window.png}" ;;
esac

if [[ ! -x "$program" ]]; then
    echo "screenshot.sh: no program at $program (build the torvscreenshot target first)" >&2
    exit 1
fi
if ! command -v xvfb-run >/dev/null; then
    echo "screenshot.sh: xvfb-run is missing (apt-get install xvfb xauth)" >&2
    exit 1
fi
mkdir -p "$(dirname "$output")"

# xvfb-run SERVER-ARGS PROGRAM...: the program on a virtual screen, under openbox when there is one.
on_screen() {
    local server="$1"
    shift
    xvfb-run -a -s "$server" bash -c '
        if command -v openbox >/dev/null; then
            openbox >/dev/null 2>&1 &
            wm=$!
            sleep 1
        fi
        "$@"
        status=$?
        [[ -n "${wm:-}" ]] && kill "$wm" 2>/dev/null
        exit $status' _ "$@"
}

if [[ "$mode" == main ]]; then
    on_screen "-screen 0 1280x1024x24" "$program" main "$output"
    echo "saved $output"
    exit 0
fi

build="$(cd "$(dirname "$program")/.." && pwd)"
if [[ "$mode" == trace ]]; then
    if [[ ! -x "$build/sim/torvsim" ]]; then
        echo "screenshot.sh: no program at $build/sim/torvsim (build torvsim first)" >&2
        exit 1
    fi
    # A private ports folder, so COM1 of a real installation is never touched.
    export XDG_CONFIG_HOME
    XDG_CONFIG_HOME="$(mktemp -d)"
    # Each run of "Set the time" is 25 exchanges; a fault ends the run it hits.
    "$build/sim/torvsim" --link COM1 --baud 57600 --fault 6=nak --fault 10=checksum --fault 13=silence \
        >"$XDG_CONFIG_HOME/torvsim.out" &
    sim=$!
    trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$XDG_CONFIG_HOME"' EXIT
    for _ in $(seq 50); do [[ -s "$XDG_CONFIG_HOME/torvsim.out" ]] && break; sleep 0.1; done
    on_screen "-screen 0 1280x1024x24" "$program" trace "$output"
    echo "saved $output"
    exit 0
fi

for tool in "$build/sim/torvsim" "$build/cli/torvctl"; do
    if [[ ! -x "$tool" ]]; then
        echo "screenshot.sh: no program at $tool (build torvsim and torvctl first)" >&2
        exit 1
    fi
done
work="$(mktemp -d)"
sim_pid=""
cleanup() {
    if [[ -n "$sim_pid" ]]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
if [[ "$mode" == trend ]]; then
    # Position 3 fades for 3000 judgements after the trend's baseline of 1000; NG from judgement 4001.
    export XDG_CONFIG_HOME="$work"
    "$build/sim/torvsim" --link COM1 --pace 0 --mix 100,0,0 --fade 3,3000,1000 >"$work/sim.out" 2>/dev/null &
elif [[ "$mode" == monitor || "$mode" == remote || "$mode" == clock || "$mode" == params || "$mode" == compare ]]; then
    # A first start (COM1, 57600 baud) whose COM1 is the simulated sensor.
    export XDG_CONFIG_HOME="$work"
    "$build/sim/torvsim" --link COM1 >"$work/sim.out" 2>/dev/null &
else
    # The line stands: the recognized characters are the seed's first product.
    "$build/sim/torvsim" --read-every 0 >"$work/sim.out" &
fi
sim_pid=$!
for _ in $(seq 50); do
    [[ -s "$work/sim.out" ]] && break
    sleep 0.1
done
if [[ "$mode" == monitor || "$mode" == remote || "$mode" == clock || "$mode" == trend ]]; then
    on_screen "-screen 0 1280x1024x24" "$program" "$mode" "$output"
    echo "saved $output"
    exit 0
fi
if [[ "$mode" == params ]]; then
    "$build/cli/torvctl" --port COM1 params read "$work/bank" >/dev/null
    QT_SCALE_FACTOR=1.25 on_screen "-screen 0 1366x768x24" "$program" params "$work/bank" "$output"
    echo "saved $output"
    exit 0
fi
if [[ "$mode" == compare ]]; then
    # The file differs from the sensor in bank 1 (the bank on show) and in bank 5.
    "$build/cli/torvctl" --port COM1 params read "$work/bank" >/dev/null
    "$build/cli/torvctl" params set "$work/bank" --bank 1 SHUTTER=60 LUSTER=20 >/dev/null
    "$build/cli/torvctl" params set "$work/bank" --bank 5 THRESHLD=40 >/dev/null
    on_screen "-screen 0 1600x1024x24" "$program" compare "$work/bank" "$output"
    echo "saved $output"
    exit 0
fi
device="$(head -n 1 "$work/sim.out")"
if [[ "$mode" == browser ]]; then
    for number in 1 2 3 4; do
        "$build/cli/torvctl" --port "$device" ng read "$work/line2-ng$number" --ng "$number" >/dev/null
    done
    on_screen "-screen 0 1280x1024x24" "$program" browser "$work" "$output"
    echo "saved $output"
    exit 0
fi
if [[ "$mode" == editor ]]; then
    # In the work folder, so that the editor names the file as a user would see it: user.dic4.
    output="$(cd "$(dirname "$output")" && pwd)/$(basename "$output")"
    cd "$work"
    count() { "$build/cli/torvctl" dict show user | tail -n 1 | cut -d ' ' -f 1; }
    "$build/cli/torvctl" --port "$device" dict read user >/dev/null
    before="$(count)"
    "$build/cli/torvctl" --port "$device" --yes dict recognized user >/dev/null
    on_screen "-screen 0 1280x1024x24" "$program" editor user "$(($(count) - before))" "$output"
    echo "saved $output"
    exit 0
fi
# NG 4 of the default seed failed on a badly printed character, which the screen frames in blue.
"$build/cli/torvctl" --port "$device" ng read "$work/ng" --ng 4 >/dev/null
on_screen "-screen 0 1280x1024x24" "$program" viewer "$work/ng" "$output"
echo "saved $output"
