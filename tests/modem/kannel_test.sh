#!/bin/bash
# dtusms against a real Kannel on loopback: send and batch --send through smsbox's sendsms, the
# replies and delivery reports coming back to --gateway-listen. Usage: kannel_test.sh DTUSMS
set -u
DTUSMS=$1
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/kannel-harness.sh"

if ! kannel_install; then
    echo "Kannel (Debian's kannel and kannel-extras) is not installed and cannot be installed here"
    exit 1
fi
WORK=$(mktemp -d)
trap "kannel_stop" EXIT
read -r RECEIVER UNUSED < <(kannel_free_port 2)
kannel_start "$WORK" "$RECEIVER" || { cat "$WORK"/*.out; exit 1; }

passed=0
failed=0
check() {  # check NAME CONDITION...
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $name"
        echo "--- out:"; cat "$WORK/out" 2>/dev/null
        echo "--- err:"; cat "$WORK/err" 2>/dev/null
    fi
}
has() { grep -qF -- "$2" "$1"; }
lacks() { ! grep -qF -- "$2" "$1"; }

FIELDS=(--dtu 12345678901 --ip 10.0.0.1 --port 5000 --apn cmnet)
COMMAND='A55A#1*10.0.0.1*5000#3*CMNET#4*12345678901'
PHONE=+8613800000001

# send: the command reaches the SMSC as it is, Kannel's answer and the delivery report are shown,
# and the DTU's reply (sent by fakesmsc every half second) comes back through the receiver.
kannel_fakesmsc -i 0.5 -m 200 "8613800000001 10086 text CONFIG OK"
"$DTUSMS" send --modem "$KANNEL_SENDSMS_URL" --gateway-listen "127.0.0.1:$RECEIVER" --phone "$PHONE" \
    "${FIELDS[@]}" --wait-reply 20 >"$WORK/out" 2>"$WORK/err"
status=$?
sleep 0.5
check "send exits 0" test "$status" = 0
check "send: the SMSC got the command" has "$KANNEL_FAKESMSC_LOG" "10086 $PHONE text ($COMMAND)"
check "send: the reference" grep -qE '^sent: [0-9a-f]{8}-1$' "$WORK/out"
check "send: Kannel's answer in words" has "$WORK/out" "gateway: Accepted for delivery"
check "send: the reply" has "$WORK/out" "reply: CONFIG OK"

# A reply in UCS-2 is decoded (coding=2, the text as UTF-16 octets). Each case has a DTU number of
# its own, so that a reply of an earlier case still on its way never passes for this one's.
kannel_fakesmsc -i 0.5 -m 200 "8613800000002 10086 ucs2 %4E%2D%65%87%00O%00K"
"$DTUSMS" send --modem "$KANNEL_SENDSMS_URL" --gateway-listen "127.0.0.1:$RECEIVER" --phone +8613800000002 \
    "${FIELDS[@]}" --wait-reply 20 >"$WORK/out" 2>"$WORK/err"
check "send: a UCS-2 reply" grep -qxF "reply: 中文OK" "$WORK/out"

# The delivery report comes back at /kannel/dlr with the reference dtusms gave the part.
kannel_fakesmsc -i 2 -m 200 "8613800000003 10086 text LATE"
"$DTUSMS" send --modem "$KANNEL_SENDSMS_URL" --gateway-listen "127.0.0.1:$RECEIVER" --phone +8613800000003 \
    "${FIELDS[@]}" --wait-reply 20 >"$WORK/out" 2>"$WORK/err"
reference=$(sed -n 's/^sent: //p' "$WORK/out")
check "send: the delivery report" has "$WORK/out" "delivery: $reference: delivered"

# A wrong password: Kannel's refusal in its words, exit status 1, nothing sent.
wrong=${KANNEL_SENDSMS_URL/s3cret/wrong}
"$DTUSMS" send --modem "$wrong" --phone "$PHONE" "${FIELDS[@]}" >"$WORK/out" 2>"$WORK/err"
status=$?
check "refused: exit 1" test "$status" = 1
check "refused: Kannel's words" has "$WORK/err" "The gateway refused part 1: Authorization failed for sendsms"
check "refused: nothing sent" lacks "$WORK/out" "sent:"

# Nothing listens: said so, exit status 1.
"$DTUSMS" send --modem "http://u:p@127.0.0.1:$UNUSED/cgi-bin/sendsms" --phone "$PHONE" \
    "${FIELDS[@]}" >"$WORK/out" 2>"$WORK/err"
status=$?
check "unreachable: exit 1" test "$status" = 1
check "unreachable: said so" has "$WORK/err" "Cannot reach the gateway http://127.0.0.1:"

# batch --send: every row reaches the SMSC once, and the output records the references without the
# gateway's password.
kannel_fakesmsc -m 0 "8613800000001 10086 text none"
printf 'dtu,phone,type,mode,ip,port,apn\r\n' >"$WORK/in.csv"
for n in 1 2 3; do
    printf '1234567890%d,+861380000000%d,,static,10.0.0.%d,5000,cmnet\r\n' "$n" "$n" "$n" >>"$WORK/in.csv"
done
"$DTUSMS" batch "$WORK/in.csv" --send --modem "$KANNEL_SENDSMS_URL" --output "$WORK/sent.csv" \
    >"$WORK/out" 2>"$WORK/err"
status=$?
sleep 0.5
check "batch exits 0" test "$status" = 0
for n in 1 2 3; do
    check "batch: row $n reached the SMSC" \
        has "$KANNEL_FAKESMSC_LOG" "10086 +861380000000$n text (A55A#1*10.0.0.$n*5000#3*CMNET#4*1234567890$n)"
done
check "batch: three messages" test "$(grep -c 'Got message' "$KANNEL_FAKESMSC_LOG")" = 3
check "batch: references in the output" test "$(grep -cE ',[0-9a-f]{8}-[0-9]+,' "$WORK/sent.csv")" = 3
check "batch: no password in the output" lacks "$WORK/sent.csv" "s3cret"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
