#!/usr/bin/env bash
# Types steadily into a real Wren window under a virtual X server and kills the
# program with SIGKILL while the typing goes on, at several moments. After each
# kill every word typed more than a second before it must be in the recovery
# file; at the end a restart takes the offer and the text is in the editor's
# entry once it is saved.
set -euo pipefail
. "$(dirname "$0")/window_steps.sh"
wren=$1
demo=$2
kills=${3:-"1.3 2.6 4.4"}

work=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export TMPDIR=$work QT_QPA_PLATFORM=xcb

round=0
lost_total=0
for after in $kills; do
    round=$((round + 1))
    data=$work/data$round
    "$demo" "$data" >/dev/null
    log=$work/typed$round.log
    : >"$log"
    WREN_DATA_DIR=$data xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c "
        '$wren' & pid=\$!
        win=\$(timeout 20 xdotool search --sync --onlyvisible --name '^Wren\$' | head -1)
        xdotool windowfocus --sync \"\$win\"
        sleep 1
        start=\$(date +%s.%N)
        (
            for i in \$(seq 1 400); do
                xdotool type --delay 15 \" w\$i\"
                echo \"\$(date +%s.%N) w\$i\" >>'$log'
            done
        ) &
        typer=\$!
        sleep $after
        kill -9 \$pid
        echo \"\$(date +%s.%N) KILL\" >>'$log'
        kill \$typer 2>/dev/null || true
        wait \$pid || true
    "
    kill_at=$(awk '$2 == "KILL" {print $1}' "$log")
    recovery=$data/Recovery.json
    test -s "$recovery" || { echo "round $round: no recovery file after a kill ${after}s into the typing"; exit 1; }
    # Every word finished more than a second before the kill must be kept.
    missing=0
    while read -r at word; do
        [ "$word" = KILL ] && continue
        if awk -v a="$at" -v k="$kill_at" 'BEGIN { exit !(k - a > 1.0) }'; then
            grep -qE " ${word}([^0-9]|\$)" "$recovery" || missing=$((missing + 1))
        fi
    done <"$log"
    typed=$(grep -vc KILL "$log")
    kept=$(grep -oE ' w[0-9]+' "$recovery" | wc -l)
    echo "round $round: killed ${after}s into the typing; $typed words typed, $kept in the recovery file, $missing older than a second missing"
    lost_total=$((lost_total + missing))
done
if [ "$lost_total" -ne 0 ]; then
    echo "words typed more than a second before a kill were lost"
    exit 1
fi

# The last round's text comes back: Return answers Yes, Ctrl+S saves it.
export WREN_DATA_DIR=$data
take_recovery_offer_and_save "$wren"
first=$(awk 'NR == 1 {print $2}' "$log")
count=$(sqlite3 "$data/Journal.DAT" "SELECT COUNT(*) FROM Journal WHERE Entry LIKE '% $first %'")
[ "$count" = 1 ] || { echo "the recovered text did not reach the entry table ($count)"; exit 1; }
# A session that ends sends SIGTERM: the window closes without asking, writes
# its placement and keeps the unsaved text for the next start.
data=$work/dataterm
"$demo" "$data" >/dev/null
WREN_DATA_DIR=$data xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c "
    '$wren' & pid=\$!
    win=\$(timeout 20 xdotool search --sync --onlyvisible --name '^Wren\$' | head -1)
    xdotool windowfocus --sync \"\$win\"
    sleep 1
    xdotool type --delay 15 ' typed as the session ended'
    kill -TERM \$pid
    wait \$pid; echo \$? >'$work/term-status'
"
[ "$(cat "$work/term-status")" = 0 ] || { echo "SIGTERM: exit status $(cat "$work/term-status")"; exit 1; }
grep -q "typed as the session ended" "$data/Recovery.json" || { echo "SIGTERM: the typed text was not kept"; exit 1; }
grep -qi "^Width=" "$data/wren.INI" || { echo "SIGTERM: no placement written"; exit 1; }
echo "text typed up to a second before each kill recovered; SIGTERM closed the window and kept the text"
