#!/bin/sh
# readme_examples.sh README CXX INCLUDE -- every C++ example of README's
# knobkit section compiles as a client translation unit of its own against
# knobkit.h, warnings as errors, so the examples cannot rot.
set -u
readme=$1 cxx=$2 inc=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
awk -v dir="$dir" '
    /^## / { inside = ($0 ~ /^## knobkit/) }
    inside && /^```cpp$/ { n++; file = sprintf("%s/example%d.cpp", dir, n); line = NR; code = 1; next }
    code && /^```$/ { code = 0; close(file); print n, line > (dir "/index"); next }
    code { print > file }
' "$readme"
[ -s "$dir/index" ] || { echo "readme: no cpp examples in the knobkit section of $readme" >&2; exit 1; }
rc=0
while read -r n line; do
    if "$cxx" -fsyntax-only -Wall -Wextra -Werror -I"$inc" -x c++ "$dir/example$n.cpp" 2>"$dir/err$n"; then
        echo "readme: example $n (line $line) compiles"
    else
        echo "readme: example $n, the block at $readme:$line, does not compile:" >&2
        cat "$dir/err$n" >&2
        rc=1
    fi
done <"$dir/index"
exit $rc
