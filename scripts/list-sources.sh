#!/usr/bin/env bash
# Prints the repository's C and C++ sources, relative to the current folder (the repository root):
# the files git knows or would add, else (an unpacked tree) every source outside build folders.
set -euo pipefail
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files --cached --others --exclude-standard -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp'
else
  find . \( -path './build*' -o -path './.git' \) -prune -o -type f \
    \( -name '*.c' -o -name '*.cc' -o -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \) -print | sed 's|^\./||'
fi
