#!/usr/bin/env bash
# The window opens, is shown and quits with Ctrl+Q and status 0. Without a stored key a
# prompt may come with the window; it is dismissed first. Leaves the window's picture in
# WORK_DIR/window.png (scripts/update-screenshot.sh takes it from there).
#
#   window.sh APP_BINARY FAKE_SERVICE_BINARY WORK_DIR
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

new_user
start_app
wait_opening || exit 1
if wait_dialog 5; then
    log "a dialog came with the window (\"$(window_name "$DIALOG")\"); dismissing it"
    shot prompt
    dismiss_dialog "opening" || exit 1
fi
wait_main_window || exit 1
shot screen
shot_window "$work/window.png" && log "window screenshot $work/window.png"
quit_app || exit 1
e2e_pass
