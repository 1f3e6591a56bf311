#!/usr/bin/env bash
# Ending the program while a request hangs, three ways a person would: Ctrl+Q during a
# key check, File > Quit from the keyboard during the profile list at opening, and the
# window closed with Alt+F4 (the window manager's close) during a page of a fetch. Each
# time the program ends within seconds with status 0 and shows nothing more, every process
# of the running command line ends with it, and the fetch leaves in its file exactly the
# whole pages before the hung one.
#
#   quit.sh APP_BINARY FAKE_SERVICE_BINARY WORK_DIR
source "$(dirname "$0")/lib.sh"

slow_key=0123456789abcdefSLOW   # every answer to this key hangs after half its body
stalled_page=2                  # and so does this page of mentions, for any key
fake_options=(--stall-key "$slow_key" --stall-page "$stalled_page")
e2e_begin "$@"

# a. A key check that hangs, ended with Ctrl+Q: nothing is stored.
start_without_key || exit 1
dismiss_dialog "key prompt" || exit 1
wait_main_window || exit 1
checks_before=$(request_count "/api/profile/list_all?api_key=$slow_key\$")
focus "$MAIN" || true
press ctrl+a
type_text "$slow_key"
press Tab Tab Tab space
if ! wait_requests 20 "/api/profile/list_all?api_key=$slow_key\$" $((checks_before + 1)); then
    fail "the button sent no key check with the typed key"
    exit 1
fi
focus "$MAIN" || log "could not activate the main window"
end_during "the key check" press ctrl+q || exit 1
if [ -e "$(prefs_file)" ]; then
    fail "a key check ended by Ctrl+Q stored a preferences file"
    exit 1
fi

# b. A page that hangs during a fetch, ended by closing the window with Alt+F4.
new_user
store_key "$PW_KEY"
out="$sdir/out/fetched mentions.txt"
open_with_stored_key || exit 1
id=${PW_PROFILE_IDS[0]} total=${PW_PROFILE_TOTALS[0]}
if ((total <= stalled_page * 100)); then
    fail "the first profile has $total mentions: no page $stalled_page to hang"
    exit 1
fi
fetch_video_into "$out" || exit 1
if ! wait_requests 30 "/api/video/mentions?profile_id=$id&page_number=$stalled_page&" 1; then
    fail "the fetch did not reach page $stalled_page"
    exit 1
fi
if has_other_window; then
    shot unexpected-window
    fail "a window other than the main one while page $stalled_page hangs"
    exit 1
fi
focus "$MAIN" || log "could not activate the main window"
end_during "page $stalled_page of a fetch" press alt+F4 || exit 1
"$fake_bin" --expected-lines video $((stalled_page * 100)) >"$sdir/expected.txt"
if ! cmp -s "$sdir/expected.txt" "$out"; then
    fail "the output file does not hold exactly the $stalled_page whole pages before the hung one;" \
        "$(wc -l <"$out" 2>&1) lines; $(diff "$sdir/expected.txt" "$out" 2>&1 | head -n 5 | tr '\n' ' ')"
    exit 1
fi

# c. The profile list at opening hangs (a stored key it never answers), ended with File >
# Quit from the keyboard: the stored key stays as it was.
new_user
store_key "$slow_key"
prefs_record "$slow_key" >"$sdir/expected-prefs"
start_listing "$slow_key" || exit 1
focus "$MAIN" || log "could not activate the main window"
press alt+f
if ! wait_dialog 10; then
    fail "the File menu did not open with Alt+F while the profile list hangs"
    exit 1
fi
shot file-menu
end_during "the profile list at opening" press Down Return || exit 1
if ! cmp -s "$sdir/expected-prefs" "$(prefs_file)"; then
    fail "File > Quit during the profile list at opening changed the preferences file"
    exit 1
fi
e2e_pass
