# bash completion for quillane-cli
# Every command and option that `quillane-cli --help` lists must appear here;
# tst_clidocs fails otherwise.

_quillane_cli()
{
    local cur prev words cword split
    _init_completion -s || return

    local commands='inclusion ranking site-ranking mine'
    local options='--device --site --depth --limit --csv --report --save-pages --help -h'

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
        --depth)
            COMPREPLY=($(compgen -W '1 2 3' -- "$cur"))
            return
            ;;
        --site | --limit)
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
            --device | --report | --save-pages | --site | --depth | --limit) ((i++)) ;;
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
