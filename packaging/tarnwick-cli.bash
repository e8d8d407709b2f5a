# bash completion for tarnwick-cli: its commands, the titles of the registered lists, and the
# options of each command, as its usage names them.
_tarnwick_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local commands="list-add lists settings compose extract bounces queue send fetch results held approve reject discard members find remove sync import-reg config"
  if ((COMP_CWORD == 1)); then
    mapfile -t COMPREPLY < <(compgen -W "$commands --help" -- "$cur")
    return
  fi
  local options=""
  case ${COMP_WORDS[1]} in
    list-add) options="--title --type --name --address --admin --password --max-commands" ;;
    compose) options="--stdout" ;;
    extract) options="--sender" ;;
    bounces) options="--min-days --all --list --queue" ;;
    remove) options="--dry-run --unknown-too" ;;
    sync) options="--dry-run --yes" ;;
    members) options="--csv" ;;
    held) options="--all" ;;
    reject) options="--reason" ;;
    import-reg) options="--replace" ;;
  esac
  if [[ $cur == -* && -n $options && ${COMP_WORDS[COMP_CWORD - 1]} != --list ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return
  fi
  local titles
  case ${COMP_WORDS[1]} in
    compose | queue | results | members | sync | held)
      if ((COMP_CWORD == 2)); then
        titles=$(tarnwick-cli lists 2>/dev/null | cut -f1)
        local IFS=$'\n'
        mapfile -t COMPREPLY < <(compgen -W "$titles" -- "$cur")
        return
      fi
      [[ ${COMP_WORDS[1]} == members || ${COMP_WORDS[1]} == held ]] && mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
      [[ ${COMP_WORDS[1]} == sync ]] && mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      ;;
    settings)
      ((COMP_CWORD == 2)) &&
        mapfile -t COMPREPLY < <(compgen -W "$(tarnwick-cli settings 2>/dev/null | cut -f1)" -- "$cur")
      ;;
    bounces)
      if [[ ${COMP_WORDS[COMP_CWORD - 1]} == --list ]]; then
        titles=$(tarnwick-cli lists 2>/dev/null | cut -f1)
        local IFS=$'\n'
        mapfile -t COMPREPLY < <(compgen -W "$titles" -- "$cur")
      else
        mapfile -t COMPREPLY < <(compgen -f -W "imap:" -- "$cur")
      fi
      ;;
    extract | import-reg)
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      ;;
    config)
      ((COMP_CWORD == 2)) && mapfile -t COMPREPLY < <(compgen -W "show set" -- "$cur")
      ((COMP_CWORD == 3)) && mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      ;;
  esac
}
complete -F _tarnwick_cli tarnwick-cli
