#!/bin/bash
# reproducible.sh OBJDUMP FILE...
# The time stamps a PE file can carry are all 0, so two builds of one
# commit give the same bytes: the file header's (ld --no-insert-timestamp),
# the export table's, every resource directory table's; and there is no
# debug directory, which would carry one more.  objdump reads the files,
# not our own code.
set -u
objdump=$1
shift
fails=0
fail() { echo "FAIL: $1: $2"; fails=$((fails + 1)); }

check_file() {
  local f=$1 dump stamp n bad
  if ! dump=$(TZ=UTC LC_ALL=C "$objdump" -p "$f" 2>&1); then
    fail "$f" "objdump: $dump"; return
  fi
  # "Time/Date<tabs>Thu Jan  1 00:00:00 1970" is 0 (objdump prints ctime).
  stamp=$(printf '%s\n' "$dump" | sed -n '/^Time\/Date stamp/!s/^Time\/Date[[:space:]]*//p')
  [ -n "$stamp" ] || fail "$f" "no Time/Date line in the file header"
  [ "$stamp" = "Thu Jan  1 00:00:00 1970" ] ||
    fail "$f" "file header Time/Date is '$stamp', want the epoch (0)"
  # The export table, where there is one (the DLL).
  if printf '%s\n' "$dump" | grep -q '^There is an export table'; then
    stamp=$(printf '%s\n' "$dump" | sed -n 's/^Time\/Date stamp[[:space:]]*//p')
    [ "$stamp" = "0" ] || fail "$f" "export table Time/Date stamp is '$stamp', want 0"
  fi
  # Every resource directory table: "Type Table: ..., Time: 00000000, ...".
  n=$(printf '%s\n' "$dump" | grep -c ' Table: .*Time: ')
  bad=$(printf '%s\n' "$dump" | grep ' Table: .*Time: ' | grep -vc 'Time: 00000000,')
  [ "$n" -gt 0 ] || fail "$f" "no resource directory tables (the program has resources)"
  [ "$bad" -eq 0 ] || fail "$f" "$bad of $n resource directory tables carry a time"
  # The debug directory (data directory entry 6) is empty.
  printf '%s\n' "$dump" | grep -q '^Entry 6 0\{8,16\} 00000000 Debug Directory' ||
    fail "$f" "has a debug directory: $(printf '%s\n' "$dump" | grep '^Entry 6 ')"
  echo "checked $f"
}

[ $# -gt 0 ] || { echo "usage: reproducible.sh OBJDUMP FILE..."; exit 2; }
for f in "$@"; do check_file "$f"; done
[ "$fails" -eq 0 ] || { echo "$fails failure(s)"; exit 1; }
echo "all stamps 0 in $# files"
