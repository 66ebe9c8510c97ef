# What the tool case scripts share (sourced): a count of failures, one run
# of a command with its output kept as it left the program (the tools write
# octets, no CR of their own, on every system), and the verdicts.
failures=0
# capture <command...>: stdout in out.txt, stderr in err.txt, the exit
# status in $status.
capture() {
  status=0
  "$@" > out.txt 2> err.txt || status=$?
}
# verdict <name> <passed: 1 or 0> <what was seen, when it failed>
verdict() {
  if [ "$2" = 1 ]; then
    echo "ok   $1"
  else
    echo "FAIL $1: $3"
    failures=$((failures + 1))
  fi
}
# check_exact <name> <status> <stdout file (empty: none)> <stderr (exact; empty:
# none)> <arguments...>: one run of the tool in ${run[@]}, its output and
# messages exactly as wanted.
check_exact() {
  local name=$1 want=$2 out=$3 err=$4 ok=1
  shift 4
  capture "${run[@]}" "$@"
  [ "$status" = "$want" ] || ok=0
  if [ -n "$out" ]; then cmp -s out.txt "$out" || ok=0; else [ ! -s out.txt ] || ok=0; fi
  if [ -n "$err" ]; then [ "$(cat err.txt)" = "$err" ] || ok=0; else [ ! -s err.txt ] || ok=0; fi
  verdict "$name" $ok "status $status (want $want), stdout: $(head -c 400 out.txt | od -c | head -n 8), stderr: $(head -n 3 err.txt)"
}
# expect <name> <condition...>: a further check of the last run.
expect() {
  local name=$1
  shift
  "$@" || verdict "$name" 0 "not so"
}
# finish: the count, and the script's status.
finish() {
  echo "$failures failed"
  [ "$failures" -eq 0 ]
}
