# Bash completion for vo: commands, each command's options, files for FILE
# arguments, and the values --format and --table accept.

_vo() {
  local cur prev words cword
  if declare -F _init_completion >/dev/null; then
    _init_completion || return
  else
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD - 1]}
    words=("${COMP_WORDS[@]}")
    cword=$COMP_CWORD
  fi

  local commands="import can-import identify update-symbols smart-time expire-options show runs undo layouts web help"
  local formats="table csv tsv json ndjson"
  local tables="trans_table sym_table inactive_sym_table grp_table event_table position_table
    corp_event_table port_table trans_dup_table import_run import_run_trans import_run_sym"

  # The command is the first word that is not an option nor the value of --db.
  local command="" i
  for ((i = 1; i < cword; i++)); do
    case ${words[i]} in
      --db) ((i++)) ;;
      -*) ;;
      *) command=${words[i]}; break ;;
    esac
  done

  case $prev in
    --db | --log-dir | --layout)
      if [[ $prev == --log-dir ]]; then
        COMPREPLY=($(compgen -d -- "$cur"))
      else
        COMPREPLY=($(compgen -f -- "$cur"))
      fi
      return ;;
    --format) COMPREPLY=($(compgen -W "$formats" -- "$cur")); return ;;
    --table) COMPREPLY=($(compgen -W "$tables" -- "$cur")); return ;;
    --account | --account-id | --account-name | --broker-account | --symbol | --from | --to | --columns | --batch | --sort | --limit | --listen | --token | --max-upload) return ;;
  esac

  local options
  case $command in
    import) options="--account-id --account-name --log-dir --dry-run --format -q --quiet --once --skip-duplicates --layout --broker-account" ;;
    can-import | identify) options="--layout" ;;
    layouts)
      if [[ ${words[cword - 1]} == layouts && $cur != -* ]]; then
        COMPREPLY=($(compgen -W "check" -- "$cur"))
        return
      fi
      options="" ;;
    update-symbols) options="--dry-run --batch" ;;
    show) options="--table --format --account --symbol --from --to --columns --raw --sort --limit" ;;
    runs) options="--account --format" ;;
    expire-options) options="--force" ;;
    web) options="--listen --token --log-dir --max-upload" ;;
    help) COMPREPLY=($(compgen -W "$commands" -- "$cur")); return ;;
    smart-time | undo) options="" ;;
    "")
      if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "--help --version --db" -- "$cur"))
      else
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
      fi
      return ;;
  esac

  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options --help --db" -- "$cur"))
  elif [[ $command == import || $command == can-import || $command == identify || $command == layouts ]]; then
    COMPREPLY=($(compgen -f -- "$cur"))
  fi
}
complete -o filenames -F _vo vo
