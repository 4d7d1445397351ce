#!/usr/bin/env bash
# The bash completion of quorvane-cli: completion.sh PROGRAM COMPLETION_FILE. Checks what it
# offers for option names, --tests lists, --set fields, --drive letters (those that PROGRAM
# --list-drives names now) and run ids (those of PROGRAM --history), and that a misspelled option
# is refused with status 2.
set -uo pipefail
program="$1"
source "$2" || exit 1
failures=0

# expect WANTED WORD...: completing the last WORD offers exactly WANTED (words joined by spaces).
expect() {
  local wanted="$1"
  shift
  COMP_WORDS=("$program" "$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _quorvane_cli "$program" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
  local got="${COMPREPLY[*]}"
  if [ "$got" != "$wanted" ]; then
    echo "completing '$*': wanted '$wanted', got '$got'"
    failures=$((failures + 1))
  fi
}

expect "--no-realtime" --no-r
expect "--list-drives --long --load --load-run" --l
expect "--html" --ht
expect "queens" --tests q
expect "dhrystone,whetstone" -t dhrystone,wh
expect "memory" --tests = me
expect "cpu= cache-size= cache-type= cpus=" --set c
expect "" --threads ""
drives="$("$program" --list-drives | cut -c1 | tr '\n' ' ')"
expect "${drives% }" --drive ""
first="${drives:0:1}"
expect "$first" -d "${first,,}"

# The ids of the runs in the history, after the options that take one.
history="$(mktemp -d)"
trap 'rm -rf "$history"' EXIT
export QUORVANE_HISTORY="$history/runs.sqlite3"
expect "" --load-run ""
for run in 1 2; do "$program" -q --quick -t queens -j 1 --no-realtime >/dev/null; done
expect "2 1" --delete-run ""
expect "1" --compare-run 1

err="$("$program" --tset queens 2>&1 >/dev/null)"
status=$?
if [ "$status" -ne 2 ] || [[ "$err" != *--tset* ]]; then
  echo "a misspelled option: wanted status 2 and a message naming it, got $status: $err"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] && echo "completion: all checks passed"
[ "$failures" -eq 0 ]
