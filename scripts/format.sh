#!/usr/bin/env bash
# The C and C++ files of src/ and tests/ in the layout of .clang-format.
#   scripts/format.sh           formats them in place (make format)
#   scripts/format.sh --check   changes nothing; names each file that differs
#                               and fails (the format_check test)
# clang-format 14 is what CI runs (scripts/setup.sh); another version may lay
# out a few constructs differently.
set -euo pipefail
cd "$(dirname "$0")/.."

check=false
case "${1:-}" in
  --check) check=true ;;
  "") ;;
  *) echo "usage: scripts/format.sh [--check]" >&2; exit 2 ;;
esac

formatter=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$formatter" ]; then
  echo "format: clang-format is not installed (scripts/setup.sh installs it)" >&2
  exit 1
fi

# Tracked C and C++ sources only: resource scripts (*.rc), form descriptions
# and Python are never selected.  Third-party and generated code is not ours
# to lay out; none lies under src/ or tests/ today (generated files go to the
# build folder), and these patterns keep it out should any arrive.
patterns=('src/*.c' 'src/*.cpp' 'src/*.h' 'tests/*.c' 'tests/*.cpp' 'tests/*.h')
excluded=(':(exclude,glob)**/third_party/**' ':(exclude,glob)**/generated/**')
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- "${patterns[@]}" "${excluded[@]}")
else
  mapfile -t files < <(find src tests -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) \
    -not -path '*/third_party/*' -not -path '*/generated/*' | sort)
fi

if [ "${#files[@]}" -eq 0 ]; then
  echo "format: no C or C++ file found under src/ or tests/" >&2
  exit 1
fi

if ! $check; then
  "$formatter" -i "${files[@]}"
  exit 0
fi

report=$("$formatter" --dry-run -Werror "${files[@]}" 2>&1) && exit 0
differing=$(printf '%s\n' "$report" | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*clang-format-violations.*/\1/p' |
  sort | uniq -c | awk '{ printf "  %s (%d place%s)\n", $2, $1, $1 == 1 ? "" : "s" }')
if [ -z "$differing" ]; then
  printf '%s\n' "$report" >&2   # clang-format failed for another reason
  exit 1
fi
echo "format: these files differ from .clang-format ($("$formatter" --version | sed 's/.*version //')):"
printf '%s\n' "$differing"
echo "format: run make format"
exit 1
