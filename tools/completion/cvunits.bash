# bash completion for cvunits: commands, options, files for --db and validate,
# and unit texts through `cvunits complete`.

# Each suggestion in the form that continues the word typed: the symbol, or
# the name when only the name does (kilogr gives kilogram, not kg).
_cvunits_units() {
    local cur=$1 line completes= word symbol name rest text
    COMPREPLY=()
    while IFS= read -r line; do
        case $line in
        "completes: "*) completes=${line#completes: } ;;
        "... and "* | "") ;;
        *)
            IFS=$'\t' read -r symbol name rest <<<"$line"
            word=${cur#"$completes"}
            if [[ ${symbol,,} == "${word,,}"* ]]; then
                text=$symbol
            elif [[ ${name,,} == "${word,,}"* ]]; then
                text=$name
            else
                # Matched by another spelling, such as degF for °F: keep it.
                text=$word
            fi
            COMPREPLY+=("$completes$text")
            ;;
        esac
    done < <("$_cvunits_tool" complete --limit 0 "$cur" 2>/dev/null)
}

# The options of each command beside --help.
_cvunits_options() {
    case $1 in
    convert) echo --batch --json ;;
    complete | search | similar) echo --limit ;;
    suggest) echo --quantity --limit ;;
    propagate) echo --mode --format --tree ;;
    esac
}

_cvunits() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local _cvunits_tool=${COMP_WORDS[0]} command= i
    if [[ $prev == --db ]]; then
        COMPREPLY=($(compgen -f -- "$cur"))
        return
    fi
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        --db) ((i++)) ;;
        -*) ;;
        *) command=${COMP_WORDS[i]}; break ;;
        esac
    done
    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--json --db --help' -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$("$_cvunits_tool" --help 2>/dev/null |
                awk '$1 == "cvunits" && $2 ~ /^[a-z]/ { print $2 }')" -- "$cur"))
        fi
        return
    fi
    case $command in
    validate) COMPREPLY=($(compgen -f -- "$cur")) ;;
    shell) COMPREPLY=() ;;
    *)
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--help $(_cvunits_options "$command")" -- "$cur"))
        else
            _cvunits_units "$cur"
        fi
        ;;
    esac
}

complete -F _cvunits cvunits
