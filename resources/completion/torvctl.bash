# bash completion for torvctl                                  -*- shell-script -*-
#
# Installed as share/bash-completion/completions/torvctl; to try it from a source tree:
#   source resources/completion/torvctl.bash
# It needs nothing from the bash-completion package.
#
# The tables below follow `torvctl --help` and `torvctl COMMAND [SUBCOMMAND] --help`.
# An option written as NAME=KIND takes a value of that kind; one without "=" is a flag. A command's
# arguments are listed by kind, in order; a kind ending in "..." takes every later argument too.
#
# Kinds: torv dic4 ng4 bmp csv png (files with that extension, and folders), fleet (fleet files,
# *.fleet when there are any), file (any file, and folders), dir (folders), port, baud, bank (0..15),
# ng (1..30), key (front-panel keys), letter (command letters), mqtt (a broker URL's schemes), command
# (torvctl's command words), text (nothing to offer).

_torvctl_commands="exchange ports clock params ng dict monitor trend key fleet help"

declare -gA _torvctl_subcommands=(
    [clock]="set"
    [params]="read write sheet show get diff set"
    [ng]="read csv png"
    [dict]="show recognized from-ng read write"
    [fleet]="read write clock monitor"
)

_torvctl_global_options="-h --help --version -p=port --port=port -b=baud --baud=baud -y --yes -n --no
    -q --quiet --trace --json"

declare -gA _torvctl_options=(
    [exchange]="--reply-bytes=text"
    ["params write"]="--backup=torv --verify"
    ["params sheet"]="--out=csv"
    ["params show"]="--bank=bank"
    ["params get"]="--bank=bank"
    ["params diff"]="--values"
    ["params set"]="--bank=bank"
    ["ng read"]="--ng=ng"
    ["ng png"]="--out=png"
    ["dict from-ng"]="--ng=ng"
    [monitor]="--csv=csv --append --count=text --seconds=text --trend --baseline=text --mqtt=mqtt --mqtt-ca=file
        --mqtt-cert=file --mqtt-key=file --mqtt-user=text --mqtt-queue=text --name=text"
    [trend]="--png=png --baseline=text"
    ["fleet monitor"]="--csv-dir=dir --seconds=text --trend --baseline=text --mqtt=mqtt --mqtt-ca=file
        --mqtt-cert=file --mqtt-key=file --mqtt-user=text --mqtt-queue=text"
)

declare -gA _torvctl_arguments=(
    [exchange]="letter text text"
    ["params read"]="torv"
    ["params write"]="torv"
    ["params sheet"]="torv"
    ["params show"]="torv"
    ["params get"]="torv text"
    ["params diff"]="torv torv"
    ["params set"]="torv text..."
    ["ng read"]="ng4"
    ["ng csv"]="csv"
    ["ng png"]="bmp"
    ["dict show"]="dic4"
    ["dict recognized"]="dic4"
    ["dict from-ng"]="dic4"
    ["dict read"]="dic4"
    ["dict write"]="dic4"
    [trend]="csv..."
    [key]="key..."
    ["fleet read"]="fleet dir"
    ["fleet write"]="fleet dir"
    ["fleet clock"]="fleet"
    ["fleet monitor"]="fleet"
    [help]="command..."
)

_torvctl_baud_rates="4800 9600 19200 38400 57600 115200 256000"
_torvctl_keys="SET EXIT VIEW VIEW+UP VIEW+DOWN UP DOWN"
_torvctl_letters="P R S T U V W Y"

# The kind of value option $2 takes in command $1 ("flag" for none, nothing when it is no option).
_torvctl_option_kind() {
    local entry
    for entry in $_torvctl_global_options ${_torvctl_options[${1:-.}]-}; do
        case $entry in
            "$2"=*) echo "${entry#*=}"; return ;;
            "$2") echo flag; return ;;
        esac
    done
}

# The option names of command $1, global ones included.
_torvctl_option_names() {
    local entry
    for entry in $_torvctl_global_options ${_torvctl_options[${1:-.}]-}; do
        echo "${entry%%=*}"
    done
}

# Adds the words of $1 that start with $cur to COMPREPLY.
_torvctl_add_words() {
    mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -W "$1" -- "$cur")
}

# Folders, and files whose name ends in .$1 (every file when $1 is empty).
_torvctl_add_files() {
    compopt -o filenames 2>/dev/null
    mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -d -- "$cur")
    if [[ -n $1 ]]; then
        mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -f -X "!*.$1" -- "$cur")
    else
        mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -f -- "$cur")
    fi
}

# What --port takes: the COMn links in the ports folder ($XDG_CONFIG_HOME/torv/ports, or
# ~/.config/torv/ports), the serial devices present, and the network port scheme.
_torvctl_add_ports() {
    local folder=${XDG_CONFIG_HOME:-${HOME-}/.config}/torv/ports
    local names=() path name hardware
    for path in "$folder"/COM*; do
        name=${path##*/}
        [[ -L $path && $name =~ ^COM[1-9][0-9]*$ ]] && names+=("$name")
    done
    for path in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM*; do
        name=${path##*/}
        [[ -e $path && $name =~ ^tty(S|USB|ACM)[0-9]+$ ]] || continue
        # A built-in port without hardware behind it reports type 0, as `torvctl ports` leaves it out.
        if [[ $name == ttyS* && -r /sys/class/tty/$name/type ]]; then
            read -r hardware <"/sys/class/tty/$name/type" && [[ $hardware == 0 ]] && continue
        fi
        names+=("$path")
    done
    _torvctl_add_words "${names[*]}"
    [[ rfc2217:// == "$cur"* ]] && COMPREPLY+=("rfc2217://")
    # The scheme alone is the start of a name: no space after it.
    [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == rfc2217:// ]] && compopt -o nospace 2>/dev/null
    if [[ $cur == /dev/serial/* ]]; then
        _torvctl_add_files ""
    fi
}

# Offers the values of kind $1.
_torvctl_add_values() {
    case $1 in
        torv | dic4 | ng4 | bmp | csv | png) _torvctl_add_files "$1" ;;
        fleet)
            _torvctl_add_files fleet
            if [[ -z $(compgen -f -X '!*.fleet' -- "$cur") ]]; then
                _torvctl_add_files ""
            fi
            ;;
        file) _torvctl_add_files "" ;;
        mqtt)
            _torvctl_add_words "mqtt:// mqtts://"
            # A scheme alone is the start of a URL: no space after it.
            compopt -o nospace 2>/dev/null
            ;;
        dir)
            compopt -o filenames 2>/dev/null
            mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -d -- "$cur")
            ;;
        port) _torvctl_add_ports ;;
        baud) _torvctl_add_words "$_torvctl_baud_rates" ;;
        bank) _torvctl_add_words "$(seq 0 15)" ;;
        ng) _torvctl_add_words "$(seq 1 30)" ;;
        key) _torvctl_add_words "$_torvctl_keys" ;;
        letter) _torvctl_add_words "$_torvctl_letters" ;;
    esac
}

_torvctl() {
    COMPREPLY=()
    # bash splits "--port=COM3" and "rfc2217://host:1" at "=" and ":"; glue the pieces back together.
    local -a args=()
    local i word glue=0
    for ((i = 1; i <= COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if ((${#args[@]} > 0)) && { [[ $word == [=:] ]] || ((glue)); }; then
            args[-1]+=$word
        else
            args+=("$word")
        fi
        [[ $word == [=:] ]] && glue=1 || glue=0
    done
    local cur=${COMP_WORDS[COMP_CWORD]}
    [[ $cur == [=:] ]] && cur=""
    local current=${args[-1]}
    local count=$((${#args[@]} - 1))

    # Walk the words before the cursor: command words, options with their values, and arguments.
    local path="" kind="" expect="" helped=()
    local -i position=0
    for ((i = 0; i < count; i++)); do
        word=${args[i]}
        if [[ -n $expect ]]; then
            expect=""
            continue
        fi
        case $word in
            --*=*) continue ;;
            -?*)
                kind=$(_torvctl_option_kind "$path" "$word")
                [[ -n $kind && $kind != flag ]] && expect=$kind
                continue
                ;;
        esac
        if [[ -z $path ]]; then
            path=$word
        elif [[ -n ${_torvctl_subcommands[$path]-} && $path != *" "* ]] &&
            [[ " ${_torvctl_subcommands[$path]-} " == *" $word "* ]]; then
            path+=" $word"
        else
            [[ $path == help ]] && helped+=("$word")
            position+=1
        fi
    done

    # The value of an option: after it, or glued to it with "=".
    if [[ -n $expect ]]; then
        _torvctl_add_values "$expect"
        return 0
    fi
    if [[ $current == --*=* ]]; then
        _torvctl_add_values "$(_torvctl_option_kind "$path" "${current%%=*}")"
        return 0
    fi
    if [[ $current == -* ]]; then
        _torvctl_add_words "$(_torvctl_option_names "$path")"
        return 0
    fi

    # A command word.
    if [[ -z $path ]]; then
        _torvctl_add_words "$_torvctl_commands"
        return 0
    fi
    if [[ -n ${_torvctl_subcommands[$path]-} ]]; then
        _torvctl_add_words "${_torvctl_subcommands[$path]-}"
        return 0
    fi

    # An argument, by its place.
    local -a kinds
    read -ra kinds <<<"${_torvctl_arguments[$path]-}"
    ((${#kinds[@]} > 0)) || return 0
    if ((position < ${#kinds[@]})); then
        kind=${kinds[position]}
    else
        kind=${kinds[-1]}
        [[ $kind == *... ]] || return 0
    fi
    kind=${kind%...}
    if [[ $kind == command ]]; then
        case ${#helped[@]} in
            0) _torvctl_add_words "$_torvctl_commands" ;;
            1) _torvctl_add_words "${_torvctl_subcommands[${helped[0]}]-}" ;;
        esac
        return 0
    fi
    _torvctl_add_values "$kind"
    return 0
}

complete -F _torvctl torvctl
