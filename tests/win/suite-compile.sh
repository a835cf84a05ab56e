# Compiles under Wine: a clean compile behind the progress window, the same
# scripts as the console program set to the Windows texts, the splash drawn
# from its two images, ";windowshow=false", the error box, and a window
# closed during a compile.
. "$(dirname "$0")/lib.sh"
new_prefix

fixture() {
  rm -rf "$SUITE_DIR/$2"
  cp -r "$SOURCE_DIR/tests/fixtures/$1" "$SUITE_DIR/$2"
}

# The output script of the Windows program against the console program with
# the Windows texts (its paths have no drive letter).
same_as_windows_forms() {
  local project=$1 script=$2
  rm -rf "$SUITE_DIR/forms-copy"
  cp -r "$SUITE_DIR/$project.pristine" "$SUITE_DIR/forms-copy"
  (cd "$SUITE_DIR" && "$FORMS_BIN" "$SUITE_DIR/forms-copy/$3" > forms.out 2> forms.err)
  sed "s|$SUITE_DIR/forms-copy|Z:$SUITE_DIR/$project|g" "$SUITE_DIR/forms-copy/bin/h5/$script" > "$SUITE_DIR/forms.expected"
  cmp -s "$SUITE_DIR/forms.expected" "$SUITE_DIR/$project/bin/h5/$script"
}

# 1. A clean compile: exit 0, the whole run reported, the scripts written.
fixture compile-hello hello
cp -r "$SUITE_DIR/hello" "$SUITE_DIR/hello.pristine"
install_program "$SUITE_DIR/install"
run_exe clean "$SUITE_DIR/install/RuvoJS.exe" "$(winpath "$SUITE_DIR/hello/hello.as3proj")"
check "clean compile exits 0" [ "$RC" = 0 ]
check "clean compile sends the end message" grep -q '^MSG,14,' "$SUITE_DIR/clean.out"
check "clean compile prints no progress lines (they go to the window)" \
  bash -c "! grep -q '% Ruvo:' '$SUITE_DIR/clean.out'"
check "clean compile writes the page and the start page" \
  test -s "$SUITE_DIR/hello/bin/h5/hello.max.html" -a -s "$SUITE_DIR/hello/bin/h5/index.html"
check "clean compile writes debug.txt beside the program" test -s "$SUITE_DIR/install/debug.txt"
check "the script equals the console program's with the Windows texts" same_as_windows_forms hello hello.max.js hello.as3proj
check "the Windows script has no file lines" bash -c "! grep -q '//file:///' '$SUITE_DIR/hello/bin/h5/hello.max.js'"
check "no fault in the clean compile" no_wine_crash clean

# A run that does not compile (an unknown "type=" command) returns, and the
# window closes so that the program ends with 0.
run_exe unknown "$SUITE_DIR/install/RuvoJS.exe" "type=build:x"
check "a command that does not compile ends the program with 0" [ "$RC" = 0 ]
check "the command is reported and nothing compiled" \
  bash -c "grep -q '^MSG,1,0.00,,0,command type=build:x' '$SUITE_DIR/unknown.out' && ! grep -q '^MSG,14,' '$SUITE_DIR/unknown.out'"

# 2. The splash during a real compile: a warning box holds the compile at
# its end; the box is moved aside and the window shows the last percentage.
fixture compile-undefined warn
start_exe warn "$SUITE_DIR/install/RuvoJS.exe" "$(winpath "$SUITE_DIR/warn/undefined.as3proj")"
box=$(wait_window '^Ruvo Compiler$' 40)
check "a compile with warnings shows the warning box" [ -n "$box" ]
at=$(splash_position)
check "the splash window takes the background's size (390 x 226)" [ -n "$at" ]
if [ -n "$box" ] && [ -n "$at" ]; then
  xdotool windowmove "$box" 0 0 > /dev/null 2>&1
  set -- $at
  x=$(($1 + 1)) y=$(($2 + 1))
  # The window repaints on its own timer; on a loaded machine the last
  # progress can reach the screen some seconds after the box: look again
  # for up to ten seconds.
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    sleep 1
    import -window root "$SUITE_DIR/warn.png"
    at_least "$(pixel_share "$SUITE_DIR/warn.png" $((x + 185)) $((y + 150)) 20 10 "$IS_BLUE")" 90 && break
  done
  check "the hexagon is filled at the bottom" at_least "$(pixel_share "$SUITE_DIR/warn.png" $((x + 185)) $((y + 150)) 20 10 "$IS_BLUE")" 90
  check "the hexagon is empty at the top" at_least "$(pixel_share "$SUITE_DIR/warn.png" $((x + 185)) $((y + 60)) 20 10 "$IS_DARK")" 90
  check "the percentage is drawn in white" at_least "$(pixel_share "$SUITE_DIR/warn.png" $((x + 165)) $((y + 95)) 60 45 "$IS_WHITE")" 5
  check "the message is drawn in white" at_least "$(pixel_share "$SUITE_DIR/warn.png" $((x + 20)) $((y + 190)) 200 14 "$IS_WHITE")" 3
fi
[ -n "$box" ] && answer_box "$box"
wait_exe
check "the warning compile exits 0 once the box is answered" [ "$RC" = 0 ]
check "the warning compile writes its script" test -s "$SUITE_DIR/warn/bin/h5/undefined.max.js"

# The painter's geometry exactly, through the test build: 56 % shows "57"
# and fills the lower int(129 * 57 / 100) = 73 rows of the hexagon, from
# y = 48 + 129 - 73 = 104 on; a one-digit percentage stands at x 175.
splash_shot() {
  start_exe "$1" "$SUITE_DIR/install/RuvoJS-test.exe" "ruvo-test:splash:$2"
  at=$(wait_splash 20)
  sleep 1
  import -window root "$SUITE_DIR/$1.png"
  xdotool key Escape > /dev/null 2>&1
  wait_exe
  set -- $at
  x=$((${1:-0} + 1)) y=$((${2:-0} + 1))
}
splash_shot splash57 '56:compile file:///Z:/game/Main.as'
check "splash: the row below the fill line is filled" at_least "$(pixel_share "$SUITE_DIR/splash57.png" $((x + 141)) $((y + 105)) 6 3 "$IS_BLUE")" 100
check "splash: the row above the fill line is empty" at_least "$(pixel_share "$SUITE_DIR/splash57.png" $((x + 141)) $((y + 100)) 6 3 "$IS_DARK")" 100
# (the text's own left padding puts the ink some 8 pixels right of its box)
check "splash: two digits start at x 165" at_least "$(pixel_share "$SUITE_DIR/splash57.png" $((x + 172)) $((y + 95)) 8 45 "$IS_WHITE")" 10
check "splash: the window closes with Escape and the program ends with 0" [ "$RC" = 0 ]
splash_shot splash4 '3:'
check "splash: one digit leaves the two-digit place empty" [ "$(pixel_share "$SUITE_DIR/splash4.png" $((x + 165)) $((y + 95)) 15 45 "$IS_WHITE")" = 0 ]
check "splash: one digit stands at x 175" at_least "$(pixel_share "$SUITE_DIR/splash4.png" $((x + 182)) $((y + 95)) 18 45 "$IS_WHITE")" 5
check "splash: at 4 % the hexagon's middle is empty" at_least "$(pixel_share "$SUITE_DIR/splash4.png" $((x + 141)) $((y + 120)) 6 3 "$IS_DARK")" 100

# 3. ";windowshow=false": the box comes, the window never shows, the
# compile runs.
fixture compile-undefined hidden
start_exe hidden "$SUITE_DIR/install/RuvoJS.exe" "$(winpath "$SUITE_DIR/hidden/undefined.as3proj");windowshow=false"
box=$(wait_window '^Ruvo Compiler$' 40)
check "windowshow=false still shows the box" [ -n "$box" ]
check "windowshow=false shows no splash window" [ -z "$(splash_position)" ]
[ -n "$box" ] && answer_box "$box"
wait_exe
check "windowshow=false exits 0" [ "$RC" = 0 ]
check "windowshow=false writes the script" test -s "$SUITE_DIR/hidden/bin/h5/undefined.max.js"

# 4. Source errors: the error box, answered with Return, then exit 0. The
# test build writes the box's caption and text to stderr, which must be the
# console program's with the Windows texts.
fixture compile-cycle errors
cp -r "$SUITE_DIR/errors" "$SUITE_DIR/errors.pristine"
start_exe errors "$SUITE_DIR/install/RuvoJS-test.exe" "$(winpath "$SUITE_DIR/errors/cycle.as3proj")"
box=$(wait_window '^Ruvo Compiler err!$' 40)
check "source errors show the error box" [ -n "$box" ]
[ -n "$box" ] && answer_box "$box"
wait_exe
check "a compile with errors exits 0" [ "$RC" = 0 ]
check "the error messages reach stdout" grep -q '^MSG,7,' "$SUITE_DIR/errors.out"
rm -rf "$SUITE_DIR/forms-copy"
cp -r "$SUITE_DIR/errors.pristine" "$SUITE_DIR/forms-copy"
(cd "$SUITE_DIR" && "$FORMS_BIN" "$SUITE_DIR/forms-copy/cycle.as3proj" > forms.out 2> forms.err)
sed -n '/^box /,/^sleep /p' "$SUITE_DIR/forms.err" | sed '$d' | sed "s|$SUITE_DIR/forms-copy|Z:$SUITE_DIR/errors|g" \
  > "$SUITE_DIR/box.expected"
tr -d '\r' < "$SUITE_DIR/errors.err" | sed -n '/^box /,$p' > "$SUITE_DIR/box.shown"
check "the error box has the caption and text of the error summary" \
  grep -q '^box Ruvo Compiler err!|Ruvo Compiler As3 to JavaScript err,count:2$' "$SUITE_DIR/box.shown"
check "the error box text is the console program's with the Windows texts" \
  cmp -s <(tr -d '\r' < "$SUITE_DIR/box.expected") "$SUITE_DIR/box.shown"

# 5. The window closed during a long compile: the compile goes on without
# it and ends the process itself.
big_project "$SUITE_DIR/big" 3000 24
start_exe closed "$SUITE_DIR/install/RuvoJS.exe" "$(winpath "$SUITE_DIR/big/big.as3proj")"
at=$(wait_splash 30)
check "the long compile shows its window" [ -n "$at" ]
xdotool key Escape > /dev/null 2>&1
gone=""
for _ in $(seq 1 50); do
  if [ -z "$(splash_position)" ]; then
    kill -0 "$PID" 2> /dev/null && gone=while-running
    break
  fi
  sleep 0.1
done
check "Escape closes the window while the compile runs" [ "$gone" = while-running ]
wait_exe
check "the compile without its window exits 0" [ "$RC" = 0 ]
check "the compile without its window ends its run" grep -q '^MSG,14,' "$SUITE_DIR/closed.out"
check "the compile without its window writes the script" grep -q Unit3000 "$SUITE_DIR/big/bin/h5/big.max.js"
check "no fault when the compile ends after its window" no_wine_crash closed

finish_suite
