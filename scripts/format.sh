#!/usr/bin/env bash
# Formats the tracked C++ sources (*.cpp, *.h) with clang-format, and nothing else: Markdown,
# scripts and data files are never passed to the formatter.
#   scripts/format.sh           formats every tracked C++ file in place
#   scripts/format.sh --check   lists the files that are not formatted and fails if there are any
#   scripts/format.sh FILE...   formats only the given files that are tracked C++ files
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
if [[ ${1:-} == --check ]]; then
  check=1
  shift
fi

files=()
if (($# > 0)); then
  for file in "$@"; do
    case $file in
      *.cpp | *.h) files+=("$file") ;;
      *) echo "format.sh: skipping $file (not a C++ source)" >&2 ;;
    esac
  done
else
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
fi
((${#files[@]} > 0)) || exit 0

if ((check)); then
  clang-format --dry-run --Werror "${files[@]}"
else
  clang-format -i "${files[@]}"
fi
