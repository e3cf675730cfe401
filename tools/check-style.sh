#!/usr/bin/env bash
# Checks the habits every source file keeps: formatted with the repository's .clang-format, and
# no file above 800 lines. Lists the files that break them; exit status 1 when there are any.
set -uo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -co --exclude-standard 'src/*.cpp' 'src/*.h' 'tests/*.cpp' \
    'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h')
status=0
mapfile -t unformatted < <(clang-format --dry-run -Werror "${files[@]}" 2>&1 |
    sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "not formatted (run clang-format -i on them):"
    printf '  %s\n' "${unformatted[@]}"
    status=1
fi
long=$(for f in "${files[@]}" src/formula/Grammar.y; do [ -f "$f" ] && wc -l "$f"; done |
    awk '$1 > 800 { print "  " $2 " (" $1 " lines)" }')
if [ -n "$long" ]; then
    echo "above 800 lines:"
    echo "$long"
    status=1
fi
[ $status -eq 0 ] && echo "style: ${#files[@]} files formatted, none above 800 lines"
exit $status
