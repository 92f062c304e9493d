#!/usr/bin/env bash
# Installs the dependencies, checks the layering and the formatting of the sources, builds, and runs
# every test: first the normal build, then the unit and integration suites again under
# AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/install-deps.sh"

echo "== layers"
"$root/scripts/check-layers.sh"
echo "== format"
"$root/scripts/check-format.sh"

echo "== build"
"$root/scripts/build.sh" "$root/build"
echo "== tests"
(cd "$root/build" && ctest --output-on-failure)

echo "== sanitizer build"
"$root/scripts/build.sh" "$root/build-asan" -DVELMORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
echo "== sanitizer tests"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$root/build-asan" && ctest --output-on-failure -L 'unit|integration')
