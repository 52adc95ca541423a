#!/bin/bash
# vpack_bench_wine.sh WINE_RUN VPACK_EXE SETUP_EXE WORK HOST_PKG_BENCH HOST_VPACK
# The benchmark product's mix (an eighth of its size: pkg_bench gen DIR 8)
# packed by vpack.exe under Wine, then read back by setup's reader compiled
# for Windows: verify inflates and checks every member, extract writes them
# out to be compared byte for byte with the product.  The host vpack must
# write the same bytes (its members are held against zlib's uncompress in
# tools.vpack).
set -u
wine_run=$1 vpack_exe=$2 setup_exe=$3 work=$4 pkg_bench=$5 host_vpack=$6
fails=0
fail() {
    echo "FAIL $step: $*"
    sed 's/^/  stdout: /' out.txt
    sed 's/^/  stderr: /' err.txt
    fails=$((fails + 1))
}
for tool in "$pkg_bench" "$host_vpack"; do
    [ -x "$tool" ] || { echo "FAIL: no host tool '$tool' (build the host tree)"; exit 1; }
done

rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1
cp "$vpack_exe" vpack.exe
cp "$setup_exe" stub.exe
"$pkg_bench" gen product 8 || { echo "FAIL: pkg_bench gen"; exit 1; }

# vpack ARGS...: vpack.exe under Wine, output in out.txt and err.txt
vpack() {
    "$wine_run" vpack.exe "$@" >out.raw 2>err.raw </dev/null
    rc=$?
    tr -d '\r' <out.raw >out.txt
    tr -d '\r' <err.raw >err.txt
    return $rc
}

step="build"
vpack build product -o a.exe --stub stub.exe --no-uninstaller || fail "exit $?"
grep -qF "27 files (" out.txt || fail "no line for the 27 files stored once"
step="verify"
vpack verify a.exe || fail "exit $?"
grep -qF "OK, 270 files, 5 folders" out.txt || fail "not every member is OK"
step="extract"
vpack extract a.exe x || fail "exit $?"
diff -r product x >diff.txt || { cat diff.txt; fail "the extracted tree differs"; }
step="same bytes as the host vpack"
"$host_vpack" build product -o host.exe --stub stub.exe --no-uninstaller >out.txt 2>err.txt ||
    fail "host build failed"
cmp -s a.exe host.exe || fail "vpack.exe and the host vpack differ"

[ "$fails" = 0 ] && echo "all steps passed"
exit $((fails != 0))
