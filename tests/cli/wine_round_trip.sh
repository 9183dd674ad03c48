#!/usr/bin/env bash
# vantrel-seal.exe under Wine: opens committed vectors (a Chinese password given as UTF-8
# included), seals to their exact bytes, round-trips through a pipe, and leaves no file behind
# after a refusal. Usage: wine_round_trip.sh TOOL.exe DATA_DIR
set -euo pipefail
tool=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }
run() { wine "$tool" "$@"; }

printf '密码123\r\n' >pw.txt
run unseal --password-file pw.txt -o out.txt "$data/chinese_crlf.sealed" || fail "unseal vector"
cmp -s out.txt "$data/chinese_crlf.payload" || fail "vector payload differs"

run seal --password-file pw.txt -o again.sealed "$data/chinese_crlf.payload" || fail "seal"
cmp -s again.sealed "$data/chinese_crlf.sealed" || fail "sealed bytes differ from the vector"

head -c 100000 /dev/urandom >random.bin
PW='秘密 key' run seal --password-env PW random.bin | PW='秘密 key' run unseal --password-env PW >back.bin \
  || fail "pipe round trip"
cmp -s random.bin back.bin || fail "pipe round trip differs"

printf 'wrong\n' >wrong.txt
status=0
run unseal --password-file wrong.txt -o refused.txt "$data/chinese_crlf.sealed" 2>err.txt || status=$?
[ "$status" -eq 1 ] || fail "wrong password gave status $status"
[ ! -e refused.txt ] || fail "output left after a refusal"
ls | grep -q '\.tmp$' && fail "temporary file left behind"

status=0
run seal --password-file pw.txt -o out.txt random.bin 2>err.txt || status=$?
[ "$status" -eq 2 ] || fail "existing output without -f gave status $status"
cmp -s out.txt "$data/chinese_crlf.payload" || fail "existing output was changed"
echo "ok"
