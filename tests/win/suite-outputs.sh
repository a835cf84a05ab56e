# Real projects through RuvoJS.exe under Wine, every output against the
# console program set to the Windows texts (ruvojs_windows_forms): every
# file the compile writes, standard output byte for byte (line ends
# included) and debug.txt. The projects are the fixture projects, the
# example and the code bases of ../shared/corpora, with the emulation
# library off and on, with TypeScript files; then what studios' machines
# have: folders with blanks and a Chinese name (code page 936), a project
# named in another case than the disk, a deep folder, two compiles at once.
#
# The console program compiles its copy in ".../ZZp" and uses the install
# folder ".../ZZinstall", the Windows program ".../p" and ".../install":
# "Z:" makes the Windows paths as long, so that the scripts' sizes in the
# messages agree too.
. "$(dirname "$0")/lib.sh"
new_prefix

install="$SUITE_DIR/install"
forms="$SUITE_DIR/ZZinstall"
install_program "$install"
mkdir -p "$forms/bin"
cp "$FORMS_BIN" "$forms/bin/"
forms_exe="$forms/bin/$(basename "$FORMS_BIN")"
# A one-class stand-in for the emulation library, so that a compile with the
# library on has one to compile.
for root in "$install" "$forms"; do
  mkdir -p "$root/libs/zafrit/src/zafrit" "$root/libs/kresp/src" "$root/libs/ruvomini/src"
  printf 'package zafrit {\n\tpublic class Stand {\n\t}\n}\n' > "$root/libs/zafrit/src/zafrit/Stand.as"
done

# Runs the Windows program and answers its warning and error boxes until it
# ends; sets RC.
run_answering() {
  start_exe "$@"
  while kill -0 "$PID" 2> /dev/null; do
    for box in $(xdotool search --onlyvisible --name '^Ruvo Compiler' 2> /dev/null); do answer_box "$box"; done
    sleep 0.3
  done
  wait_exe
}

# A file of the console program with its folders named as the Windows
# program names them.
as_windows() { LC_ALL=C sed "s|$FORMS_DIR|$WIN_TEXT|g; s|$forms/|Z:$install/|g" "$1"; }
# Its messages so, with the backslashes of the command lines as "/".
messages_as_windows() { as_windows "$1" | tr '\\' /; }

# compare NAME SOURCE PROJECT_FILE OPTIONS: compiles a copy of SOURCE with
# each program in turn and compares. FORMS_DIR, WIN_DIR (Unix folders, the
# same one or not) and WIN_TEXT (how the Windows program names WIN_DIR) may
# be set beforehand, WIN_ARG to the project path handed to RuvoJS.exe, and
# ONLY_FILES to compare the written files alone.
compare() {
  local name=$1 source=$2 project=$3 options=$4 case="$SUITE_DIR/cases/$1"
  FORMS_DIR=${FORMS_DIR:-$case/ZZp} WIN_DIR=${WIN_DIR:-$case/p}
  WIN_TEXT=${WIN_TEXT:-Z:$WIN_DIR} WIN_ARG=${WIN_ARG:-$(winpath "$WIN_DIR/$project")}
  local result="$case/out/forms-result"
  rm -rf "$FORMS_DIR" "$WIN_DIR" "$case/out"
  mkdir -p "$case/out" "$FORMS_DIR"
  cp -r "$source/." "$FORMS_DIR/"
  rm -f "$forms/debug.txt" "$install/debug.txt"
  (cd "$SUITE_DIR" && timeout 120 "$forms_exe" "$FORMS_DIR/$project$options" > "$case/out/forms.out" 2> "$case/out/forms.err")
  mv "$FORMS_DIR" "$result"
  mkdir -p "$WIN_DIR"
  cp -r "$source/." "$WIN_DIR/"
  run_answering "cases/$name/out/win" "$install/RuvoJS.exe" "$WIN_ARG$options"
  local differ=""
  (cd "$result" && find bin -type f | sort) > "$case/out/forms.files"
  (cd "$WIN_DIR" && find bin -type f | sort) > "$case/out/win.files"
  cmp -s "$case/out/forms.files" "$case/out/win.files" || differ="$differ the-file-list"
  [ -s "$case/out/forms.files" ] || differ="$differ no-files"
  while read -r file; do
    as_windows "$result/$file" | cmp -s - "$WIN_DIR/$file" || differ="$differ $file"
  done < "$case/out/forms.files"
  if [ -z "${ONLY_FILES:-}" ]; then
    grep -av '% Ruvo:' "$case/out/forms.out" > "$case/out/forms.msg"
    messages_as_windows "$case/out/forms.msg" | cmp -s - <(tr '\\' / < "$case/out/win.out") || differ="$differ stdout"
    messages_as_windows "$forms/debug.txt" | cmp -s - <(tr '\\' / < "$install/debug.txt") || differ="$differ debug.txt"
  fi
  check "$name: the same files${ONLY_FILES:-, standard output and debug.txt} as the console program's Windows forms" \
    [ -z "$differ" -a "$RC" = 0 ]
  [ -n "$differ" ] && echo "  differ:$differ (see $case)"
  unset FORMS_DIR WIN_DIR WIN_TEXT WIN_ARG ONLY_FILES
}

# 1. The fixture projects and the example, library off and on with
# TypeScript files.
for dir in "$SOURCE_DIR"/tests/fixtures/*/ "$SOURCE_DIR/examples/dungeon/"; do
  dir=${dir%/}
  project=$(cd "$dir" && ls -- *.as3proj 2> /dev/null | head -1)
  [ -n "$project" ] || continue
  compare "$(basename "$dir")-off" "$dir" "$project" ";zafrit=false;chromerun=false"
  compare "$(basename "$dir")-on-ts" "$dir" "$project" ";ts=true;chromerun=false"
done

# 2. The code bases, whole (files that need the Flash API included), each
# file in the output: library off with every file kept, and library on.
corpora=${RUVO_CORPORA_DIR:-$SOURCE_DIR/../shared/corpora}
if [ -d "$corpora" ]; then
  for corpus in box2d robotlegs as3crypto ash; do
    [ -d "$corpora/$corpus" ] || continue
    src="$SUITE_DIR/sources/$corpus"
    rm -rf "$src"
    mkdir -p "$src/src"
    cp -r "$corpora/$corpus/." "$src/src/"
    printf 'package {\n\tpublic class CorpusMain {\n\t\tpublic function CorpusMain() {\n\t\t\ttrace("loaded");\n\t\t}\n\t}\n}\n' \
      > "$src/src/CorpusMain.as"
    sed 's|src/Main.as|src/CorpusMain.as|' "$SOURCE_DIR/tests/fixtures/compile-hello/hello.as3proj" > "$src/corpus.as3proj"
    compare "$corpus-off" "$src" corpus.as3proj ";chromerun=false;outalllib=true;zafrit=false"
    compare "$corpus-on-ts" "$src" corpus.as3proj ";ts=true;chromerun=false"
  done
else
  echo "skipped: the code bases (no folder $corpora)"
fi

# 3. Studios' machines. A project folder with blanks.
WIN_DIR="$SUITE_DIR/cases/blanks/my game/p" FORMS_DIR="$SUITE_DIR/cases/blanks/my game/ZZp" \
  compare blanks "$SOURCE_DIR/tests/fixtures/game-tilemap" game.as3proj ";ts=true;chromerun=false"

# The project path in another case than the disk, with backslashes and
# slashes mixed: the module folders of module.def still take their files.
up=$(winpath "$SUITE_DIR/cases/case/p" | tr '[:lower:]' '[:upper:]' | sed 's|\\CASES\\|/cases/|')
ONLY_FILES=" (its messages name the path as given)" WIN_ARG="$up\\modules.as3proj" compare case "$SOURCE_DIR/tests/fixtures/probe-project-modules" modules.as3proj \
  ";zafrit=false;chromerun=false"

# A folder 300 characters deep: sources, scripts and TypeScript files all
# beyond the 260 characters of the Windows ANSI calls.
deep="$SUITE_DIR/cases/deep"
while [ ${#deep} -lt 300 ]; do deep="$deep/a_studio_folder_tree"; done
WIN_DIR="$deep/p" FORMS_DIR="$deep/ZZp" compare deep "$SOURCE_DIR/tests/fixtures/typescript-game" game.as3proj \
  ";zafrit=false;ts=true;chromerun=false"

# A Chinese folder name under a Chinese system locale (code page 936): the
# Windows program sees the name in GBK, two bytes a character where the
# console program reads three of UTF-8, so "Z:" keeps the lengths equal.
locales="$SUITE_DIR/locales"
mkdir -p "$locales"
if localedef -i zh_CN -f UTF-8 "$locales/zh_CN.UTF-8" > /dev/null 2>&1; then
  timeout 30 wineserver -k > /dev/null 2>&1 || true
  export LOCPATH="$locales"
  export LC_ALL=zh_CN.UTF-8 2> /dev/null  # (the shell itself need not know the locale)
  chinese="$SUITE_DIR/cases/chinese/游戏"
  WIN_DIR="$chinese/p" FORMS_DIR="$chinese/p" WIN_TEXT="Z:$(printf '%s' "$chinese" | iconv -f UTF-8 -t GBK)/p" \
    compare chinese "$SOURCE_DIR/tests/fixtures/game-inventory" game.as3proj ";ts=true;chromerun=false"
  unset LOCPATH LC_ALL
  timeout 30 wineserver -k > /dev/null 2>&1 || true
else
  echo "skipped: a Chinese folder name (no zh_CN locale can be made here)"
fi

# 4. A second RuvoJS.exe started while one compiles the same project: both
# end their run, the script is whole, and debug.txt keeps each run's lines
# together.
big="$SUITE_DIR/cases/two/p"
rm -rf "$SUITE_DIR/cases/two"
big_project "$big" 400 12
rm -f "$install/debug.txt"
start_exe first "$install/RuvoJS.exe" "$(winpath "$big/big.as3proj");zafrit=false;chromerun=false"
first=$PID
sleep 0.5
start_exe second "$install/RuvoJS.exe" "$(winpath "$big/big.as3proj");zafrit=false;chromerun=false"
wait_exe
PID=$first
second_rc=$RC
wait_exe
check "two compiles at once both end with 0" [ "$RC" = 0 -a "$second_rc" = 0 ]
check "two compiles at once both end their run" \
  bash -c "grep -q '^MSG,14,' '$SUITE_DIR/first.out' && grep -q '^MSG,14,' '$SUITE_DIR/second.out'"
check "two compiles at once leave no temporary file" bash -c "! ls '$big/bin/h5' | grep -q ruvotmp"
check "two compiles at once keep their debug.txt lines together" \
  bash -c "tr -d '\r' < '$install/debug.txt' | grep -a '^1,0.00,,0,Project command:\|^14,' | tr '\n' ' ' |
    grep -q '^1,0.00,,0,Project command:[^ ]* 14,[^ ]* 1,0.00,,0,Project command:[^ ]* 14,'"
cp "$big/bin/h5/big.max.js" "$SUITE_DIR/cases/two/both.max.js"
run_exe alone "$install/RuvoJS.exe" "$(winpath "$big/big.as3proj");zafrit=false;chromerun=false"
check "two compiles at once leave the script one compile writes" \
  cmp -s "$SUITE_DIR/cases/two/both.max.js" "$big/bin/h5/big.max.js"

# 5. A compile started while another waits at its warning box ends at once:
# its lines go into debug.txt after the other run's compile lines, not when
# the box is answered; the other run's last lines follow.
rm -rf "$SUITE_DIR/cases/box"
mkdir -p "$SUITE_DIR/cases/box"
cp -r "$SOURCE_DIR/tests/fixtures/compile-undefined" "$SUITE_DIR/cases/box/a"
cp -r "$SOURCE_DIR/tests/fixtures/compile-hello" "$SUITE_DIR/cases/box/b"
rm -f "$install/debug.txt"
start_exe waiting "$install/RuvoJS.exe" "$(winpath "$SUITE_DIR/cases/box/a/undefined.as3proj");zafrit=false;chromerun=false"
waiting=$PID
box=$(wait_window '^Ruvo Compiler$' 40)
check "the first compile waits at its warning box" [ -n "$box" ]
started=$SECONDS
run_exe meanwhile "$install/RuvoJS.exe" "$(winpath "$SUITE_DIR/cases/box/b/hello.as3proj");zafrit=false;chromerun=false"
check "a compile started meanwhile ends at once" [ "$RC" = 0 -a $((SECONDS - started)) -lt 30 ]
log_order() { tr -d '\r' < "$install/debug.txt" | grep -a '^1,0.00,,0,Project command:\|^14,' | sed 's|.*\\||' | tr '\n' ' '; }
check "its lines follow the compile lines of the run at the box" \
  [ "$(log_order)" = "undefined.as3proj;zafrit=false;chromerun=false hello.as3proj;zafrit=false;chromerun=false 14,50.00,,0, " ]
# The OK button, at the middle of the box's foot (a key would not reach a
# box that lost the focus to the window of the run meanwhile).
if [ -n "$box" ]; then
  eval "$(xdotool getwindowgeometry --shell "$box")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 25)) click 1 > /dev/null 2>&1
fi
PID=$waiting
wait_exe
check "the run at the box ends once it is answered, its last lines after" \
  [ "$RC" = 0 -a "$(log_order)" = "undefined.as3proj;zafrit=false;chromerun=false hello.as3proj;zafrit=false;chromerun=false 14,50.00,,0, 14,50.00,,0, " ]

finish_suite
