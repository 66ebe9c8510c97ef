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
