#!/bin/sh
# Cross-builds the shared code with its unit and end-to-end tests for Windows
# (MinGW-w64) and runs them with ctest under Wine, in a fresh Wine prefix.
#   tests/support/wine-ctest.sh [build folder]     (default: build-win)
# Every wine call runs under timeout and writes to files, not pipes (services
# Wine starts would keep a pipe open). The ctest log is printed at the end.
set -u
for tool in x86_64-w64-mingw32-g++-posix wine wineboot wineserver timeout; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIPPED: the tests under Wine need $tool"; exit 77; }
done
src=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$src/build-win}
mkdir -p "$build"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j3 >"$build/build.log" 2>&1 || { tail -50 "$build/build.log"; exit 1; }

prefix=$(mktemp -d)
export WINEPREFIX="$prefix/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
timeout 120 wineboot -i >"$build/wineboot.log" 2>&1
timeout 60 wineserver -w
timeout 1200 ctest --test-dir "$build" --output-on-failure >"$build/ctest.log" 2>&1
rc=$?
timeout 30 wineserver -k >/dev/null 2>&1
rm -rf "$prefix"
cat "$build/ctest.log"
exit $rc
