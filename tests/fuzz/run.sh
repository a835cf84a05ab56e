#!/usr/bin/env bash
# Fuzzes the lexer and the file root (lexer_fuzz), then a whole compile of a
# one-file project (compile_fuzz).
#
#   tests/fuzz/run.sh [seconds]      (default 60, for each target)
#
# Configures its own clang build folder (build-fuzz) with AddressSanitizer
# and UndefinedBehaviorSanitizer and builds the libFuzzer targets. The lexer
# target replays every regression input (tests/fuzz/regressions and
# tests/fuzz/regressions-compile) and a set of large generated inputs (deep
# nesting, a 5 MB file, high bytes everywhere), then fuzzes for the given time
# starting from tests/fuzz/seeds. The compile target replays both regression
# folders, its seeds and the generated inputs, then fuzzes from
# tests/fuzz/seeds-compile. A crash
# leaves its input in build-fuzz/fuzz-artifacts (lexer) or
# build-fuzz/compile-artifacts (compile); minimise it with -minimize_crash=1
# and copy it into the target's regressions folder.
set -euo pipefail

seconds="${1:-60}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$root/build-fuzz"

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
  -DRUVO_FUZZ=ON -DRUVO_BUILD_TESTS=OFF -DRUVO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target lexer_fuzz compile_fuzz

fuzzer="$build/fuzz/lexer_fuzz"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="detect_leaks=1"

# Large inputs, made here rather than kept in the repository.
generated="$build/fuzz-generated"
rm -rf "$generated"
mkdir -p "$generated"
repeat() {  # repeat TEXT COUNT
  local out="" i
  for ((i = 0; i < $2; i++)); do out+="$1"; done
  printf '%s' "$out"
}
repeat '(' 20000 >"$generated/parens-open"
{ repeat '(' 20000; repeat ')' 20000; } >"$generated/parens-closed"
repeat '{' 20000 >"$generated/braces-open"
repeat '[' 20000 >"$generated/brackets-open"
repeat 'v:XML = <a b={' 400 >"$generated/xml-expressions"
repeat 'Vector.<' 20000 >"$generated/vector-open"
repeat ',<a>' 20000 >"$generated/xml-never-closed"
repeat 'a ||= ' 20000 >"$generated/logical-assign-chain"
LC_ALL=C tr '\000-\177' '\200-\377' <"$here/seeds/class.as" >"$generated/high-bytes"
cp "$here/seeds/class.as" "$generated/big-5mb"
while [ "$(wc -c <"$generated/big-5mb")" -lt 5242880 ]; do
  cat "$generated/big-5mb" "$generated/big-5mb" >"$generated/big-next"
  mv "$generated/big-next" "$generated/big-5mb"
done
head -c 5242880 "$generated/big-5mb" >"$generated/big-next" && mv "$generated/big-next" "$generated/big-5mb"

# Long chains inside a method, for the passes after the lexer.
method() {  # method NAME TEXT COUNT END
  { printf 'package{public class A{function f():*{'; repeat "$2" "$3"; printf '%s}}}' "$4"; } >"$generated/$1"
}
method chain-is 'a is ' 20000 'B;'
method chain-instanceof 'a instanceof ' 20000 'B;'
method chain-as 'a as ' 20000 'B;'
method chain-ternary 'x=a?b:' 20000 'c;'
method chain-dots 'x=a.' 20000 'b;'
method chain-else-if 'if(a){}else ' 20000 '{}'
method closures-nested 'return function(){' 240 "$(repeat '}' 240)"
method locals 'var v:int = 1;' 100000 ''
method local-closures 'var f:Function = function(x:int):int { return x; };' 20000 ''

echo "== replaying regression inputs"
"$fuzzer" -rss_limit_mb=4096 -timeout=60 "$here"/regressions/* "$here"/regressions-compile/* "$here"/seeds/*
echo "== replaying generated inputs"
"$fuzzer" -rss_limit_mb=4096 -timeout=120 "$generated"/*

echo "== fuzzing for ${seconds}s"
corpus="$build/fuzz-corpus"
artifacts="$build/fuzz-artifacts"
mkdir -p "$corpus" "$artifacts"
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -dict="$here/lexer.dict" -artifact_prefix="$artifacts/" -print_final_stats=1 \
  "$corpus" "$here/seeds"

# The compile target: leak detection is off for it (see compile_fuzz.cpp).
# The tokens a compile leaves behind (some 200 KB an input) add up over a
# run of a few thousand inputs, hence the larger memory limit.
compiler="$build/fuzz/compile_fuzz"
export ASAN_OPTIONS="detect_leaks=0"
echo "== compile: replaying regression inputs and seeds"
"$compiler" -detect_leaks=0 -rss_limit_mb=4096 -timeout=60 "$here"/regressions-compile/* "$here"/regressions/* \
  "$here"/seeds-compile/*
echo "== compile: replaying generated inputs"
"$compiler" -detect_leaks=0 -rss_limit_mb=4096 -timeout=300 "$generated"/*

echo "== compile: fuzzing for ${seconds}s"
corpus="$build/compile-corpus"
artifacts="$build/compile-artifacts"
mkdir -p "$corpus" "$artifacts"
"$compiler" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=16384 -detect_leaks=0 \
  -dict="$here/lexer.dict" -artifact_prefix="$artifacts/" -print_final_stats=1 \
  "$corpus" "$here/seeds-compile"
