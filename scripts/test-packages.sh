#!/usr/bin/env bash
# Builds the Debian package from the release build, checks its contents with
# dpkg-deb and lintian, and, in CI, installs it and runs padwatch from it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build="$root/build/release"

build release
rm -f "$build"/padwatch_*.deb
(cd "$build" && cpack)
deb=$(ls "$build"/padwatch_*.deb)

echo "== contents of $(basename "$deb")"
dpkg-deb -c "$deb"
dpkg-deb -f "$deb" Package Version Depends

echo "== lintian"
# Errors fail the build; warnings are shown.
lintian --fail-on error "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1

if [ "${CI:-}" = true ] && [ "$(id -u)" -eq 0 ]; then
  echo "== padwatch from the installed package"
  apt-get -q -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "$deb"
  out=$(mktemp)
  /usr/bin/padwatch >"$out" &
  pid=$!
  sleep 1
  kill -INT "$pid"
  status=0
  wait "$pid" || status=$?
  if [ "$status" -ne 0 ] || [ -s "$out" ]; then
    echo "installed padwatch: exit status $status, output:" >&2
    cat "$out" >&2
    exit 1
  fi
  echo "installed padwatch ran 1 s, wrote nothing and exited 0 on SIGINT"
  /usr/bin/padwatch-replay "$root/tests/golden/worked_example.scn" |
    cmp - "$root/tests/golden/worked_example.out"
  echo "installed padwatch-replay printed the worked example byte for byte"
  /usr/bin/padwatch-check --once | grep -qx 'Slot 3: empty'
  echo "installed padwatch-check --once reported the four slots"
  man -w padwatch >/dev/null 2>&1 && echo "man page: $(man -w padwatch)"
  rm -f "$out"
  dpkg -r padwatch >/dev/null
fi
