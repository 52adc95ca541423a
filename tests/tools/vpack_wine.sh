#!/bin/bash
# vpack_wine.sh WINE_RUN VPACK_EXE SETUP_EXE WORK [HOST_VPACK]
# vpack.exe under Wine: build with either slash, list, verify, extract and
# compare byte for byte, refusals, damage, usage, check and run, names
# beyond ASCII; and, when the host vpack of the same BUILD is there, the
# same bytes and the same runs as it makes.
set -u
wine_run=$1 vpack_exe=$2 setup_exe=$3 work=$4 host_vpack=${5:-}
fails=0

rm -rf "$work"
mkdir -p "$work/bin" "$work/p/bin/sub" "$work/p/empty dir" "$work/p/My Docs"
cd "$work" || exit 1
cp "$vpack_exe" bin/vpack.exe
cp "$setup_exe" stub.exe
printf '// Title=Wine\r\ninstall() { return 1; }\r\n' >p/Install.ini
printf 'License\n' >p/License.txt
head -c 50000 /dev/urandom >p/bin/app.exe
: >p/bin/sub/empty.dat
printf 'read me\n' >"p/My Docs/read me.txt"
# Names beyond ASCII, which go into the package in the setup's code page:
# n in Windows-1252, n1250 in Windows-1250 only; dev has a device's name.
mkdir -p "n/Dossier Ærø" n1250 dev
cp p/Install.ini n/Install.ini
cp p/Install.ini n1250/Install.ini
cp p/Install.ini dev/Install.ini
printf 'café\n' >n/café.txt
printf 'naïve\n' >"n/Dossier Ærø/naïve résumé.doc"
printf 'euro\n' >"n/€ – ÿ.txt"
printf 'łódź\n' >n1250/Łódź.txt
printf 'x\n' >dev/NUL.txt
# Scripts for check and run: one broken, in a product folder of its own,
# and one that reaches the folder macros and the iswin built-ins.
mkdir -p broken
printf 'install() { copy("a"); }\r\n' >broken/Install.ini
printf '%s\r\n' '// Company=Acme' '// Product=Tool' \
    'init() { return iswin98() + iswinfamily9x() * 2; }' \
    'install() { copy("App.exe", "%APPDIR%\\App.exe");' \
    '  copyshared("s.dll", "%WINSYSDIR%\\s.dll", "s"); makedir("%COMPANYDIR%");' \
    '  shortcut("Tool", "%PRODUCTDIR%\\App.exe", null, 5); return "ok"; }' >run.ini

# vpack ARGS...: runs vpack.exe, output in out.txt and err.txt (CRs gone)
vpack() {
    "$wine_run" bin/vpack.exe "$@" >out.raw 2>err.raw </dev/null
    rc=$?
    tr -d '\r' <out.raw >out.txt
    tr -d '\r' <err.raw >err.txt
    return $rc
}

fail() {
    echo "FAIL row '$row': $*"
    sed 's/^/  stdout: /' out.txt
    sed 's/^/  stderr: /' err.txt
    fails=$((fails + 1))
}

# Rows: name | expected exit | text in stdout+stderr | file that must exist
# ("-": none) | file that must not | vpack arguments (eval'ed)
while IFS='|' read -r row code says must mustnot args; do
    [ -z "$row" ] && continue
    eval "set -- $args"
    vpack "$@"
    rc=$?
    [ "$rc" = "$code" ] || fail "exit $rc, want $code"
    [ -z "$says" ] || grep -qF -- "$says" out.txt err.txt || fail "no '$says'"
    [ "$must" = - ] || [ -f "$must" ] || fail "$must is missing"
    [ "$mustnot" = - ] || [ ! -e "$mustnot" ] || fail "$mustnot is there"
done <<'EOF'
build, slashes|0|wrote|a.exe|a.exe.tmp|build p -o a.exe --stub stub.exe --no-uninstaller
build, backslashes|0|wrote|b.exe|b.exe.tmp|build 'p\' -o 'out\..\b.exe' --stub '.\stub.exe' --no-uninstaller
build, mixed forms|0|wrote|c.exe|-|build p/ -o c.exe --no-uninstaller --stub 'bin/..\stub.exe'
list|0|bin\app.exe|-|-|list a.exe
list, nested path|0|bin\sub\empty.dat|-|-|list a.exe
verify|0|OK, 5 files, 4 folders|-|-|verify a.exe
extract|0||x/Install.ini|-|extract a.exe x
refused, no Install.ini|1|has no Install.ini|-|none.exe|build p/bin -o none.exe --stub stub.exe
refused, stub not a PE|1|is not a PE image|-|none.exe|build p -o none.exe --stub p/License.txt
usage error|2|usage|-|-|build p
help|0|--no-uninstaller|-|-|help build
check|0|Install.ini: OK; setup calls install|-|-|check p
check, broken|1|script error: Error: Incompatible number of parameters at 21 (copy)|-|-|check broken
refused, broken script|1|script error: Error: Incompatible|-|broken.exe|build broken -o broken.exe --stub stub.exe
run|0|call init = 3|-|-|run run.ini --os win98
run, unknown function|1|has no function 'nope'|-|-|run run.ini --call nope
names|0|wrote|n.exe|n.exe.tmp|build n -o n.exe --stub stub.exe --no-uninstaller
names, list|0|Dossier Ærø\naïve résumé.doc|-|-|list n.exe
names, extract|0||xn/café.txt|-|extract n.exe xn
names, code page 1250|0|wrote|n1250.exe|-|build n1250 -o n1250.exe --stub stub.exe --no-uninstaller --codepage 1250
names, not in 1252|1|Łódź.txt': the name has 'Ł' (U+0141), which Windows-1252 cannot hold|-|none.exe|build n1250 -o none.exe --stub stub.exe --no-uninstaller
names, device|1|NUL.txt': Windows cannot create this name: it names a device|-|none.exe|build dev -o none.exe --stub stub.exe --no-uninstaller
names, unknown code page|2|unknown --codepage 437 (one of 1250, 1251, 1252, 1257)|-|-|build n -o none.exe --codepage 437
EOF
# Both slashes, and the host program, give the same bytes.
for other in b.exe c.exe; do
    row="same bytes: $other"
    cmp -s a.exe "$other" || fail "a.exe and $other differ"
done
row="extracted tree"
diff -r p x >diff.txt || { cat diff.txt; fail "extracted tree differs"; }
row="extracted tree, names beyond ASCII"
diff -r n xn >diff.txt || { cat diff.txt; fail "extracted tree differs"; }
if [ -n "$host_vpack" ] && [ -x "$host_vpack" ]; then
    row="same bytes as the host vpack"
    "$host_vpack" build p -o host.exe --stub stub.exe --no-uninstaller >/dev/null ||
        fail "host build failed"
    cmp -s a.exe host.exe || fail "vpack.exe and the host vpack differ"
    row="same list as the host vpack"
    "$host_vpack" list a.exe >host-list.txt
    vpack list a.exe
    cmp -s out.txt host-list.txt || fail "the lists differ"
    # The host vpack's bytes for these names are checked by its own tests.
    for cp in 1252 1250; do
        src=n exe=n.exe
        [ $cp = 1252 ] || src=n$cp exe=n$cp.exe
        row="same bytes as the host vpack, names in $cp"
        "$host_vpack" build $src -o host-$exe --stub stub.exe --no-uninstaller \
            --codepage $cp >/dev/null || fail "host build failed"
        cmp -s $exe host-$exe || fail "vpack.exe and the host vpack differ"
        row="same list as the host vpack, names in $cp"
        "$host_vpack" list $exe --codepage $cp >host-list.txt
        vpack list $exe --codepage $cp
        cmp -s out.txt host-list.txt || { diff host-list.txt out.txt; fail "the lists differ"; }
    done
    for os in winxp nt4 winme; do
        row="same run as the host vpack, $os"
        "$host_vpack" run run.ini --os $os >host-run.txt
        vpack run run.ini --os $os || fail "exit $?"
        cmp -s out.txt host-run.txt || { diff host-run.txt out.txt; fail "the runs differ"; }
    done
else
    echo "note: no host vpack at '$host_vpack'; cross-build comparison left out"
fi

# A stub beside vpack.exe is taken without --stub.
row="default stub beside vpack.exe"
cp stub.exe bin/setup.exe
vpack build p -o d.exe --no-uninstaller || fail "exit $?"
cmp -s a.exe d.exe || fail "d.exe differs from a.exe"

# Damage is named with the reader's code.
row="damaged data area"
cp a.exe bad.exe
size=$(stat -c %s stub.exe)
printf '\x5a' | dd of=bad.exe bs=1 seek=$((size + 200)) conv=notrunc status=none
vpack verify bad.exe && fail "verify passed"
grep -qF "pkg_Open error 7" err.txt || fail "no 'pkg_Open error 7'"

row="truncated"
head -c $(($(stat -c %s a.exe) - 3)) a.exe >cut.exe
vpack list cut.exe && fail "list passed"
grep -qF "pkg_Open error 6" err.txt || fail "no 'pkg_Open error 6'"

[ "$fails" = 0 ] && echo "all rows passed"
exit $((fails != 0))
