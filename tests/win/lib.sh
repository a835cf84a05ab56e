# Helpers of the Wine suites (sourced by the suite scripts, which run inside
# xvfb-run). Each suite works in its own fresh WINEPREFIX under $SUITE_DIR.
#
# Rules kept here because Wine breaks them silently otherwise:
# - every wine call runs under `timeout` and writes to files, never to a
#   pipe (services Wine starts inherit the pipe and keep it open);
# - message boxes are answered (`xdotool key Return`), else they wait for ever;
# - paths handed to the program are Z:\ paths.

FAILS=0
fail() { echo "FAIL: $*"; FAILS=$((FAILS + 1)); }
pass() { echo "ok: $*"; }
check() {
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
finish_suite() {
  timeout 30 wineserver -k > /dev/null 2>&1 || true
  if [ "$FAILS" -gt 0 ]; then
    echo "$SUITE: $FAILS check(s) failed"
    exit 1
  fi
  echo "$SUITE: all checks passed"
  exit 0
}

# The Windows form of an absolute Unix path.
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | sed 's|/|\\|g')"; }

# A fresh prefix: no window manager decorations to wait for, and Arial drawn
# with Liberation Sans.
new_prefix() {
  export WINEPREFIX="$SUITE_DIR/prefix"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
  rm -rf "$WINEPREFIX"
  timeout 180 wineboot -i > "$SUITE_DIR/wineboot.log" 2>&1 || true
  timeout 120 wineserver -w > /dev/null 2>&1 || true
  cat > "$SUITE_DIR/prefix.reg" << 'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
EOF
  reg_import "$SUITE_DIR/prefix.reg"
  PROFILE_DIR=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)
}

reg_import() {
  timeout 60 wine reg import "$(winpath "$1")" > "$SUITE_DIR/reg.log" 2>&1 || true
  timeout 60 wineserver -w > /dev/null 2>&1 || true
}

# A fresh copy of the built programs (each run keeps its own debug.txt).
install_program() {
  local dir=$1
  rm -rf "$dir"
  mkdir -p "$dir"
  cp -r "$WIN_BIN/." "$dir/"
}

# Runs a program in the background: start_exe NAME EXE ARGS... sets PID;
# NAME.out and NAME.err under $SUITE_DIR hold its output.
start_exe() {
  local name=$1
  shift
  timeout 90 wine "$@" > "$SUITE_DIR/$name.out" 2> "$SUITE_DIR/$name.err" &
  PID=$!
}
# Waits for the program started last; sets RC.
wait_exe() {
  RC=0
  wait "$PID" || RC=$?
}
run_exe() {
  start_exe "$@"
  wait_exe
}

# The first non-empty output of a command, tried for up to $1 seconds
# (empty when it never came).
poll() {
  local tries=$(($1 * 5)) out
  shift
  while [ "$tries" -gt 0 ]; do
    out=$("$@")
    if [ -n "$out" ]; then
      printf '%s' "$out"
      return
    fi
    sleep 0.2
    tries=$((tries - 1))
  done
}

visible_window() { xdotool search --onlyvisible --name "$1" 2> /dev/null | head -1; }
# The id of the first visible window whose title matches.
wait_window() { poll "${2:-20}" visible_window "$1"; }

# The position "X Y" of the visible 390 x 226 splash window (empty when it
# is not shown).
splash_position() {
  local id geometry
  for id in $(xdotool search --onlyvisible --name '' 2> /dev/null); do
    geometry=$(xdotool getwindowgeometry "$id" 2> /dev/null)
    if printf '%s' "$geometry" | grep -q 'Geometry: 390x226'; then
      printf '%s' "$geometry" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p'
      return
    fi
  done
}
wait_splash() { poll "${1:-20}" splash_position; }

answer_box() {
  xdotool windowfocus "$1" > /dev/null 2>&1 || true
  xdotool key Return > /dev/null 2>&1 || true
}

# The share of pixels of a screenshot region that pass an ImageMagick fx
# test, as a whole percentage: pixel_share FILE X Y W H EXPRESSION.
pixel_share() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -fx "$6" -format '%[fx:int(100*mean)]' info: 2> /dev/null
}
# Blue of the hexagon, white of the texts, dark of the empty hexagon.
IS_BLUE='b>0.6&&r<0.4'
IS_WHITE='r>0.85&&g>0.85&&b>0.85'
IS_DARK='r<0.25&&g<0.25&&b<0.3'
at_least() { [ -n "$1" ] && [ "$1" -ge "$2" ]; }

no_wine_crash() { ! grep -q 'Unhandled' "$SUITE_DIR/$1.err"; }

# A project that takes a while to compile: DIR/big.as3proj with COUNT
# generated classes of METHODS methods each, and a main class that makes
# every one (big_project DIR COUNT METHODS).
big_project() {
  local dir=$1
  mkdir -p "$dir/src/game"
  cp "$SOURCE_DIR/tests/fixtures/compile-hello/hello.as3proj" "$dir/big.as3proj"
  awk -v dir="$dir/src" -v n="$2" -v methods="$3" 'BEGIN {
    for (i = 1; i <= n; i++) {
      f = dir "/game/Unit" i ".as"
      print "package game {\npublic class Unit" i " {\npublic var x:int = " i ";" > f
      for (m = 1; m <= methods; m++)
        print "public function step" m "(a:int, b:Number):Number { var s:Number = 0; for (var k:int = 0; k < a; k++) { if (k % 2 == 0) { s += b * k + x; } else { s -= k; } } return s; }" > f
      print "}\n}" > f
      close(f)
    }
    f = dir "/Main.as"
    print "package {\nimport game.*;\npublic class Main {\npublic function Main() {" > f
    for (i = 1; i <= n; i++) print "new Unit" i "().step1(3, 2);" > f
    print "}\n}\n}" > f
  }'
}
