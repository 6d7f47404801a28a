# bash completion for tqprog-cli
_tqprog_cli() {
    local cur prev words cword
    _init_completion || return

    local globals="--simulator --device --trace --program-dir --lang -c --chip --start --sim-chip --sim-state
                   --sim-erase-ms --version --help"
    local commands="info chips project firmware convert merge erase blank write read verify auto selfcheck
                    detect user-chips"

    case $prev in
        --device | --program-dir | --sim-state)
            _filedir -d
            return
            ;;
        --lang)
            COMPREPLY=($(compgen -W "0 1 2" -- "$cur"))
            return
            ;;
        -c | --chip | --sim-chip | --algorithm)
            # Chip names from the database, when the program can list them.
            local names
            names=$(tqprog-cli chips "$cur" 2>/dev/null | awk 'NR > 1 && !/^(Total|共)/ { print $1 }')
            COMPREPLY=($(compgen -W "$names none" -- "$cur"))
            return
            ;;
        --start | --sim-erase-ms | --fill | --limit | --serial | --id | --maker | --type | --platform | --name)
            return
            ;;
    esac

    # The command given so far, skipping global options and their values.
    local i command="" sub=""
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --device | --program-dir | --lang | -c | --chip | --start | --sim-chip | --sim-state | --sim-erase-ms)
                ((i++))
                ;;
            -*) ;;
            *)
                if [[ -z $command ]]; then
                    command=${words[i]}
                elif [[ -z $sub ]]; then
                    sub=${words[i]}
                fi
                ;;
        esac
    done

    if [[ $cur == -* ]]; then
        local options="$globals"
        case $command in
            info | detect) options+=" --json" ;;
            chips) options+=" --type --maker --types --platform --json" ;;
            erase) options+=" --backup --no-backup" ;;
            write) options+=" --truncate --backup --no-backup --erase-first --write-over" ;;
            verify) options+=" --truncate" ;;
            auto) options+=" --no-erase --no-write --no-verify --truncate --backup --no-backup" ;;
            merge) options+=" --fill" ;;
            firmware) options+=" --wait-boot --yes" ;;
            user-chips) options+=" --algorithm --maker --id" ;;
            project) options+=" --name --mode --id-check --no-erase --no-write --no-verify --serial --limit" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    case $command in
        "") COMPREPLY=($(compgen -W "$commands" -- "$cur")) ;;
        firmware) [[ -z $sub ]] && COMPREPLY=($(compgen -W "update inspect" -- "$cur")) || _filedir ;;
        project) [[ -z $sub ]] && COMPREPLY=($(compgen -W "download" -- "$cur")) || _filedir ;;
        user-chips) [[ -z $sub ]] && COMPREPLY=($(compgen -W "list algorithms add modify delete" -- "$cur")) ;;
        write | read | verify | auto | convert | merge) _filedir ;;
    esac
} &&
    complete -F _tqprog_cli tqprog-cli
