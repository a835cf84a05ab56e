# The browser start and the post-build command under Wine. Registry
# fixtures name copies of a recorder program (a stand-in chrome.exe that
# writes down its command line); a compile must start the one the search
# finds first, with the start page as one argument.
. "$(dirname "$0")/lib.sh"
new_prefix
install_program "$SUITE_DIR/install"
exe="$SUITE_DIR/install/RuvoJS.exe"

# Three places a Chrome can be registered, each with blanks in its path.
CHROME_HTML='C:\Program Files\Fake Chrome\Application\chrome.exe'
USER_CHROME='C:\User Chrome\Application'
MACHINE_CHROME='C:\Machine Chrome\Application'
unix_of() { printf '%s' "$WINEPREFIX/drive_c/$(printf '%s' "${1#C:\\}" | sed 's|\\|/|g')"; }
for place in "$CHROME_HTML" "$USER_CHROME\\chrome.exe" "$MACHINE_CHROME\\chrome.exe"; do
  mkdir -p "$(dirname "$(unix_of "$place")")"
  cp "$RECORDER" "$(unix_of "$place")"
done
record_of() { printf '%s.args.txt' "$(unix_of "$1")"; }
forget_records() { rm -f "$(record_of "$CHROME_HTML")" "$(record_of "$USER_CHROME\\chrome.exe")" "$(record_of "$MACHINE_CHROME\\chrome.exe")"; }
wait_record() { poll "${2:-15}" grep -l '^end$' "$1" 2> /dev/null; }
reg_text() { printf '%s' "$1" | sed 's|\\|\\\\|g; s|"|\\"|g'; }

# registry KEYS...: replaces the Chrome entries by the named ones
# (html=COMMAND, user=FOLDER, machine=FOLDER).
registry() {
  {
    printf 'REGEDIT4\n\n'
    printf '[-HKEY_CLASSES_ROOT\\ChromeHTML]\n\n'
    printf '[-HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome]\n\n'
    printf '[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome]\n\n'
    for entry in "$@"; do
      case $entry in
        html=*) printf '[HKEY_CLASSES_ROOT\\ChromeHTML\\shell\\open\\command]\n@="%s"\n\n' "$(reg_text "${entry#html=}")" ;;
        user=*) printf '[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome]\n"InstallLocation"="%s"\n\n' "$(reg_text "${entry#user=}")" ;;
        machine=*) printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome]\n"InstallLocation"="%s"\n\n' "$(reg_text "${entry#machine=}")" ;;
      esac
    done
  } > "$SUITE_DIR/chrome.reg"
  reg_import "$SUITE_DIR/chrome.reg"
  forget_records
}

# compile NAME [OPTIONS]: compiles a fresh copy of the hello fixture in a
# folder with a blank in its name; PAGE is its start page as the compiler
# names it.
compile() {
  rm -rf "$SUITE_DIR/my game"
  cp -r "$SOURCE_DIR/tests/fixtures/compile-hello" "$SUITE_DIR/my game"
  PAGE="Z:$SUITE_DIR/my game/bin/h5/index.html"
  run_exe "$1" "$exe" "$(winpath "$SUITE_DIR/my game/hello.as3proj")${2:-}"
}

FOUND_HTML=$(printf '\xd5\xd2\xb5\xbdchrome\xc1\xcb\xa3\xac\xc2\xb7\xbe\xb6:')
NOT_THERE=$(printf 'chrome\xb2\xbb\xb4\xe6\xd4\xda\xa3\xac\xbc\xcc\xd0\xf8\xd5\xd2')
FOUND_UNINSTALL=$(printf '\xd5\xd2\xb5\xbd chrome\xa3\xba')

# 1. The ChromeHTML command: its quoted program gets the switches and the
# page as one argument.
registry "html=\"$CHROME_HTML\" --single-argument %1"
compile html
record=$(record_of "$CHROME_HTML")
check "html: the compile exits 0" [ "$RC" = 0 ]
check "html: Chrome is started" [ -n "$(wait_record "$record")" ]
check "html: the first switch" grep -qxF 'arg1=--allow-file-access-from-files' "$record"
check "html: the second switch" grep -qxF 'arg2=--disable-web-security' "$record"
check "html: the start page with its blank is one argument" grep -qxF "arg3=$PAGE" "$record"
check "html: nothing more" bash -c "! grep -q '^arg4=' '$record'"
check "html: the command line ends with the switches and the quoted page" \
  grep -qF -- "--allow-file-access-from-files --disable-web-security \"$PAGE\"" "$record"
check "html: the search reports the path it found" grep -aqF "$FOUND_HTML$CHROME_HTML" "$SUITE_DIR/html.out"

# 2. The search order: a ChromeHTML program that is not there is passed
# over for the per-user entry, which comes before the machine's.
registry 'html="C:\Gone\chrome.exe" %1' "user=$USER_CHROME" "machine=$MACHINE_CHROME"
compile order
check "order: the per-user Chrome is started" [ -n "$(wait_record "$(record_of "$USER_CHROME\\chrome.exe")")" ]
check "order: the machine's Chrome is not" [ ! -e "$(record_of "$MACHINE_CHROME\\chrome.exe")" ]
check "order: the missing ChromeHTML program is reported" grep -aqF "$NOT_THERE" "$SUITE_DIR/order.out"
check "order: the per-user find is reported" grep -aqF "$FOUND_UNINSTALL$USER_CHROME\\chrome.exe" "$SUITE_DIR/order.out"

registry "html=\"$CHROME_HTML\"" "user=$USER_CHROME"
compile first
check "first: ChromeHTML comes before the uninstall entries" [ -n "$(wait_record "$(record_of "$CHROME_HTML")")" ]
check "first: the per-user Chrome is not started" [ ! -e "$(record_of "$USER_CHROME\\chrome.exe")" ]

registry "machine=$MACHINE_CHROME"
compile machine
check "machine: the machine-wide entry is the last place searched" \
  [ -n "$(wait_record "$(record_of "$MACHINE_CHROME\\chrome.exe")")" ]

# A stored value without its terminator is read to its end, no further.
hex_of() { printf '%s' "$1" | od -An -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//; s/ /,/g'; }
{
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome]\n'
  printf '"InstallLocation"=hex(1):%s\n\n' "$(hex_of "$MACHINE_CHROME")"
} > "$SUITE_DIR/unterminated.reg"
registry
reg_import "$SUITE_DIR/unterminated.reg"
compile unterminated
check "unterminated: a value stored without its terminator still names the machine's Chrome" \
  [ -n "$(wait_record "$(record_of "$MACHINE_CHROME\\chrome.exe")")" ]

# 3. No Chrome: nothing is started and the compile ends as usual.
registry
compile none
sleep 2
check "none: the compile exits 0" [ "$RC" = 0 ]
check "none: the compile ends its run" grep -q '^MSG,14,' "$SUITE_DIR/none.out"
check "none: no program is started" bash -c "! ls '$WINEPREFIX/drive_c'/*/Application/*.args.txt '$WINEPREFIX/drive_c/Program Files/Fake Chrome/Application/'*.args.txt > /dev/null 2>&1"

# 4. ";chromerun=false" and a compile with errors open nothing.
registry "html=\"$CHROME_HTML\""
compile off ";chromerun=false"
sleep 2
check "chromerun=false: Chrome is not started" [ ! -e "$(record_of "$CHROME_HTML")" ]
rm -rf "$SUITE_DIR/errors"
cp -r "$SOURCE_DIR/tests/fixtures/compile-cycle" "$SUITE_DIR/errors"
start_exe errors "$exe" "$(winpath "$SUITE_DIR/errors/cycle.as3proj")"
box=$(wait_window '^Ruvo Compiler err!$' 40)
[ -n "$box" ] && answer_box "$box"
wait_exe
sleep 2
check "errors: the error box came and Chrome is not started" [ -n "$box" -a ! -e "$(record_of "$CHROME_HTML")" ]

# 5. A page with quotes reaches Chrome unchanged (the host call of the test
# build).
run_exe quoted "$SUITE_DIR/install/RuvoJS-test.exe" 'ruvo-test:chrome:Z:\a b\say "hi"\index.html'
record=$(record_of "$CHROME_HTML")
check "quoted page: Chrome is started" [ -n "$(wait_record "$record")" ]
check "quoted page: the page is one argument, quotes kept" grep -qxF 'arg3=Z:\a b\say "hi"\index.html' "$record"

# 6. The post-build command: a program in a folder with blanks, started in
# its own folder; a quoted program with parameters gets them as given.
registry
mkdir -p "$SUITE_DIR/tools dir"
cp "$RECORDER" "$SUITE_DIR/tools dir/post build.exe"
post="$SUITE_DIR/tools dir/post build.exe.args.txt"
compile post ";PostBuildCommand=$(winpath "$SUITE_DIR/tools dir/post build.exe")"
check "post-build: the compile exits 0" [ "$RC" = 0 ]
check "post-build: the command is started" [ -n "$(wait_record "$post")" ]
check "post-build: with no parameters" bash -c "! grep -q '^arg1=' '$post'"
check "post-build: in the command's folder" grep -qixF "cwd=$(winpath "$SUITE_DIR/tools dir")" "$post"
check "post-build: the start is reported" grep -aqF "Post build command:$(winpath "$SUITE_DIR/tools dir/post build.exe")" "$SUITE_DIR/post.out"
rm -f "$post"
compile postargs ";PostBuildCommand=\"$(winpath "$SUITE_DIR/tools dir/post build.exe")\" --flag \"two words\""
check "post-build with parameters: the quoted program is started" [ -n "$(wait_record "$post")" ]
check "post-build with parameters: the first parameter" grep -qxF 'arg1=--flag' "$post"
check "post-build with parameters: a quoted parameter stays one" grep -qxF 'arg2=two words' "$post"

finish_suite
