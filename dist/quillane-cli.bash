# bash completion for quillane-cli
# Every command and option that `quillane-cli --help` lists must appear here;
# tst_clidocs fails otherwise.

_quillane_cli()
{
    local cur prev words cword split
    _init_completion -s || return

    local commands='inclusion ranking site-ranking mine history list schedule'
    local options='--device --site --depth --limit --csv --json --with-serp --serp --report --save-pages --save --notify
        --interval --jitter --threads --retries --proxy --proxy-list --connect-timeout --timeout --insecure --cookies --help -h
        --tool --daily --weekly --every --if-due'
    local history_commands='list show changes export'
    local list_commands='save show remove'
    local schedule_commands='add list pause resume remove run'

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
        --proxy-list | --cookies)
            _filedir
            return
            ;;
        --depth)
            COMPREPLY=($(compgen -W '1 2 3' -- "$cur"))
            return
            ;;
        --notify)
            # the forms a channel takes; the rest is the user's address
            COMPREPLY=($(compgen -W 'wecom:https:// dingtalk:https:// feishu:https:// smtp:// smtps://' -- "$cur"))
            compopt -o nospace
            return
            ;;
        --tool)
            COMPREPLY=($(compgen -W 'inclusion ranking site-ranking' -- "$cur"))
            return
            ;;
        --daily | --weekly | --every)
            return
            ;;
        --site | --serp | --limit | --interval | --jitter | --threads | --retries | --proxy | --connect-timeout | --timeout)
            return
            ;;
    esac
    # an --option=value whose value we know nothing about
    $split && return

    # The words that are neither options nor an option's value: the command,
    # then (for history) its own command, the run and the file.
    local i ended='' args=()
    for ((i = 1; i < cword; i++)); do
        if [[ -n $ended ]]; then
            args+=("${words[i]}")
            continue
        fi
        case ${words[i]} in
            --) ended=1 ;;
            --device | --report | --save-pages | --site | --serp | --depth | --limit | --interval | --jitter | --threads | \
                --retries | --proxy | --proxy-list | --connect-timeout | --timeout | --cookies | --notify | \
                --tool | --daily | --weekly | --every) ((i++)) ;;
            -?*) ;;
            *) args+=("${words[i]}") ;;
        esac
    done

    if [[ -z $ended && $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif ((${#args[@]} == 0)); then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    elif [[ ${args[0]} == list ]]; then
        if ((${#args[@]} == 1)); then
            COMPREPLY=($(compgen -W "$list_commands" -- "$cur"))
        elif ((${#args[@]} == 2)) && [[ ${args[1]} == @(show|remove) ]]; then
            # the names of the saved lists, the first field of each line
            local IFS=$'\n'
            COMPREPLY=($(compgen -W "$("${words[0]}" list 2>/dev/null | cut -f1)" -- "$cur"))
        elif ((${#args[@]} == 3)) && [[ ${args[1]} == save ]]; then
            _filedir
        fi
    elif [[ ${args[0]} == schedule ]]; then
        if ((${#args[@]} == 1)); then
            COMPREPLY=($(compgen -W "$schedule_commands" -- "$cur"))
        elif ((${#args[@]} == 2)) && [[ ${args[1]} != list ]]; then
            local IFS=$'\n'
            COMPREPLY=($(compgen -W "$("${words[0]}" list 2>/dev/null | cut -f1)" -- "$cur"))
        fi
    elif [[ ${args[0]} != history ]]; then
        _filedir
    elif ((${#args[@]} == 1)); then
        COMPREPLY=($(compgen -W "$history_commands" -- "$cur"))
    elif ((${#args[@]} == 2)) && [[ ${args[1]} == @(show|changes|export) ]]; then
        # the ids of the stored runs, the first field of each line
        COMPREPLY=($(compgen -W "$("${words[0]}" history list 2>/dev/null | cut -f1)" -- "$cur"))
    elif ((${#args[@]} == 3)) && [[ ${args[1]} == export ]]; then
        _filedir '@(xlsx|xls)'
    fi
} &&
    complete -F _quillane_cli quillane-cli
