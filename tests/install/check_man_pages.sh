#!/usr/bin/env bash
# Checks the manual pages: each one renders with man(1) without a single warning, and torvctl(1)
# names every command, subcommand and option that torvctl's own help lists, so the page cannot fall
# behind the program.
#   tests/install/check_man_pages.sh TORVCTL [MAN_DIR]
set -euo pipefail
torvctl="$1"
pages="${2:-$(dirname "$0")/../../docs/man}"

failed=0
fail() {
    echo "$*"
    failed=1
}

export LC_ALL=C.UTF-8 MANWIDTH=80

# The page as a reader sees it (man leaves out bold and underline when writing to a pipe), on one
# line, with the words hyphenated at a line end joined again.
render() {
    man --warnings -E UTF-8 -l "$1" 2>"$work/stderr" |
        sed -e ':a' -e '/‐$/{N;s/‐\n *//;ba' -e '}' | tr -s ' \n' '  '
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Each page: renders, no warning, and its NAME line names its program.
for program in torvctl torvsim torvloader; do
    page="$pages/$program.1"
    if [ ! -f "$page" ]; then
        fail "missing: $page"
        continue
    fi
    text=$(render "$page") || fail "$program.1: man failed"
    if [ -s "$work/stderr" ]; then
        fail "$program.1: warnings while rendering:"
        cat "$work/stderr"
    fi
    if [[ $text != *"NAME $program - "* ]]; then
        fail "$program.1: no NAME line for $program"
    fi
done

# The names a help text lists under a heading ("Subcommands:", "Options:"): the first word of each
# entry, up to the next blank line.
listed() {
    awk -v heading="$1:" '
        $0 == heading { inside = 1; next }
        inside && /^$/ { exit }
        inside && /^  [^ ]/ { print $1 }'
}

# The long options of an "Options:" list ("-p,--port" gives --port).
long_options() {
    listed Options | tr ',' '\n' | grep -E '^--[a-z]' || true
}

page_text=$(render "$pages/torvctl.1" 2>/dev/null)
commands=$("$torvctl" --help | listed Subcommands)
[ -n "$commands" ] || fail "torvctl --help lists no commands"
for option in $("$torvctl" --help | long_options); do
    [[ $page_text == *" $option"* ]] || fail "torvctl.1 does not name the global option $option"
done
for command in $commands; do
    [[ $page_text == *" $command "* ]] || fail "torvctl.1 does not name the command $command"
    help=$("$torvctl" "$command" --help)
    subcommands=$(listed Subcommands <<<"$help")
    for subcommand in $subcommands; do
        [[ $page_text == *" $command $subcommand "* ]] ||
            fail "torvctl.1 does not name the command $command $subcommand"
        for option in $("$torvctl" "$command" "$subcommand" --help | long_options); do
            [[ $page_text == *" $option"* ]] ||
                fail "torvctl.1 does not name $option of $command $subcommand"
        done
    done
    if [ -z "$subcommands" ]; then
        for option in $(long_options <<<"$help"); do
            [[ $page_text == *" $option"* ]] || fail "torvctl.1 does not name $option of $command"
        done
    fi
done

# Every exit code the program lists is explained under EXIT STATUS.
status=${page_text#*EXIT STATUS}
status=${status%%ENVIRONMENT*}
for code in $("$torvctl" --help | listed "Exit codes"); do
    [[ $status == *" $code "* ]] || fail "torvctl.1 does not explain exit code $code"
done

[ $failed -eq 0 ] && echo "manual pages: all render cleanly; torvctl.1 follows torvctl --help"
exit $failed
