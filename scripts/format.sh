#!/usr/bin/env bash
# Formats the project's C++ files (src, tests, bench, fuzz and data) with its .clang-format:
#   format.sh           rewrites them in place (make format)
#   format.sh --check   changes nothing; fails with the list of files that need formatting
#                       (make test runs this before it builds)
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -d '' files < <(find src tests bench fuzz data \( -name '*.cpp' -o -name '*.h' \) \
  -print0 | sort -z)
[ ${#files[@]} -gt 0 ] || { echo "error: no C++ files found" >&2; exit 1; }
case "${1:-}" in
  "") clang-format -i "${files[@]}" ;;
  --check)
    # clang-format goes on after a file it would change; each such file is named in its report.
    report=$(clang-format --dry-run -Werror "${files[@]}" 2>&1) && exit 0
    mapfile -t unformatted < <(grep -oE '^[^:]+:[0-9]+:[0-9]+: error' <<<"$report" | cut -d: -f1 |
      sort -u)
    if [ ${#unformatted[@]} -eq 0 ]; then
      echo "$report" >&2
      echo "error: clang-format failed" >&2
      exit 1
    fi
    echo "These files are not formatted as .clang-format asks; run 'make format':" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
    ;;
  *) echo "usage: format.sh [--check]" >&2; exit 2 ;;
esac
