# Completion of rdbxml's command line in bash: its commands, each command's
# options as that command's --help lists them (so the completion never falls
# behind the tool), the words an option takes where there are few, and files
# where files go. Installed as share/bash-completion/completions/rdbxml.

# The options of `rdbxml [COMMAND] --help`, one a line (-j and --jobs of
# "-j,--jobs N" alike).
_rdbxml_options()
{
    "$1" ${2:+"$2"} --help 2>/dev/null |
        awk '/^  -/ { n = split($1, names, ","); for (i = 1; i <= n; i++) print names[i] }'
}

# What the option $3 takes, as the help line names it ("OUT" of "--html OUT
# ..."); nothing for an option that takes nothing.
_rdbxml_option_value()
{
    "$1" ${2:+"$2"} --help 2>/dev/null | awk -v option="$3" '
        /^  -/ {
            n = split($1, names, ",")
            for (i = 1; i <= n; i++)
                if (names[i] == option) {
                    # One space after the option names its value; more
                    # start the description.
                    rest = substr($0, index($0, $1) + length($1))
                    if (rest ~ /^ [^ ]/)
                        print $2
                    exit
                }
        }'
}

_rdbxml()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    local tool=${COMP_WORDS[0]}
    local command=
    if ((COMP_CWORD > 1)); then
        case ${COMP_WORDS[1]} in
        diff | check | ls | index | trend) command=${COMP_WORDS[1]} ;;
        esac
    fi
    COMPREPLY=()

    if [[ $prev == -* && $prev != - ]]; then
        case $(_rdbxml_option_value "$tool" "$command" "$prev") in
        '') ;;
        FILE | OUT | DB)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return
            ;;
        WHEN)
            mapfile -t COMPREPLY < <(compgen -W 'auto always never' -- "$cur")
            return
            ;;
        *) return ;;  # a number, a pattern, a rule: nothing to offer
        esac
    fi

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_rdbxml_options "$tool" "$command")" -- "$cur")
        return
    fi
    compopt -o filenames 2>/dev/null
    if ((COMP_CWORD == 1)); then
        mapfile -t COMPREPLY < <(compgen -W 'diff check ls index trend' -- "$cur"; compgen -f -- "$cur")
    else
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}

complete -F _rdbxml rdbxml
