#!/usr/bin/env bash
# Makes ready, ahead of the end-to-end tests, what their guests take long to
# get: the kernel with both guests' modules (fetched and unpacked once) and
# the Wine guest's prefix. The gate runs it beside single-threaded steps;
# the tests find it done.
#
#   prepare_guests.sh WORKDIR   (the tests' WORKDIR: build/debug/e2e)
set -euo pipefail
work=$1
source "$(dirname "${BASH_SOURCE[0]}")/guest.sh"
fetch_kernel "$work" "${linux_modules[@]}" "${wine_modules[@]}"
if command -v wine >/dev/null 2>&1; then
  make_wine_prefix "$work/wine/prefix" || echo "Wine cannot make a prefix" >&2
fi
