#!/usr/bin/env bash
# Cross-builds the Windows executables and the core's tests with mingw-w64,
# checks what padwatch.exe imports, runs the tests and a smoke run of
# padwatch.exe under Wine, and packs the Windows zip.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build="$root/build/windows"

build windows

echo "== padwatch.exe imports"
imports=$(x86_64-w64-mingw32-objdump -p "$build/padwatch.exe" | awk '/DLL Name:/ {print $3}')
echo "$imports"
if ! grep -qx 'XINPUT1_4.dll' <<<"$imports"; then
  echo "padwatch.exe does not import XINPUT1_4.dll" >&2
  exit 1
fi
if grep -iqE '^(libstdc\+\+|libgcc|libwinpthread)' <<<"$imports"; then
  echo "padwatch.exe needs a MinGW runtime DLL; it must be linked statically" >&2
  exit 1
fi

# A Wine prefix of our own, made once and ended afterwards.
WINEPREFIX=$(mktemp -d)
export WINEPREFIX WINEDEBUG=-all
unset DISPLAY
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
wineboot -i >/dev/null 2>&1

echo "== the core's tests under Wine"
ctest --test-dir "$build" --output-on-failure

echo "== padwatch-replay.exe under Wine (CRLF line ends)"
actual=$(wine "$build/padwatch-replay.exe" "$root/tests/golden/worked_example.scn" | od -An -c | tr -s ' ')
expected=$(sed 's/$/\r/' "$root/tests/golden/worked_example.out" | od -An -c | tr -s ' ')
if [ "$actual" != "$expected" ]; then
  echo "padwatch-replay.exe printed something else for the worked example" >&2
  exit 1
fi
echo "worked example: byte for byte, with CRLF"

echo "== padwatch-replay.exe into a pipe whose reader leaves: exit 1, no message"
long="$WINEPREFIX/long.scn"
{ echo "plug 0"; for _ in $(seq 1 4000); do echo "press 0 A"; echo "poll"; echo "release 0 A"; echo "poll"; done; } >"$long"
set +o pipefail
wine "$build/padwatch-replay.exe" "$long" 2>"$WINEPREFIX/replay.err" | head -1 >"$WINEPREFIX/first"
status=${PIPESTATUS[0]}
set -o pipefail
first=$(tr -d '\r' <"$WINEPREFIX/first")
if [ "$first" != "Button [A] pressed on Device: 0" ] || [ "$status" != 1 ] || [ -s "$WINEPREFIX/replay.err" ]; then
  echo "padwatch-replay.exe | head -1: '$first', exit $status, said: $(cat "$WINEPREFIX/replay.err")" >&2
  exit 1
fi
echo "padwatch-replay.exe | head -1: one line, exit 1, nothing on standard error"

echo "== padwatch.exe with no controller"
out=$(mktemp)
wine "$build/padwatch.exe" >"$out" 2>&1 &
pid=$!
sleep 4
if ! kill -0 "$pid" 2>/dev/null; then
  echo "padwatch.exe ended by itself" >&2
  exit 1
fi
if [ -s "$out" ]; then
  echo "padwatch.exe wrote something with no controller:" >&2
  cat "$out" >&2
  exit 1
fi
echo "ran 4 s, wrote nothing, still running"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
rm -f "$out"

echo "== padwatch-check.exe under Wine: four empty slots, as text and as JSON"
check_text=$(wine "$build/padwatch-check.exe" --once 2>/dev/null | tr -d '\r')
expected_text=$(printf 'Slot %s: empty\n' 0 1 2 3)
if [ "$check_text" != "$expected_text" ]; then
  echo "padwatch-check.exe --once printed:" >&2
  echo "$check_text" >&2
  exit 1
fi
wine "$build/padwatch-check.exe" --once --json 2>/dev/null | tr -d '\r' >"$WINEPREFIX/check.json"
python3 - "$WINEPREFIX/check.json" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
assert report["tool"] == "padwatch-check", report
assert [slot["connected"] for slot in report["slots"]] == [False] * 4, report
PY
echo "--once: four empty slots; --once --json: parses, four empty slots"

echo "== padwatch-check.exe's live screen under Wine in tmux"
help=$(wine "$build/padwatch-check.exe" --help 2>/dev/null | tr -d '\r')
if grep -q -- --demo <<<"$help"; then
  echo "padwatch-check.exe --help offers --demo, which Windows cannot do" >&2
  exit 1
fi
if grep -q 'who may read them' <<<"$help" || ! grep -q 'whether XInput 1.4 is loaded' <<<"$help"; then
  echo "padwatch-check.exe --help does not describe the Windows doctor:" >&2
  echo "$help" >&2
  exit 1
fi
doctor=$(wine "$build/padwatch-check.exe" --doctor 2>/dev/null | tr -d '\r' || true)
if [ "$(grep -o '^  slot [0-9]' <<<"$doctor" | tr -d ' ' | tr '\n' ' ')" != "slot0 slot1 slot2 slot3 " ]; then
  echo "padwatch-check.exe --doctor does not number the slots 0 to 3 as the other reports do:" >&2
  echo "$doctor" >&2
  exit 1
fi
wineserver -w
bash "$root/tests/live_screen_wine_tmux.sh" "$build/padwatch-check.exe"

echo "== the Windows zip"
(cd "$build" && cpack)
cmake -E tar tf "$build"/padwatch-*-windows-x86_64.zip
