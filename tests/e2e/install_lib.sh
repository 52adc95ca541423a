# install_lib.sh -- sourced by the scripts that run whole setups under
# Wine (install_e2e, builtins_e2e): building products with vpack, walking
# the wizard, reading the registry and snapshots of what a run may touch.
# The sourcing script sets WORK, WINE_RUN, SETUP, VPACK, LICENCE, MID and
# the row's COMPANY (through lib_prepare) before using them.

FRAME="Vellum v1.1"
NEXT="Next  >"
AGREE="Yes, I have read and agree to the terms of this license agreement."
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# lib_prepare: the prefix, the row's company and its clean start; the row
# script's own prepare sets the programs first.
lib_prepare() {
    PREFIX=$(sed -n 's/^export WINEPREFIX="\(.*\)"$/\1/p' "$WINE_RUN")
    [ -d "$PREFIX/drive_c" ] || fail "no Wine prefix at $PREFIX"
    PF="$PREFIX/drive_c/Program Files"
    VUNINST="$PREFIX/drive_c/windows/vuninst.exe"
    COMPANY="VellumE2E $ROW"
    COMPANY_DIR="$PF/$COMPANY"
    COMPANY_KEY="HKLM\\Software\\$COMPANY"
    PRODUCTS="" UNINST=""
    cleanup
    trap cleanup EXIT
}

# ---- products ----

# product NAME INSTALL INIT SETTING...: $WORK/NAME.exe, the setup of product
# NAME of the row's company: Name "NAME Tool", version 1.0 unless a
# setting says otherwise, uninstaller MID unless $UNINST names another;
# install() returns INSTALL, init() (none when INIT is -) returns INIT.
# The files of the folder $FILES, when set, go into the product as well.
# A name new to the row loses an entry an earlier run may have left.
product() {
    name=$1 install=$2 init=$3
    shift 3
    dir=$WORK/$name.src
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$LICENCE" "$dir/License.txt"
    [ -z "${FILES:-}" ] || cp -R "$FILES/." "$dir/"
    {
        printf '// Name=%s Tool\r\n// Company=%s\r\n// Product=%s\r\n' \
            "$name" "$COMPANY" "$name"
        printf '// NoUninstall=0\r\n// NoLicense=0\r\n'
        case " $* " in *" Version="*) ;; *) printf '// Version=1.0\r\n' ;; esac
        for s; do printf '// %s\r\n' "$s"; done
        if [ "$init" != - ]; then
            printf '\r\ninit()\r\n{\r\n    return %s;\r\n}\r\n' "$init"
        fi
        printf '\r\ninstall()\r\n{\r\n    return %s;\r\n}\r\n' "$install"
    } >"$dir/Install.ini"
    "$VPACK" build "$dir" -o "$WORK/$name.exe" --stub "$SETUP" \
        --uninstaller "${UNINST:-$MID}" >"$WORK/vpack.out" 2>&1 ||
        fail "vpack failed for $name: $(cat "$WORK/vpack.out")"
    case " $PRODUCTS " in
    *" $name "*) ;;
    *)
        PRODUCTS="$PRODUCTS $name"
        "$WINE_RUN" reg delete "$UNINSTALL_KEY\\$name" /f </dev/null >/dev/null 2>&1
        ;;
    esac
}

# Windows folder of product NAME: the default destination.
appdir_win() { printf 'C:\\Program Files\\%s\\%s' "$COMPANY" "$1"; }

# ---- runs ----

# install NAME TEXT [again]: runs NAME's setup through welcome, licence
# (the box ticked), destination (the default folder: made without a
# question, or with again there already, and Yes to installing into it)
# and the install page; the finished page must show TEXT; Close ends setup
# with exit code 0.  The finished page's list is in $OUT.  Each click is
# posted after the last one, so no step can overtake another, save for a
# box: its own message loop would take the next click, hence the wait.
install() {
    set -- "$1" "$2" "${3:-}" "$(appdir_win "$1")"
    if [ "$3" = again ]; then
        set -- "$@" wait-window Install expect-text Install "The directory:

$4

already exists. Do you want install to it?" click Install Yes wait-gone Install
    fi
    exe=$1 text=$2
    shift 4
    drive 0 run "$(winpath "$WORK/$exe.exe")" -- wait-window "$FRAME" \
        click "$FRAME" "$NEXT" click "$FRAME" "$AGREE" \
        click "$FRAME" "$NEXT" click "$FRAME" "$NEXT" "$@" click "$FRAME" "$NEXT" \
        expect-text "$FRAME" Close list click "$FRAME" Close \
        wait-gone "$FRAME" expect-exit 0
    visible=$(grep '^  window ' "$OUT" | grep -vc ' hidden')
    [ "$visible" = 1 ] || fail "$exe: $visible visible windows at the end, expected the wizard alone"
    pages=$(awk '/^    child .* class "#32770"/ { i++; if ($0 !~ / hidden/) print i - 1 }' "$OUT" | tr '\n' ' ')
    [ "$pages" = "4 " ] || fail "$exe: visible pages '$pages' at the end, expected the finished page 4"
    finished_control 1003 "$text" shown
}

OK_TEXT='Installation completed succesfully.\\nNAME Tool was succesfully installed on your computer.\\nUse \\"Start Menu\\" to access programs.\\n\\nYou may uninstall the installed program by using \\"Add/Remove programs\\" applet\\nin Control Panel.\\n\\nClick \\"Close\\" to exit setup.'
FAIL_TEXT='Error installing NAME Tool!\\nAll changes made so far were undone.\\n\\nVerify your free disk space or download latest version.\\n\\nClick \\"Close\\" to exit setup.'

# succeeds NAME [again] / fails NAME [again]: an install run and its
# finished page.
succeeds() {
    install "$1" "$(printf "%s" "$OK_TEXT" | sed "s/NAME/$1/")" "${2:-}"
    finished_control 1004 'There is no need to reboot Windows.' shown
    finished_control 1011 'Yes, reboot Windows now' hidden
}
fails() {
    install "$1" "$(printf "%s" "$FAIL_TEXT" | sed "s/NAME/$1/")" "${2:-}"
    finished_control 1004 'There is no need to reboot Windows.' hidden
    finished_control 1011 'Yes, reboot Windows now' hidden
    finished_control 1012 'No, I will restart it later' hidden
}

# finished_control ID TEXT STATE: the page shown has the control ID with
# TEXT (an extended regex), shown or hidden.
finished_control() {
    line=$(awk '/^    child .* class "#32770"/ { on = $0 !~ / hidden/ } on' "$OUT" |
        grep -E "^      child [0-9A-Fa-f]+ class \"[A-Za-z]+\" text \"$2\" id $1( |$)")
    [ -n "$line" ] || { fail "finished page has no control $1 \"$2\""; return; }
    case "$3:$line" in
    shown:*hidden*) fail "finished page control $1 hidden" ;;
    hidden:*hidden*) ;;
    hidden:*) fail "finished page control $1 shown" ;;
    esac
}

# silent NAME: NAME's setup ends without a window, exit code 0.
silent() {
    drive 0 run "$(winpath "$WORK/$1.exe")" -- expect-no-window expect-exit 0
}

# cancelled NAME: NAME's setup shows its welcome page; Cancel ends it.
cancelled() {
    drive 0 run "$(winpath "$WORK/$1.exe")" -- wait-window "$FRAME" \
        expect-text "$FRAME" " Welcome " click "$FRAME" Cancel \
        wait-gone "$FRAME" expect-exit 0
}

# ---- effects ----

# reg_is KEY VALUE DATA: the REG_SZ value holds DATA ("<none>": no value).
reg_is() {
    got=$(reg query "$1" /v "$2" | sed -n "s/^    $2    REG_SZ    //p")
    [ -n "$got" ] || got="<none>"
    [ "$got" = "$3" ] || fail "$1 value $2: '$got', expected '$3'"
}
# key_gone KEY / key_there KEY
key_gone() {
    if "$WINE_RUN" reg query "$1" </dev/null >/dev/null 2>&1; then
        fail "key $1 is there: $(reg query "$1" /s | tr '\n' '|')"
    fi
}
key_there() {
    "$WINE_RUN" reg query "$1" </dev/null >/dev/null 2>&1 || fail "no key $1"
}

# log_is FILE COMPANY PRODUCT DIR [FOLDER...]: FILE is the undo log of one
# product entry (kind 1, mask 7, three CR LF-ended texts), then a folder
# entry (kind 2, mask 1) for each FOLDER the run made, and nothing else.
log_is() {
    file=$1
    printf 'log1\001\000\000\000\007\000\000\000%s\r\n%s\r\n%s\r\n' \
        "$2" "$3" "$4" >"$WORK/log.want"
    shift 4
    for folder; do
        printf '\002\000\000\000\001\000\000\000%s\r\n' "$folder" >>"$WORK/log.want"
    done
    if [ ! -f "$file" ]; then
        fail "no log $file"
    elif ! cmp -s "$file" "$WORK/log.want"; then
        fail "log $file: $(od -An -c "$file" | tr -s ' \n' ' '), expected $(od -An -c "$WORK/log.want" | tr -s ' \n' ' ')"
    fi
}

# vuninst_is FIXTURE: the Windows folder's vuninst.exe is FIXTURE's bytes.
vuninst_is() {
    cmp -s "$VUNINST" "$1" || fail "vuninst.exe is not $(basename "$1")"
}

# registered NAME LOG: product NAME's Add/Remove Programs entry, as the
# registry holds it and as Wine's uninstaller lists it.
registered() {
    reg_is "$UNINSTALL_KEY\\$1" DisplayName "$1 Tool"
    reg_is "$UNINSTALL_KEY\\$1" UninstallString "\"C:\\windows\\vuninst.exe\" $2"
    "$WINE_RUN" uninstaller --list </dev/null 2>/dev/null | tr -d '\r' >"$WORK/list.txt"
    grep -qxF "$1|||$1 Tool" "$WORK/list.txt" ||
        fail "Wine's uninstaller does not list '$1|||$1 Tool': $(tr '\n' '|' <"$WORK/list.txt")"
}

# unregistered NAME: no product key, no entry, no folder, no log left.
unregistered() {
    key_gone "$COMPANY_KEY\\$1"
    key_gone "$UNINSTALL_KEY\\$1"
    [ -e "$COMPANY_DIR/$1" ] && fail "folder $COMPANY_DIR/$1 is there: $(ls -A "$COMPANY_DIR/$1")"
    if "$WINE_RUN" uninstaller --list </dev/null 2>/dev/null | grep -q "^$1|||"; then
        fail "Wine's uninstaller still lists $1"
    fi
}

# snapshot FILE: what a run could touch: the company key and its tree, the
# row's entries in the uninstall list, the company's folders and files.
snapshot() {
    {
        echo "[company key]"
        reg query "$COMPANY_KEY" /s
        for p in $PRODUCTS; do
            echo "[entry $p]"
            reg query "$UNINSTALL_KEY\\$p" /s
        done
        echo "[files]"
        if [ -d "$COMPANY_DIR" ]; then
            (cd "$COMPANY_DIR" && find . -printf '%y %s %p\n' | sort)
        fi
        echo "[vuninst]"
        cksum <"$VUNINST" 2>/dev/null
    } >"$1"
}

# same_as FILE WHAT: a new snapshot equals FILE.
same_as() {
    snapshot "$1.after"
    if ! cmp -s "$1" "$1.after"; then
        fail "$2 changed: $(diff "$1" "$1.after" | tr '\n' '|')"
    fi
}

# Everything of the row's: keys, entries, folders and vuninst.exe.
cleanup() {
    "$WINE_RUN" reg delete "$COMPANY_KEY" /f </dev/null >/dev/null 2>&1
    for p in $PRODUCTS; do
        "$WINE_RUN" reg delete "$UNINSTALL_KEY\\$p" /f </dev/null >/dev/null 2>&1
    done
    rm -rf "$COMPANY_DIR" "$VUNINST"
}

