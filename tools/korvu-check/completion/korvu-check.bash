# bash completion for korvu-check.
#
# The options and what their values are come from the korvu-check being
# completed (its --help), and the functions and rows after -- from its
# --list, so that the completion knows what that build of it and its suite
# know.

# _korvu_check_options COMMAND...: "name value" per option COMMAND --help
# lists, the value's name ("path", "dir", ...) empty for a switch.
_korvu_check_options()
{
    local line option='^  (-[[:alnum:]])?(, )?(--[[:alnum:]-]+)?( <([^>]+)>)?( |$)'
    LC_ALL=C "$@" --help 2>/dev/null | while IFS= read -r line; do
        [[ $line =~ $option ]] || continue
        [[ -n ${BASH_REMATCH[1]} ]] && printf '%s %s\n' "${BASH_REMATCH[1]}" "${BASH_REMATCH[5]}"
        [[ -n ${BASH_REMATCH[3]} ]] && printf '%s %s\n' "${BASH_REMATCH[3]}" "${BASH_REMATCH[5]}"
    done
}

# _korvu_check_rows CHECK SEPARATOR: the selection words of the suite that
# the options before the SEPARATOR-th word choose, for $cur.
_korvu_check_rows()
{
    local check=$1 separator=$2 i listing=()
    # The parts and patterns decide the listing; other options would only
    # slow it down or be refused with --list.
    for ((i = 1; i < separator; i++)); do
        case ${words[i]} in
            --daemon | --mocks | --experience | --suite | --grep | --grep-invert)
                listing+=("${words[i]}")
                [[ ${words[i + 1]} == = ]] && ((i++))
                listing+=("${words[i + 1]}")
                ((i++))
                ;;
        esac
    done

    # A word typed after an opening quote is completed as it stands, one
    # typed bare with backslashes before its spaces and brackets.
    local quote= text=${cur//\\/}
    if [[ $cur == [\'\"]* ]]; then
        quote=${cur:0:1}
        text=${cur:1}
    fi
    local word
    while IFS= read -r word; do
        [[ $word == "$text"* ]] || continue
        if [[ -n $quote ]]; then
            COMPREPLY+=("$word")
        else
            COMPREPLY+=("$(printf '%q' "$word")")
        fi
    done < <(LC_ALL=C "$check" "${listing[@]}" --list 2>/dev/null)
    [[ -n $quote ]] || __ltrim_colon_completions "$cur"
}

_korvu_check()
{
    local cur prev words cword split
    _init_completion -s -n : || return

    local check=${words[0]} i
    __expand_tilde_by_ref check
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} == -- ]]; then
            [[ $cur == -* ]] || _korvu_check_rows "$check" "$i"
            return
        fi
    done

    local command=("$check")
    [[ $cword -gt 1 && ${words[1]} == merge ]] && command+=(merge)
    local options name value
    options=$(_korvu_check_options "${command[@]}")

    if [[ $prev == -* ]]; then
        while read -r name value; do
            [[ $name == "$prev" ]] || continue
            case $value in
                path | file) _filedir ;;
                dir) _filedir -d ;;
                command) COMPREPLY=($(compgen -c -- "$cur")) ;;
                n) [[ $prev == -j || $prev == --jobs ]] && COMPREPLY=($(compgen -W auto -- "$cur")) ;;
            esac
            [[ -n $value ]] && return
        done <<<"$options"
    fi
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(cut -d ' ' -f 1 <<<"$options")" -- "$cur"))
    elif [[ ${#command[@]} -eq 2 ]]; then
        _filedir json
    elif [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W merge -- "$cur"))
    fi
}
complete -F _korvu_check korvu-check
