#!/usr/bin/env bash
# clang-tidy (checks of .clang-tidy) over every source file under src/; fails
# on any finding.  `make test` runs it as the CTest test clang_tidy (label lint).
#   TIDY_NATIVE_DB=build/native scripts/tidy.sh [file...]
#
# Two compile databases:
# - the portable files with the native tree's own (TIDY_NATIVE_DB, default
#   build/native; CMake writes compile_commands.json in every tree);
# - every other file under src/ (src/platform/win32, src/forms/win32, src/app:
#   the Windows-only ones) with clang's MinGW target, x86_64-w64-mingw32, and
#   the MinGW libstdc++ headers, in a database this script writes
#   ($TIDY_BUILD_DIR/compile_commands.json).  Only parsing, nothing is run, so
#   it works the same on a host that cannot execute 32-bit code.
#
# How clang reads the Japanese texts: the sources stay UTF-8 with their narrow
# literals as they are, and only the analysis drops -fexec-charset=CP932 (clang
# accepts no execution character set but UTF-8; the last -fexec-charset given
# wins).  clang-tidy then sees those literals as UTF-8 bytes.  Nothing in the
# program depends on the byte length of a literal in a way the analysis could
# see differently: every non-ASCII literal becomes a std::string or is passed
# as const char*, and the few char arrays sized by their literal (hex digits,
# ".exe") are ASCII.  The alternatives were worse: sources in CP932 bytes would
# not even compile as meant (a CP932 trail byte 0x5C reads as a backslash inside a
# literal), and one catalogue of texts converted at build time would move
# every text of the program away from the code that shows it, for no change
# in what the program does.
#
# The build's -Werror is dropped for the analysis too: the compiler's own
# warnings are the build's to report (clang's -Wconversion is not g++'s).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
native_db=${TIDY_NATIVE_DB:-$root/build/native}
out=${TIDY_BUILD_DIR:-$root/build/tidy}
jobs=${JOBS:-2}

tidy=$(command -v clang-tidy || command -v clang-tidy-14 || true)
[ -n "$tidy" ] || { echo "tidy: clang-tidy is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
[ -f "$native_db/compile_commands.json" ] ||
  { echo "tidy: no $native_db/compile_commands.json (make build-native writes it)" >&2; exit 1; }
mingw=$(command -v x86_64-w64-mingw32-g++-win32 || command -v x86_64-w64-mingw32-g++ || true)
[ -n "$mingw" ] || { echo "tidy: x86_64-w64-mingw32-g++ is not installed (scripts/setup.sh installs it)" >&2; exit 1; }

mkdir -p "$out"
# The MinGW libstdc++ headers, as its g++ searches them.
mapfile -t cxx_includes < <("$mingw" -xc++ -E -v - </dev/null 2>&1 | sed -n 's|^ \(/.*/include/c++.*\)$|\1|p')

python3 - "$root" "$native_db/compile_commands.json" "$out" "${cxx_includes[@]}" <<'EOF'
import json, os, pathlib, sys
root, native_db, out, includes = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
src = os.path.join(root, "src") + os.sep
portable = sorted({os.path.realpath(e["file"]) for e in json.load(open(native_db))
                   if os.path.realpath(e["file"]).startswith(src)})
every = sorted(str(p) for p in pathlib.Path(root, "src").rglob("*.cpp"))
windows = [f for f in every if f not in portable]
args = ["clang++", "--target=x86_64-w64-mingw32", "-std=c++20", "-fsyntax-only", "-I" + os.path.join(root, "src"),
        "-DUNICODE", "-D_UNICODE", "-DNOMINMAX", "-DWIN32_LEAN_AND_MEAN"]
for i in includes:
    args += ["-isystem", i]
json.dump([{"directory": out, "file": f, "arguments": args + ["-c", f]} for f in windows],
          open(os.path.join(out, "compile_commands.json"), "w"), indent=1)
with open(os.path.join(out, "files.txt"), "w") as lst:
    for f in portable:
        lst.write(f"{os.path.dirname(native_db)}\t{f}\n")
    for f in windows:
        lst.write(f"{out}\t{f}\n")
EOF

if [ "$#" -gt 0 ]; then
  for f in "$@"; do
    f=$(realpath "$f")
    grep -P "\t\Q$f\E$" "$out/files.txt" || { echo "tidy: $f is not a source file under src/" >&2; exit 2; }
  done >"$out/chosen.txt"
else
  cp "$out/files.txt" "$out/chosen.txt"
fi

start=$(date +%s)
# One clang-tidy per file, $jobs at a time; each prints its findings whole.
status=0
tr '\t' '\n' <"$out/chosen.txt" |
  xargs -d '\n' -n 2 -P "$jobs" bash -c 'report=$("$0" --quiet --warnings-as-errors="*" -p "$1" \
      --extra-arg=-fexec-charset=UTF-8 --extra-arg=-Wno-error \
      --extra-arg=-Wno-unknown-warning-option "$2" 2>&1); rc=$?
    grep -v -e "^[0-9]* warnings\? generated\.$" -e "^[0-9]* warnings\? treated as errors\?$" <<<"$report" || true
    exit "$rc"' "$tidy" || status=$?
files=$(wc -l <"$out/chosen.txt")
windows=$(grep -c "^$out"$'\t' "$out/chosen.txt" || true)
if [ "$status" -eq 0 ]; then result=clean; else result="FINDINGS (see above)"; fi
echo "tidy: $files files ($windows with the MinGW target), $result, $(( $(date +%s) - start )) s"
exit "$status"
