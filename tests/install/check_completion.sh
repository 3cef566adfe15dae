#!/usr/bin/env bash
# Checks torvctl's bash completion: sources the script, sets COMP_WORDS and COMP_CWORD as bash does
# for a command line, calls the completion function and compares what it offers with a table. Given
# the torvctl program too, it also checks that every command, subcommand and option its help lists
# is offered.
#   tests/install/check_completion.sh COMPLETION_SCRIPT [TORVCTL]
set -euo pipefail
script=$(realpath "$1")
torvctl=${2:+$(realpath "$2")}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A ports folder of our own with one link, COM3; a folder with one file of each kind and a stranger.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/torv/ports" "$work/files/backups"
ln -s /dev/null "$XDG_CONFIG_HOME/torv/ports/COM3"
touch "$XDG_CONFIG_HOME/torv/ports/COM5" # a plain file is no port link
cd "$work/files"
touch line3.torv notes.txt user.dic4 plant.fleet shift.csv lot42.bmp lot42.ng4

# shellcheck source=/dev/null
source "$script"
complete -p torvctl | grep -q -- '-F _torvctl' || {
    echo "the script does not register _torvctl for torvctl"
    exit 1
}

# What the function offers for LINE (the cursor at its end), one word a line. The line is split as
# bash splits it: at blanks, and around "=" and ":".
offered() {
    local line="$1" word
    COMP_WORDS=()
    for word in $line; do
        while [[ $word =~ ^([^=:]*)([=:])(.*)$ ]]; do
            [[ -n ${BASH_REMATCH[1]} ]] && COMP_WORDS+=("${BASH_REMATCH[1]}")
            COMP_WORDS+=("${BASH_REMATCH[2]}")
            word=${BASH_REMATCH[3]}
        done
        [[ -n $word ]] && COMP_WORDS+=("$word")
    done
    [[ $line == *" " || $line == *[=:] ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _torvctl
    printf '%s\n' "${COMPREPLY[@]}"
}

failed=0
# LINE | words all offered ("=" first: exactly these) | words none of which may be offered
cases=(
    "torvctl pa|=params|"
    "torvctl |params fleet monitor help|--port"
    "torvctl params |show get diff read write set sheet|params"
    "torvctl dict |from-ng recognized show|sheet"
    "torvctl -p CO|=COM3|COM5"
    "torvctl --port=CO|=COM3|"
    "torvctl -p rf|=rfc2217://|"
    "torvctl --b|=--baud|"
    "torvctl -b |57600 115200 4800 256000|COM3"
    "torvctl -p COM3 params show |line3.torv backups|notes.txt user.dic4"
    "torvctl params diff line3.torv |line3.torv|notes.txt"
    "torvctl params diff line3.torv line3.torv ||line3.torv"
    "torvctl params write line3 --backup |line3.torv|notes.txt"
    "torvctl params show --bank |0 15|16"
    "torvctl params sheet line3 --out |shift.csv|line3.torv"
    "torvctl dict show |user.dic4|line3.torv notes.txt"
    "torvctl ng png |lot42.bmp|lot42.ng4"
    "torvctl monitor --|--csv --count --seconds --port|--bank"
    "torvctl fleet read |plant.fleet|line3.torv"
    "torvctl fleet read plant.fleet |=backups|"
    "torvctl -p rfc2217://10.0.0.7:3001 fleet |read write clock|"
    "torvctl key VIEW |VIEW+UP SET DOWN|"
    "torvctl help params |write diff|ports"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r line wanted unwanted <<<"$entry"
    got=$(offered "$line")
    if [[ $wanted == =* ]]; then
        expected=$(tr ' ' '\n' <<<"${wanted#=}")
        [[ $got == "$expected" ]] || {
            echo "'$line<TAB>' offers [${got//$'\n'/ }], expected exactly [${wanted#=}]"
            failed=1
        }
        continue
    fi
    for word in $wanted; do
        grep -qxF -- "$word" <<<"$got" || {
            echo "'$line<TAB>' offers [${got//$'\n'/ }], without $word"
            failed=1
        }
    done
    for word in $unwanted; do
        if grep -qxF -- "$word" <<<"$got"; then
            echo "'$line<TAB>' offers [${got//$'\n'/ }], with $word"
            failed=1
        fi
    done
done

# Against the program: whatever its help lists must be offered.
if [[ -n $torvctl ]]; then
    listed() {
        awk -v heading="$1:" '
            $0 == heading { inside = 1; next }
            inside && /^$/ { exit }
            inside && /^  [^ ]/ { print $1 }'
    }
    long_options() {
        listed Options | tr ',' '\n' | grep -E '^--[a-z]' || true
    }
    expect_offered() {
        local line="$1" word="$2"
        grep -qxF -- "$word" <<<"$(offered "$line")" || {
            echo "'$line<TAB>' does not offer $word, which torvctl's help lists"
            failed=1
        }
    }
    for command in $("$torvctl" --help | listed Subcommands); do
        expect_offered "torvctl " "$command"
        for option in $("$torvctl" --help | long_options); do
            expect_offered "torvctl $command --" "$option"
        done
        subcommands=$("$torvctl" "$command" --help | listed Subcommands)
        for subcommand in $subcommands; do
            expect_offered "torvctl $command " "$subcommand"
            for option in $("$torvctl" "$command" "$subcommand" --help | long_options); do
                expect_offered "torvctl $command $subcommand --" "$option"
            done
        done
        if [[ -z $subcommands ]]; then
            for option in $("$torvctl" "$command" --help | long_options); do
                expect_offered "torvctl $command --" "$option"
            done
        fi
    done
fi

if [ $failed -eq 0 ]; then
    echo "completion: ${#cases[@]} cases offer what they should"
    [[ -z $torvctl ]] || echo "completion: every command and option of torvctl's help is offered"
fi
exit $failed
