#!/bin/sh
# exports.sh DEF DLL OBJDUMP [DLL OBJDUMP]... -- every name in the
# module-definition file is exported by each DLL under exactly that name,
# and nothing else is: no decoration on i686 either.
set -u
def=$1; shift
want=$(sed -n '/^EXPORTS/,$p' "$def" | sed '1d; s/;.*//; s/=.*//; s/[[:space:]]//g; /^$/d' | sort)
[ -n "$want" ] || { echo "exports: no names in $def" >&2; exit 1; }
rc=0
while [ $# -ge 2 ]; do
    dll=$1 objdump=$2; shift 2
    [ -f "$dll" ] || { echo "exports: $dll is missing (make all builds it)" >&2; rc=1; continue; }
    got=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort)
    if [ "$got" != "$want" ]; then
        echo "exports: $dll differs from $def (< expected, > exported):" >&2
        printf '%s\n' "$want" >/tmp/exports.want.$$
        printf '%s\n' "$got" | diff /tmp/exports.want.$$ - >&2
        rm -f /tmp/exports.want.$$
        rc=1
    else
        echo "exports: $dll: $(printf '%s\n' "$got" | wc -l) names"
    fi
done
exit $rc
