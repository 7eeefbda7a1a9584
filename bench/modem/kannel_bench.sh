#!/bin/bash
# Through a real Kannel on loopback (fakesmsc as the SMSC), COUNT rows (default 2000) sent with
# `dtusms batch --send`, with the receiver for delivery reports (--gateway-listen) and without.
# Reported: the total, and the time per SMS that dtusms adds beyond Kannel's own answer. Kannel's
# answer time is taken inside the same run, from the moment the sendsms request leaves to the
# moment its answer arrives (strace timestamps of those two system calls); everything else the run
# spends (start, reading the CSV, composing, the journal, writing the output) is dtusms's. strace
# itself slows the program, so the figure is an upper bound. Run by hand:
#   bench/modem/kannel_bench.sh BUILD_DIR [COUNT]
set -eu
BUILD=$(cd "$1" && pwd)
COUNT=${2:-2000}
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/../../tests/modem/kannel-harness.sh"
kannel_install
command -v strace >/dev/null || apt-get install -y -q strace >/dev/null
WORK=$(mktemp -d)
trap 'kannel_stop; rm -rf "$WORK"' EXIT
read -r RECEIVER < <(kannel_free_port 1)
kannel_start "$WORK" "$RECEIVER"
kannel_fakesmsc -m 0 "8613800000001 10086 text none"

printf 'dtu,phone,type,mode,ip,port,apn\r\n' >"$WORK/in.csv"
for ((i = 0; i < COUNT; i++)); do
    printf '%d,+86139%d,,static,10.0.0.1,5000,cmnet\r\n' $((10000000000 + i)) $((10000000 + i)) >>"$WORK/in.csv"
done
# Kannel's first requests are slow while it warms up; a few before the measured runs.
"$BUILD/bench/modem/bench_kannel_answer" "$KANNEL_SENDSMS_PORT" dtusms s3cret 50 >/dev/null

run() {  # run NAME [OPTIONS...]; the rows go to WORK/NAME.csv
    local name=$1
    shift
    local start end
    start=$(date +%s.%N)
    strace -f -ttt --seccomp-bpf -e trace=sendto,recvfrom -o "$WORK/$name.trace" \
        "$BUILD/app/dtusms" batch "$WORK/in.csv" --send --quiet --modem "$KANNEL_SENDSMS_URL" "$@" \
        >"$WORK/$name.stdout"
    end=$(date +%s.%N)
    [ -f "$WORK/$name.csv" ] || mv "$WORK/$name.stdout" "$WORK/$name.csv"
    local sent
    sent=$(grep -cE ',ok,[0-9a-f]{8}-[0-9]+,' "$WORK/$name.csv" || true)
    # Kannel's share: from each sendsms request written to the first bytes of its answer read.
    local kannel
    kannel=$(awk '
        /sendto\(.*"GET \/cgi-bin\/sendsms/ { pending[$1] = $2 }
        /recvfrom/ && /"HTTP\/1\.[01] / { if ($1 in pending) { sum += $2 - pending[$1]; n++; delete pending[$1] } }
        END { printf "%.6f %d", sum, n }' "$WORK/$name.trace")
    read -r kannel_s answers <<<"$kannel"
    awk -v name="$name" -v total="$(echo "$end - $start" | bc)" -v kannel="$kannel_s" -v n="$COUNT" \
        -v answers="$answers" -v sent="$sent" 'BEGIN {
        printf "%s: %d of %d rows sent, %d answers timed; total %.2f s (%.3f ms per SMS), Kannel %.3f ms per SMS, added by dtusms %.3f ms per SMS\n",
            name, sent, n, answers, total, total * 1000 / n, kannel * 1000 / n, (total - kannel) * 1000 / n }'
}

# To standard output: no journal. To a file: the journal records each row before and after it is
# sent, on disk (two flushes to the disk per row). With the receiver: Kannel calls back with two
# delivery reports per SMS.
run stdout
run journal --output "$WORK/journal.csv"
run journal+receiver --output "$WORK/journal+receiver.csv" --gateway-listen "127.0.0.1:$RECEIVER"
echo "for comparison, the thinnest client (a new connection per request, Connection: close):"
"$BUILD/bench/modem/bench_kannel_answer" "$KANNEL_SENDSMS_PORT" dtusms s3cret "$COUNT"
