#!/usr/bin/env bash
# With a stored key: profile and platform picked with the keyboard, the button, the save
# dialog answered with a typed path, "Done!", and the file holds the mentions.
#
#   fetch.sh APP_BINARY FAKE_SERVICE_BINARY WORK_DIR
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

new_user
store_key "$PW_KEY"
out="$sdir/out/fetched mentions.txt"
open_with_stored_key || exit 1
log_start=$(wc -l <"$work/requests.log")

id=${PW_PROFILE_IDS[0]} total=${PW_PROFILE_TOTALS[0]}
fetch_video_into "$out" || exit 1
if ! wait_dialog 60; then
    fail "no message after the fetch"
    exit 1
fi
shot "done"
"$fake_bin" --expected-lines video "$total" >"$sdir/expected.txt"
if ! cmp -s "$sdir/expected.txt" "$out"; then
    fail "the output file $out does not hold the $total video mentions ($sdir/expected.txt);" \
        "$(diff "$sdir/expected.txt" "$out" 2>&1 | head -n 5 | tr '\n' ' ')"
    exit 1
fi
# The details, then a page for every hundred mentions, the first without a number.
made=$(tail -n +"$((log_start + 1))" "$work/requests.log" | sed 's/&api_key=.*//')
want="/api/profile/details?profile_id=$id"
for ((page = 0; page * 100 < total; page++)); do
    if ((page == 0)); then
        want+=$'\n'"/api/video/mentions?profile_id=$id"
    else
        want+=$'\n'"/api/video/mentions?profile_id=$id&page_number=$page"
    fi
done
if [ "$made" != "$want" ]; then
    fail "unexpected requests for the fetch:" "$(echo "$made" | tr '\n' ' ')"
    exit 1
fi
dismiss_dialog "\"Done!\"" || exit 1
quit_app || exit 1
e2e_pass
