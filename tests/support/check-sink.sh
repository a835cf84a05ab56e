#!/usr/bin/env bash
# Holds the line of the one message sink: no file of src/ or win/ but
# src/message.cpp writes to standard output or standard error directly
# (printf, puts, putchar, fprintf/vfprintf/fputs/fputc/fwrite to stdout or
# stderr, std::cout, std::cerr, std::clog, write(1, ...) or write(2, ...)).
# Everything else goes through ruvo_print, ruvo_write, ruvo_error, MSGTO and
# __MYPRINTF__ (src/message.h).
#
#   check-sink.sh [SOURCE_DIR]       (default: the repository of this script)
#
# Prints every direct write as "file:line: text" and exits 1 when it finds
# one outside the allow-list, or when a file of the allow-list has none left.
set -u
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root" || exit 2

# Files allowed to write directly (none: every file goes through the sink).
# A file put here must write directly; the check fails once it no longer does.
allowed=(
)

# The sink itself.
exempt=(src/message.cpp)

streams='(stdout|stderr)'
pattern='(^|[^[:alnum:]_])(std::)?(printf|vprintf|puts|putchar)[[:space:]]*\('
pattern+="|(^|[^[:alnum:]_])(std::)?(fprintf|vfprintf)[[:space:]]*\\([[:space:]]*$streams\\b"
pattern+="|(^|[^[:alnum:]_])(std::)?(fputs|fputc|putc|fwrite)[[:space:]]*\\(.*\\b$streams\\b"
pattern+='|(^|[^[:alnum:]_])(std::)?(cout|cerr|clog|wcout|wcerr)\b'
pattern+='|(^|[^[:alnum:]_])(::)?write[[:space:]]*\([[:space:]]*(1|2|STDOUT_FILENO|STDERR_FILENO)[[:space:]]*,'

in_list() {  # in_list NAME LIST...
  local name=$1 entry
  shift
  for entry in "$@"; do [ "$entry" = "$name" ] && return 0; done
  return 1
}

failed=0
declare -A offends=()
while IFS= read -r file; do
  in_list "$file" "${exempt[@]}" && continue
  # Comment lines are no code: a line that starts with // or * is skipped.
  hits=$(LC_ALL=C grep -nE "$pattern" "$file" | LC_ALL=C grep -vE '^[0-9]+:[[:space:]]*(//|\*|/\*)')
  [ -z "$hits" ] && continue
  offends[$file]=1
  if in_list "$file" "${allowed[@]}"; then continue; fi
  failed=1
  while IFS= read -r hit; do echo "$file:$hit"; done <<< "$hits"
done < <(find src win -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) | LC_ALL=C sort)

if [ $failed -ne 0 ]; then
  echo "These lines write to standard output or standard error directly: use ruvo_print, ruvo_write or"
  echo "ruvo_error (src/message.h) instead."
fi
for file in "${allowed[@]}"; do
  if [ -z "${offends[$file]:-}" ]; then
    echo "$file writes through the message sink only now: remove it from the allow-list of $0"
    failed=1
  fi
done
[ $failed -eq 0 ] && echo "Every direct write to standard output or standard error is in src/message.cpp" \
  "or in an allowed file (${#allowed[@]} left)."
exit $failed
