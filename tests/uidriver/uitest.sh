# uitest.sh -- sourced by the test scripts that drive Windows programs
# under Wine with uidriver.exe.  Each script is a table of rows, one ctest
# test per row; every failure message names the row.
#
# The script sets ROWS (its row names), defines row_NAME for each and
# prepare, then calls uitest_main "$@" with the arguments
#     --rows                          prints ROWS (CMake reads them)
#     ROW WINE_RUN UIDRIVER WORK ...  runs one row in the empty folder
#                                     WORK/ROW: prepare gets what follows
#                                     WORK, then row_ROW runs

failed=0

# reg ARGS...: reg.exe's output.  Under a busy wineserver the program now
# and then does not start at all, and the wrapper prints why instead of
# its output; it is then tried again, up to three times.
reg() {
    for try in 1 2 3; do
        out=$("$WINE_RUN" reg "$@" </dev/null 2>/dev/null | tr -d '\r')
        case $out in
        *"ShellExecuteEx failed"*|*"could not be started"*) sleep 1 ;;
        *) break ;;
        esac
    done
    [ -z "$out" ] || printf '%s\n' "$out"
}

# quiet COMMAND...: a Windows command whose output does not matter.
quiet() {
    "$WINE_RUN" "$@" </dev/null >/dev/null 2>&1
}

# winpath PATH: the Wine name of a Linux path (drive Z: is the root).
winpath() {
    printf 'Z:%s' "$1" | tr / '\\'
}

fail() {
    printf 'row %s: %s\n' "$ROW" "$*" >&2
    failed=1
}

# drive RC ARGS...: runs uidriver.exe ARGS with its output in $OUT (line
# ends made Unix ones); the row fails unless uidriver exits with RC.
drive() {
    want=$1
    shift
    "$WINE_RUN" "$UIDRIVER" "$@" >"$OUT.crlf" 2>&1
    rc=$?
    tr -d '\r' <"$OUT.crlf" >"$OUT"
    sed "s/^/row $ROW | /" "$OUT"
    [ "$rc" = "$want" ] || fail "uidriver exit code $rc, expected $want"
}

# shows / lacks EXTENDED-REGEX: uidriver's last output has / has no such line.
shows() {
    grep -Eq -- "$1" "$OUT" || fail "uidriver output lacks /$1/"
}
lacks() {
    if grep -Eq -- "$1" "$OUT"; then fail "uidriver output has /$1/"; fi
}

# wait_line FILE REGEX: waits (30 s at most) until FILE, written by a
# Windows program, has such a line.
wait_line() {
    i=0
    until tr -d '\r' <"$1" 2>/dev/null | grep -Eq -- "$2"; do
        i=$((i + 1))
        if [ $i -gt 300 ]; then
            fail "no /$2/ in $1"
            return 1
        fi
        sleep 0.1
    done
}

# bmp_check FILE WIDTH HEIGHT: FILE is a 24-bit BMP of that size; prints the
# percentage of its pixels that are pure red.
bmp_check() {
    od -An -v -tu1 "$1" | awk -v w="$2" -v h="$3" -v row="$ROW" '
        { for (i = 1; i <= NF; i++) b[n++] = $i }
        function u16(o) { return b[o] + 256 * b[o + 1] }
        function u32(o) { return u16(o) + 65536 * u16(o + 2) }
        END {
            stride = int((w * 3 + 3) / 4) * 4
            if (b[0] != 66 || b[1] != 77 || u16(28) != 24 ||
                u32(18) != w || u32(22) != h || u32(2) != n ||
                n != u32(10) + stride * h) {
                printf "row %s: not a %dx%d 24-bit BMP: magic %d %d, %d bits, %dx%d, %d bytes\n",
                    row, w, h, b[0], b[1], u16(28), u32(18), u32(22), n > "/dev/stderr"
                exit 1
            }
            red = 0
            for (y = 0; y < h; y++)
                for (x = 0; x < w; x++) {
                    o = u32(10) + y * stride + 3 * x
                    if (b[o] == 0 && b[o + 1] == 0 && b[o + 2] == 255)
                        red++
                }
            print int(100 * red / (w * h))
        }'
}

# bmp_at FILE X,Y...: the colour "R,G,B" of each given pixel of a 24-bit
# BMP (X from the left, Y from the top), one line each; "-" outside it.
bmp_at() {
    f=$1
    shift
    od -An -v -tu1 "$f" | awk -v points="$*" '
        { for (i = 1; i <= NF; i++) b[n++] = $i }
        function u16(o) { return b[o] + 256 * b[o + 1] }
        function u32(o) { return u16(o) + 65536 * u16(o + 2) }
        END {
            w = u32(18); h = u32(22); stride = int((w * 3 + 3) / 4) * 4
            k = split(points, p, " ")
            for (i = 1; i <= k; i++) {
                split(p[i], xy, ",")
                x = xy[1] + 0; y = xy[2] + 0
                if (x < 0 || y < 0 || x >= w || y >= h) { print "-"; continue }
                o = u32(10) + (h - 1 - y) * stride + 3 * x
                print b[o + 2] "," b[o + 1] "," b[o]
            }
        }'
}

uitest_main() {
    if [ "${1:-}" = "--rows" ]; then
        echo $ROWS
        exit 0
    fi
    if [ $# -lt 4 ]; then
        echo "usage: $0 --rows | ROW WINE_RUN UIDRIVER WORK ..." >&2
        exit 2
    fi
    ROWS=$(echo $ROWS)
    ROW=$1 WINE_RUN=$2 UIDRIVER=$3 WORK=$4/$1
    shift 4
    case " $ROWS " in
    *" $ROW "*) ;;
    *) echo "no row $ROW" >&2; exit 2 ;;
    esac
    rm -rf "$WORK"
    mkdir -p "$WORK"
    OUT=$WORK/uidriver.out
    prepare "$@"
    "row_$(echo "$ROW" | tr - _)"
    if [ "$failed" != 0 ]; then
        echo "row $ROW: FAILED"
        exit 1
    fi
    echo "row $ROW: passed"
}
