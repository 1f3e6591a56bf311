#!/usr/bin/env bash
# Ending the program from outside: SIGTERM (a logout, kill), SIGINT (Ctrl+C in its
# terminal) and SIGHUP (its terminal closed), each sent with kill during a page of a fetch
# that answers late, and when the program waits for the user. Each time the program ends
# within seconds with status 0 as a quit does and shows nothing more, no process of the
# running command line is left, its scratch folder is gone from the temporary folder the
# program was given, and once the late page would have come the file still holds exactly
# the whole pages before it.
#
#   signals.sh APP_BINARY FAKE_SERVICE_BINARY WORK_DIR
source "$(dirname "$0")/lib.sh"

late_page=2      # this page of mentions is answered whole, but only after
late_seconds=4   # this long
fake_options=(--late-page "$late_page" --late-seconds "$late_seconds")
e2e_begin "$@"

# Whether the process PID ignores signal SIG (as one started in the background by a shell
# without job control, or by nohup, may): the program then rightly keeps ignoring it.
ignores() {
    local mask number
    mask=$(sed -n 's/^SigIgn:[[:space:]]*//p' "/proc/$1/status") || return 1
    number=$(kill -l "$2")
    (((16#$mask >> (number - 1)) & 1))
}

temporary=$sdir/tmp
fresh_temporary() { rm -rf -- "$temporary" && mkdir -p "$temporary"; }
temporary_empty() { [ -z "$(ls -A "$temporary")" ]; }

id=${PW_PROFILE_IDS[0]} total=${PW_PROFILE_TOTALS[0]}
if ((total <= late_page * 100)); then
    fail "the first profile has $total mentions: no page $late_page to answer late"
    exit 1
fi
page_target="/api/video/mentions?profile_id=$id&page_number=$late_page&"
"$fake_bin" --expected-lines video $((late_page * 100)) >"$sdir/expected.txt"

for signal in TERM INT HUP; do
    # a. During the late page of a fetch.
    new_user
    fresh_temporary
    store_key "$PW_KEY"
    out="$sdir/out/fetched mentions.txt"
    TMPDIR=$temporary open_with_stored_key || exit 1
    if ignores "$app_pid" "$signal"; then
        log "SIG$signal is ignored by whoever started this test, so the program keeps ignoring it: skipped"
        quit_app || exit 1
        continue
    fi
    asked_before=$(request_count "$page_target")
    fetch_video_into "$out" || exit 1
    if ! wait_requests 30 "$page_target" $((asked_before + 1)); then
        fail "the fetch did not reach page $late_page"
        exit 1
    fi
    asked_at=$(date +%s%N)
    if temporary_empty; then
        fail "no scratch folder of the command runner in TMPDIR ($temporary) during the fetch"
        exit 1
    fi
    end_during "page $late_page of a fetch" kill -s "$signal" "$app_pid" || exit 1
    if ! temporary_empty; then
        fail "SIG$signal left in TMPDIR:" $(ls -A "$temporary")
        exit 1
    fi
    # Until well after the page would have come, and been appended had its line lived on.
    while (($(date +%s%N) - asked_at < (late_seconds + 2) * 1000000000)); do sleep 0.2; done
    if ! cmp -s "$sdir/expected.txt" "$out"; then
        fail "after SIG$signal the output file does not hold exactly the $late_page whole pages before the" \
            "late one; $(wc -l <"$out" 2>&1) lines; $(diff "$sdir/expected.txt" "$out" 2>&1 | head -n 5 | tr '\n' ' ')"
        exit 1
    fi

    # b. While the program waits for the user.
    new_user
    fresh_temporary
    store_key "$PW_KEY"
    TMPDIR=$temporary open_with_stored_key || exit 1
    if ! wait_for 10 no_curl_runs; then
        fail "a curl of the application still runs after the profile list at opening"
        exit 1
    fi
    end_by "the wait for the user" kill -s "$signal" "$app_pid" || exit 1
    if ! temporary_empty; then
        fail "SIG$signal when idle left in TMPDIR:" $(ls -A "$temporary")
        exit 1
    fi
done
e2e_pass
