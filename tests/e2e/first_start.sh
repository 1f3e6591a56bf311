#!/usr/bin/env bash
# First start without a key: the prompt; the key typed and validated; the profiles listed
# and the key stored; a restart lists them at opening without a prompt.
#
#   first_start.sh APP_BINARY FAKE_SERVICE_BINARY WORK_DIR
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

start_without_key || exit 1
shot prompt
dismiss_dialog "key prompt" || exit 1
wait_main_window || exit 1
if [ -e "$(prefs_file)" ]; then
    fail "a preferences file exists before any key was validated"
    exit 1
fi

# From the key field (the focus at opening) to the profile popup: one row, "Select One".
focus "$MAIN" || true
press Tab
measure_popup "profiles-before" || exit 1
one_row=$POPUP_HEIGHT

# Back to the key field, the key typed over whatever is there, on to the button.
lists_before=$(request_count "/api/profile/list_all?api_key=$PW_KEY\$")
press shift+Tab ctrl+a
type_text "$PW_KEY"
press Tab Tab Tab space
if ! wait_dialog 20; then
    fail "no message after pressing the button with a valid key"
    exit 1
fi
shot validated
if ! wait_requests 1 "/api/profile/list_all?api_key=$PW_KEY\$" $((lists_before + 1)); then
    fail "the button sent no profile-list request with the typed key"
    exit 1
fi
dismiss_dialog "\"API Key Validated!\"" || exit 1

# Accepted: the key is stored and the profiles are listed (a second profile-list call).
prefs_record "$PW_KEY" >"$sdir/expected-prefs"
if ! wait_for 20 cmp -s "$sdir/expected-prefs" "$(prefs_file)"; then
    fail "the validated key was not stored as one length-prefixed string in $(prefs_file)"
    exit 1
fi
if ! wait_requests 20 "/api/profile/list_all?api_key=$PW_KEY\$" $((lists_before + 2)); then
    fail "the profiles were not listed after the validation"
    exit 1
fi
if has_other_window; then
    fail "an unexpected dialog after the validation"
    exit 1
fi
quit_app || exit 1

# A restart with the stored key: the profiles are listed at opening, without a prompt.
open_with_stored_key || exit 1
focus "$MAIN" || true
press Tab
measure_popup "profiles" || exit 1
profile_rows=$POPUP_HEIGHT
press Tab
measure_popup "platforms" || exit 1
four_rows=$POPUP_HEIGHT
# "Select One" and the profiles against the four platforms, a row's height each.
profiles=${#PW_PROFILE_IDS[@]}
row=$(((four_rows - one_row) / 3))
diff=$((profile_rows - one_row - profiles * row))
if ((row <= 0 || diff < -3 || diff > 3)); then
    fail "the profile popup does not list \"Select One\" and the $profiles profiles" \
        "(popup heights: 1 row $one_row px, profiles $profile_rows px, 4 platforms $four_rows px)"
    exit 1
fi
quit_app || exit 1
e2e_pass
