# The crash filter under Wine, through the test build's triggers: a fault
# and an uncaught C++ exception on the compile thread each write
# "<program path>error.dmp" (a minidump, "MDMP") and end with the fatal
# message box. Also the bounded copy of the arguments.
. "$(dirname "$0")/lib.sh"
new_prefix
install_program "$SUITE_DIR/install"
exe="$SUITE_DIR/install/RuvoJS-test.exe"
dump="$exe"error.dmp

for trigger in segv throw; do
  # An older dump is replaced.
  printf 'an older dump' > "$dump"
  start_exe "$trigger" "$exe" "ruvo-test:$trigger"
  # Writing the dump takes several seconds under Wine; the fatal box
  # ("Error") comes after it.
  box=$(wait_window '^Error$' 60)
  check "$trigger: the fatal message box is shown" [ -n "$box" ]
  check "$trigger: the dump is written beside the program as RuvoJS-test.exeerror.dmp" \
    [ "$(head -c 4 "$dump" 2> /dev/null)" = MDMP ]
  check "$trigger: the dump holds more than its header" [ "$(stat -c %s "$dump")" -gt 4096 ]
  [ -n "$box" ] && answer_box "$box"
  wait_exe
  check "$trigger: the process ends once the message is answered" [ "$RC" != 124 ]
  check "$trigger: Wine's own crash handler is not reached" no_wine_crash "$trigger"
done

# At most 20 slots: more arguments are dropped with a message.
set --
for i in $(seq 1 24); do set -- "$@" "a$i"; done
run_exe args "$exe" "ruvo-test:args" "$@"
check "the arguments beyond 20 slots are dropped" grep -q '^argc 20' "$SUITE_DIR/args.out"
check "the first 19 arguments after the program arrive in order" \
  bash -c "tr -d '\r' < '$SUITE_DIR/args.out' | sed -n '2p;20p' | tr '\n' ' ' | grep -qx 'ruvo-test:args a18 '"
check "dropping arguments is reported" grep -q 'only the first 19 are used' "$SUITE_DIR/args.err"
check "the argument run exits 0" [ "$RC" = 0 ]

finish_suite
