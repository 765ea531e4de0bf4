# Steps the window scripts share; sourced, not run.

# Waits up to $1 seconds until the command $2... succeeds; fails when it never does.
wait_until() {
    local tenths=$(($1 * 10))
    shift
    until "$@"; do
        tenths=$((tenths - 1))
        [ "$tenths" -gt 0 ] || return 1
        sleep 0.1
    done
}

# Starts Wren (path $1) on WREN_DATA_DIR under a virtual X server, answers the
# recovery question with Return (Yes), saves with Ctrl+S and kills the program.
take_recovery_offer_and_save() {
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c "$(declare -f wait_until)"'
        "$1" & pid=$!
        box=$(timeout 20 xdotool search --sync --onlyvisible --name "^Wren\$" | head -1)
        xdotool windowfocus --sync "$box"
        sleep 0.5
        xdotool key --clearmodifiers Return
        # The question box goes and the main window comes.
        main_window() { win=$(xdotool search --onlyvisible --name "^Wren\$" | grep -vx "$box" | head -1); [ -n "$win" ]; }
        wait_until 20 main_window
        xdotool windowfocus --sync "$win"
        xdotool key --clearmodifiers ctrl+s
        # Saving removes the recovery file; the caller checks that it did.
        saved() { ! [ -e "$WREN_DATA_DIR/Recovery.json" ]; }
        wait_until 10 saved || true
        kill -9 $pid
        wait $pid || true
    ' _ "$1"
}
