#!/usr/bin/env bash
# Runs one Wine suite of the Windows program:
#   run.sh SUITE SOURCE_DIR WORK_DIR [WINDOWS_FORMS_BIN]
# Cross-builds RuvoJS.exe (and its test build) into WORK_DIR/build-win once,
# shared by the suites, then runs tests/win/suite-SUITE.sh inside its own
# Xvfb session. Exits 77 (skipped) when MinGW-w64, Wine or the X tools are
# missing.
set -u
SUITE=$1
SOURCE_DIR=$(cd "$2" && pwd)
WORK_DIR=$3
FORMS_BIN=${4:-}
HERE=$(cd "$(dirname "$0")" && pwd)

missing=()
for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-gcc x86_64-w64-mingw32-windres wine wineboot wineserver \
  xvfb-run xdotool convert import cmake ninja flock timeout; do
  command -v "$tool" > /dev/null 2>&1 || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIPPED: the Wine tests of RuvoJS.exe need ${missing[*]}"
  echo "  (apt-get install g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev wine wine64 xvfb xdotool fonts-liberation imagemagick)"
  exit 77
fi
if [ ! -f /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf ]; then
  echo "SKIPPED: the Wine tests of RuvoJS.exe need fonts-liberation (Arial is drawn with Liberation Sans)"
  exit 77
fi

[ -n "$FORMS_BIN" ] && FORMS_BIN=$(cd "$(dirname "$FORMS_BIN")" && pwd)/$(basename "$FORMS_BIN")

mkdir -p "$WORK_DIR"
BUILD="$WORK_DIR/build-win"
(
  flock 9
  cmake -S "$SOURCE_DIR" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$SOURCE_DIR/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DRUVO_BUILD_TESTS=OFF -DRUVO_BUILD_BENCH=OFF > "$WORK_DIR/build-win.log" 2>&1 &&
    cmake --build "$BUILD" -j3 --target RuvoJS RuvoJS-test ruvo_win_libs >> "$WORK_DIR/build-win.log" 2>&1 &&
    x86_64-w64-mingw32-gcc -O2 -mwindows -static -o "$WORK_DIR/recorder.exe" "$HERE/recorder.c" \
      >> "$WORK_DIR/build-win.log" 2>&1
) 9> "$WORK_DIR/build-win.lock"
if [ $? -ne 0 ]; then
  echo "FAIL: the cross build of RuvoJS.exe failed:"
  tail -30 "$WORK_DIR/build-win.log"
  exit 1
fi

export SUITE SOURCE_DIR FORMS_BIN
export WIN_BIN="$BUILD/bin" RECORDER="$WORK_DIR/recorder.exe"
export SUITE_DIR="$WORK_DIR/$SUITE"
rm -rf "$SUITE_DIR"
mkdir -p "$SUITE_DIR"
# A wineserver of an earlier run of this suite, started without this
# display, would spoil the dialogs.
WINEPREFIX="$SUITE_DIR/prefix" timeout 30 wineserver -k > /dev/null 2>&1 || true
case $SUITE in
  compile) display=171 ;;
  crash) display=181 ;;
  browser) display=191 ;;
  outputs) display=211 ;;
  *) display=201 ;;
esac
timeout 480 xvfb-run -a -n "$display" -s "-screen 0 1024x768x24" bash "$HERE/suite-$SUITE.sh" \
  > "$SUITE_DIR/suite.log" 2>&1
rc=$?
cat "$SUITE_DIR/suite.log"
[ $rc -eq 124 ] && echo "FAIL: the $SUITE suite ran out of time"
WINEPREFIX="$SUITE_DIR/prefix" timeout 30 wineserver -k > /dev/null 2>&1 || true
exit $rc
