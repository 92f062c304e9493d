#!/usr/bin/env bash
# Fails when a C++ source differs from what the repository's .clang-format makes of it. Lists the
# files; `clang-format -i FILE...` fixes them.
#   scripts/check-format.sh [ROOT]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="${1:-$here/..}"
cd "$root"
if ! command -v clang-format >/dev/null; then
  echo "check-format: clang-format is not installed (scripts/install-deps.sh installs it)" >&2
  exit 2
fi
mapfile -t files < <("$here/list-sources.sh")
existing=()
for f in "${files[@]}"; do [ -f "$f" ] && existing+=("$f"); done
# One clang-format run over all files; its diagnostics name each file that differs.
rc=0
report="$(clang-format --dry-run --Werror "${existing[@]}" 2>&1)" || rc=$?
mapfile -t bad < <(sed -nE 's/^(.+):[0-9]+:[0-9]+: error: .*/\1/p' <<<"$report" | sort -u)
if [ "$rc" -ne 0 ] && [ "${#bad[@]}" -eq 0 ]; then
  echo "$report" >&2
  echo "check-format: clang-format failed" >&2
  exit 2
fi
if [ "${#bad[@]}" -gt 0 ]; then
  printf '%s\n' "${bad[@]}"
  echo "check-format: ${#bad[@]} of ${#existing[@]} files differ from .clang-format (clang-format -i them)" >&2
  exit 1
fi
echo "check-format: ${#existing[@]} files follow .clang-format"
