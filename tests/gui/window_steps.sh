# Steps the window scripts share; sourced, not run.

# Starts Wren (path $1) on WREN_DATA_DIR under a virtual X server, answers the
# recovery question with Return (Yes), saves with Ctrl+S and kills the program.
take_recovery_offer_and_save() {
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c "
        '$1' & pid=\$!
        box=\$(timeout 20 xdotool search --sync --onlyvisible --name '^Wren\$' | head -1)
        xdotool windowfocus --sync \"\$box\"
        sleep 0.5
        xdotool key --clearmodifiers Return
        sleep 1.5
        win=\$(xdotool search --onlyvisible --name '^Wren\$' | head -1)
        xdotool windowfocus --sync \"\$win\"
        xdotool key --clearmodifiers ctrl+s
        sleep 1
        kill -9 \$pid
        wait \$pid || true
    "
}
