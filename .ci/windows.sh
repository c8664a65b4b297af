#!/usr/bin/env bash
# The Windows build: cross-compiles the windows preset with mingw-w64, checks that every program
# runs from a bare folder (no mingw DLLs) and, when wine is installed, that the programs behave as
# on Linux: replay gives the same bytes, a game plays through redirected keys and stops cleanly
# when they run out, and the console layer reads key events and gives the console back.
# Installs nothing (.ci/run does: g++-mingw-w64-x86-64-posix, and wine64 for the wine checks).
#   BUILD_DIR  the Windows build folder (default build/windows, the preset's own)
#   REF_DIR    the Linux release build that replay.exe is compared with (default build/winref)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${BUILD_DIR:-build/windows}
ref=${REF_DIR:-build/winref}
programs=(burpleton golf hooplandia mirkweld rouladix)

fail() {
  echo "windows: $*" >&2
  exit 1
}

echo "-- cross-building the windows preset in $build"
cmake --preset windows -B "$build" >/dev/null
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! cmake --build "$build" -j2 >"$log" 2>&1; then
  cat "$log"
  fail "the Windows build failed"
fi
if grep -q 'warning:' "$log"; then
  grep -A3 'warning:' "$log"
  fail "the Windows build has warnings"
fi

exes=()
for p in "${programs[@]}"; do exes+=("$build/$p/$p.exe"); done
exes+=("$build/tools/replay.exe")
for exe in "${exes[@]}"; do
  [[ -f $exe ]] || fail "$exe was not built"
  # Only system DLLs: the mingw runtime is linked in, so a bare folder is enough to play.
  others=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' |
    grep -viE '^(kernel32|msvcrt|user32)\.dll$' || true)
  [[ -z $others ]] || fail "$exe needs $others"
done
echo "-- all programs built; they need only KERNEL32, USER32 and msvcrt"

# The console check: a Windows program that types on a real console and reads the result.
cxx=x86_64-w64-mingw32-g++-posix
command -v "$cxx" >/dev/null || cxx=x86_64-w64-mingw32-g++
"$cxx" -std=c++20 -O2 -Wall -Wextra -Wpedantic -Werror -static -municode -I"$root" \
  .ci/wine_console_check.cpp kit/platform_windows.cpp kit/cp850.cpp \
  -o "$build/wine_console_check.exe"

wine=$(command -v wine || command -v wine64 || { [[ -x /usr/lib/wine/wine64 ]] && echo /usr/lib/wine/wine64; } || true)
if [[ -z $wine ]]; then
  echo "-- wine is not installed: cross-build checked, nothing run"
  exit 0
fi

WINEPREFIX=$(realpath -m "$build")/wineprefix
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
run() { timeout 120 "$wine" "$@"; }
echo "-- preparing a wine prefix"
run cmd /c exit 0 </dev/null >/dev/null 2>&1 || true

echo "-- the Linux replay to compare with, in $ref"
cmake --preset release -B "$ref" >/dev/null
cmake --build "$ref" -j2 --target replay >/dev/null

work=$(mktemp -d)
trap 'rm -f "$log"; rm -rf "$work"' EXIT
# Plenty of keys of every kind the games meet: letters of both cases, digits, Enter, a blank, an
# accented letter and a byte above 0x7F.
python3 - "$work" <<'EOF'
import sys
pattern = b"aB1c\rD2e \x82F3\xffbA4dC5"
open(sys.argv[1] + "/keys", "wb").write((pattern * 4000)[:65536])
open(sys.argv[1] + "/few", "wb").write(pattern[:3])
EOF

echo "-- replay.exe gives the Linux replay's bytes"
for game in "${programs[@]}"; do
  for seed in 0 1 2024 4294967295; do
    for keys in keys few; do
      set +e
      "$ref/tools/replay" "$game" "$seed" <"$work/$keys" >"$work/linux" 2>/dev/null
      linux_status=$?
      run "$build/tools/replay.exe" "$game" "$seed" <"$work/$keys" >"$work/windows" 2>/dev/null
      windows_status=$?
      set -e
      cmp -s "$work/linux" "$work/windows" ||
        fail "replay $game $seed ($keys): the screens differ"
      [[ $linux_status == "$windows_status" ]] ||
        fail "replay $game $seed ($keys): status $windows_status on Windows, $linux_status on Linux"
    done
  done
done

echo "-- the games read redirected keys, stop at their end, and report a failed write"
for game in "${programs[@]}"; do
  exe=$build/$game/$game.exe
  run "$exe" <"$work/keys" >"$work/screen" 2>"$work/errors" ||
    fail "$game with redirected keys: status $?, $(cat "$work/errors")"
  [[ -s $work/screen && ! -s $work/errors ]] || fail "$game with redirected keys: nothing shown"
  for short in /dev/null "$work/few"; do
    status=0
    run "$exe" <"$short" >/dev/null 2>"$work/errors" || status=$?
    [[ $status == 1 ]] || fail "$game with the keys run short: status $status"
    printf '%s: end of input\r\n' "$game" | cmp -s - "$work/errors" ||
      fail "$game with the keys run short said: $(cat "$work/errors")"
  done
  status=0
  run "$exe" <"$work/keys" >/dev/full 2>"$work/errors" || status=$?
  [[ $status == 1 ]] || fail "$game writing to a full disk: status $status"
  grep -q "^$game: cannot write to the console: " "$work/errors" ||
    fail "$game writing to a full disk said: $(cat "$work/errors")"
done
# The quiz draws no chance, so its screen is known in full.
"$ref/tools/replay" rouladix 0 <"$work/keys" >"$work/linux"
run "$build/rouladix/rouladix.exe" <"$work/keys" >"$work/windows"
cmp -s "$work/linux" "$work/windows" || fail "rouladix.exe and the replay show different screens"

echo "-- the console layer on wine's console (a pseudo-terminal)"
# Wine gives a program a console only on a terminal; CI has none, so make one.
on_terminal() {
  python3 - "$@" <<'EOF'
import os, pty, re, select, signal, sys, time
pid, fd = pty.fork()
if pid == 0:
    os.execvp(sys.argv[1], sys.argv[1:])
out, deadline = b"", time.time() + 180
while time.time() < deadline:
    if select.select([fd], [], [], 0.5)[0]:
        try:
            data = os.read(fd, 4096)
        except OSError:
            break
        if not data:
            break
        out += data
else:
    os.kill(pid, signal.SIGKILL)
status = os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])
out = re.sub(rb"\x1b\[1?C", b" ", out)  # wine moves the cursor for a blank
out = re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", out).replace(b"\r", b"")
sys.stdout.write(out.decode("utf-8", "replace"))
sys.exit(status)
EOF
}
on_terminal "$wine" "$build/wine_console_check.exe" || fail "the console check failed"
printf 'abcdX' >"$work/quiz"
"$ref/tools/replay" rouladix 0 <"$work/quiz" >"$work/linux"
on_terminal "$wine" "$build/wine_console_check.exe" play "$build/rouladix/rouladix.exe" \
  "$work/quiz" "$work/windows" || fail "rouladix.exe with keys typed on the console failed"
cmp -s "$work/linux" "$work/windows" ||
  fail "rouladix.exe with keys typed on the console shows another screen than the replay"
echo "-- rouladix.exe with keys typed on the console shows the replay's screen"

wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
"$wineserver" -k 2>/dev/null || true
echo "-- windows checks passed"
