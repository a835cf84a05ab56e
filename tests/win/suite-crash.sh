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

# A fault during a compile names the source file that was current.
rm -rf "$SUITE_DIR/hello"
cp -r "$SOURCE_DIR/tests/fixtures/compile-hello" "$SUITE_DIR/hello"
rm -f "$dump"
start_exe crashcompile "$exe" "ruvo-test:crashcompile:$(winpath "$SUITE_DIR/hello/hello.as3proj")"
box=$(wait_window '^Error$' 60)
check "crashcompile: the fatal message box is shown" [ -n "$box" ]
[ -n "$box" ] && answer_box "$box"
wait_exe
# "... dump file saved at:<dump>\n the fault may lie in: <source file>" (code page 936)
saved_at=$(printf 'dump\xce\xc4\xbc\xfe\xb1\xa3\xb4\xe6\xd4\xda:')
lies_in=$(printf '\xb4\xed\xce\xf3\xbf\xc9\xc4\xdc\xb7\xa2\xc9\xfa\xd4\xda\xa3\xba')
check "crashcompile: the message names the dump" grep -aqF "$saved_at$(winpath "$dump")" "$SUITE_DIR/crashcompile.err"
check "crashcompile: the message names the source file being compiled" \
  grep -aqF "${lies_in}Z:$SUITE_DIR/hello/src/Main.as" "$SUITE_DIR/crashcompile.err"
check "crashcompile: the dump is written" [ "$(head -c 4 "$dump" 2> /dev/null)" = MDMP ]
check "a crash before any source file names none" \
  bash -c "tr -d '\r' < '$SUITE_DIR/segv.err' | grep -aq '$lies_in\$'"

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
