# bash completion for quillane-cli
# Every command and option that `quillane-cli --help` lists must appear here;
# tst_clidocs fails otherwise.

_quillane_cli()
{
    local cur prev words cword split
    _init_completion -s || return

    local commands='inclusion ranking'
    local options='--device --csv --report --save-pages --interval --jitter --threads --retries
        --proxy --proxy-list --connect-timeout --timeout --insecure --help -h'

    case $prev in
        --device)
            COMPREPLY=($(compgen -W 'pc mobile' -- "$cur"))
            return
            ;;
        --report)
            _filedir '@(xlsx|xls)'
            return
            ;;
        --save-pages)
            _filedir -d
            return
            ;;
        --proxy-list)
            _filedir
            return
            ;;
        --interval | --jitter | --threads | --retries | --proxy | --connect-timeout | --timeout)
            return
            ;;
    esac
    # an --option=value whose value we know nothing about
    $split && return

    # The command is the first word that is neither an option nor an option's value.
    local i command='' ended=''
    for ((i = 1; i < cword; i++)); do
        if [[ -n $ended ]]; then
            command=${words[i]}
            break
        fi
        case ${words[i]} in
            --) ended=1 ;;
            --device | --report | --save-pages | --interval | --jitter | --threads | --retries | --proxy | \
                --proxy-list | --connect-timeout | --timeout) ((i++)) ;;
            -?*) ;;
            *)
                command=${words[i]}
                break
                ;;
        esac
    done

    if [[ -z $ended && $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    else
        _filedir
    fi
} &&
    complete -F _quillane_cli quillane-cli
