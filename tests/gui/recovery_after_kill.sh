#!/usr/bin/env bash
# Types into an entry of a real Wren window under a virtual X server, kills the
# program with SIGKILL, starts it again, accepts the offer to put the text back,
# saves, and checks that the typed text reached the entry table.
set -euo pipefail
. "$(dirname "$0")/window_steps.sh"
wren=$1
demo=$2

work=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
"$demo" "$work/data" >/dev/null
# A real X server this time, whatever the rest of the suite uses.
export WREN_DATA_DIR=$work/data TMPDIR=$work QT_QPA_PLATFORM=xcb

run() {
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c "$(declare -f wait_until); $1"
}

# The window takes the keyboard at start; the editor has the focus.
run "
    '$wren' & pid=\$!
    win=\$(timeout 20 xdotool search --sync --onlyvisible --name '^Wren\$' | head -1)
    xdotool windowfocus --sync \"\$win\"
    sleep 1
    xdotool type --delay 20 'Typed before the crash'
    kept() { grep -q 'Typed before the crash' '$work/data/Recovery.json' 2>/dev/null; }
    wait_until 10 kept || true
    kill -9 \$pid
    wait \$pid || true
"
test -s "$work/data/Recovery.json" || { echo "no recovery file after the kill"; exit 1; }
grep -q "Typed before the crash" "$work/data/Recovery.json" || { echo "recovery file lacks the text"; exit 1; }

# Again: the question box comes first, before the main window shows; Return
# answers Yes. Ctrl+S then saves the entry.
take_recovery_offer_and_save "$wren"
if [ -e "$work/data/Recovery.json" ]; then
    echo "the recovery file is still there after saving"
    exit 1
fi
count=$(sqlite3 "$work/data/Journal.DAT" "SELECT COUNT(*) FROM Journal WHERE Entry LIKE '%Typed before the crash%'")
if [ "$count" != 1 ]; then
    echo "expected the typed text in one entry, found $count"
    exit 1
fi
echo "typed text recovered after SIGKILL"
