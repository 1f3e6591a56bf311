#!/usr/bin/env bash
# The real binary in a real X server (Xvfb with openbox), driven through keyboard and mouse
# as a person would, against the fake PondWhirl service on 127.0.0.1.
#
#   run_e2e.sh APP_BINARY FAKE_SERVICE_BINARY WORK_DIR
#
# PW_E2E_SCENARIOS   the scenarios to run, blank-separated (default: all, in order)
# PW_UPDATE_SCREENSHOT=1   also copy the window scenario's screenshot to docs/screenshot.png
#
# Every wait is bounded; everything started here is ended by its PID when the script exits.
set -uo pipefail

ALL_SCENARIOS="window first_start fetch"

if [ $# -ne 3 ]; then
    echo "usage: $0 APP_BINARY FAKE_SERVICE_BINARY WORK_DIR" >&2
    exit 2
fi
app_bin=$(realpath -- "$1")
fake_bin=$(realpath -- "$2")
work=$3
case "$work" in "" | "/" ) echo "refusing work dir '$work'" >&2; exit 2 ;; esac
repo=$(cd "$(dirname "$0")/../.." && pwd)

for tool in Xvfb openbox xdotool xprop xwininfo import identify; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
[ -x "$app_bin" ] || { echo "e2e: no application binary at $app_bin" >&2; exit 1; }
[ -x "$fake_bin" ] || { echo "e2e: no fake service binary at $fake_bin" >&2; exit 1; }

rm -rf -- "$work"
mkdir -p -- "$work"
work=$(realpath -- "$work")

WINDOW_TITLE="PondWhirl Data Downloader"
KEY="0123456789abcdefKEY"           # what the fake service accepts; more than 15 characters
# The service's profiles: "id|name|total".
PROFILES=("7|Acme Corp|250" "9|Beta Labs|30")
# The main window's content (under the menu bar) and the places the scenarios click.
CONTENT_HEIGHT=225
KEY_FIELD_AT="223 74"                # centre of apikeyfield
BUTTON_AT="167 171"                  # centre of PushButton1

# The network stays on 127.0.0.1: no proxy may take a request elsewhere.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY ALL_PROXY all_proxy no_proxy NO_PROXY ftp_proxy FTP_PROXY

log() { printf '[e2e %s] %s\n' "$(date +%H:%M:%S)" "$*"; }

# --- processes ---------------------------------------------------------------------------

started_pids=()       # the X server, the window manager, the fake service; ended in reverse order
xvfb_pid="" wm_pid="" fake_pid=""
app_pid=""            # the application now running; emptied once it has been waited for

# Whether a child still runs (a child that exited stays a zombie until waited for).
running() {
    local state
    state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# stop PID: TERM, then KILL after 5 s; reaps it.
stop_pid() {
    local pid=$1 i
    [ -n "$pid" ] || return 0
    if running "$pid"; then
        kill -TERM "$pid" 2>/dev/null
        for ((i = 0; i < 50; i++)); do running "$pid" || break; sleep 0.1; done
        running "$pid" && kill -KILL "$pid" 2>/dev/null
    fi
    wait "$pid" 2>/dev/null
    return 0
}

cleanup() {
    local i
    stop_app
    for ((i = ${#started_pids[@]} - 1; i >= 0; i--)); do stop_pid "${started_pids[i]}"; done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# wait_for SECONDS COMMAND...: polls COMMAND every 0.1 s until it succeeds.
wait_for() {
    local tries=$(($1 * 10))
    shift
    while ((tries-- > 0)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

start_x() {
    local fd_file=$work/x.display
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fd_file" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    started_pids+=("$xvfb_pid")
    if ! wait_for 20 test -s "$fd_file"; then
        echo "e2e: Xvfb did not start; its log:" >&2
        cat "$work/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$(head -n1 "$fd_file")"
    log "X server on $DISPLAY (pid $xvfb_pid)"

    mkdir -p "$work/wm/config"
    HOME=$work/wm XDG_CONFIG_HOME=$work/wm/config openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    started_pids+=("$wm_pid")
    if ! wait_for 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'; then
        echo "e2e: openbox did not start; its log:" >&2
        cat "$work/openbox.log" >&2
        return 1
    fi
    log "openbox running (pid $wm_pid)"
}

start_fake_service() {
    local args=(--port-file "$work/fake.port" --log "$work/requests.log" --key "$KEY") p id name total
    for p in "${PROFILES[@]}"; do
        IFS='|' read -r id name total <<<"$p"
        args+=(--profile-id "$id" --profile-name "$name" --profile-total "$total")
    done
    : >"$work/requests.log"
    "$fake_bin" "${args[@]}" >"$work/fake.log" 2>&1 &
    fake_pid=$!
    started_pids+=("$fake_pid")
    if ! wait_for 20 test -s "$work/fake.port"; then
        echo "e2e: the fake service did not start; its log:" >&2
        cat "$work/fake.log" >&2
        return 1
    fi
    local port
    port=$(head -n1 "$work/fake.port")
    # curl sends every request, whatever its host, to the fake service; quoted, or curl's
    # config parser drops the leading "::" and ignores the line.
    mkdir -p "$work/curl"
    printf 'connect-to = "::127.0.0.1:%s"\n' "$port" >"$work/curl/.curlrc"
    log "fake service on 127.0.0.1:$port (pid $fake_pid)"
}

# --- the application ---------------------------------------------------------------------

scenario="" sdir="" run_count=0

# A fresh user for a scenario: home and preferences folder; its own folder for the output.
new_user() {
    mkdir -p "$sdir/home/.config" "$sdir/runtime" "$sdir/out"
    chmod 700 "$sdir/runtime"
}

prefs_file() { printf '%s/home/.config/Pondwhirl Downloader Prefs' "$sdir"; }

# The stored key as the program writes it: one length byte, then the key's bytes.
store_key() {
    local key=$1
    printf "\\$(printf '%03o' "${#key}")%s" "$key" >"$(prefs_file)"
}

start_app() {
    run_count=$((run_count + 1))
    (
        cd "$sdir/out" || exit 1
        exec env HOME="$sdir/home" XDG_CONFIG_HOME="$sdir/home/.config" XDG_RUNTIME_DIR="$sdir/runtime" \
            XDG_DATA_HOME="$sdir/home/.local/share" XDG_CACHE_HOME="$sdir/home/.cache" \
            CURL_HOME="$work/curl" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "$app_bin"
    ) >"$sdir/app-$run_count.log" 2>&1 &
    app_pid=$!
    log "$scenario: started the application (pid $app_pid, log $sdir/app-$run_count.log)"
}

# The visible windows of the application, one id a line.
app_windows() { xdotool search --all --onlyvisible --pid "$app_pid" --name '' 2>/dev/null; }

main_window() {
    xdotool search --all --onlyvisible --pid "$app_pid" --name "^${WINDOW_TITLE}\$" 2>/dev/null | head -n1
}

# The application's visible windows other than its main window: message boxes, dialogs
# and open popups.
other_windows() {
    local main w
    main=$(main_window)
    for w in $(app_windows); do [ "$w" != "$main" ] && echo "$w"; done
}

has_main_window() { [ -n "$(main_window)" ]; }
has_other_window() { [ -n "$(other_windows)" ]; }
no_other_window() { [ -z "$(other_windows)" ]; }

# Distinct colours in a window's image: a window drawn at last has more than a few.
window_colours() {
    import -window "$1" png:- 2>/dev/null | identify -format '%k' - 2>/dev/null
}
painted() {
    local n
    n=$(window_colours "$1") || return 1
    [ -n "$n" ] && [ "$n" -gt 8 ]
}

has_any_window() { [ -n "$(app_windows)" ]; }

# The main window, or a prompt shown while it opens, whichever comes first.
wait_opening() {
    if ! wait_for 20 has_any_window; then
        fail "no window of the application within 20 s"
        return 1
    fi
}

wait_main_window() {
    if ! wait_for 20 has_main_window; then
        fail "no window titled \"$WINDOW_TITLE\" within 20 s"
        return 1
    fi
    MAIN=$(main_window)
    wait_for 10 painted "$MAIN" || log "$scenario: the main window still looks blank"
}

# wait_dialog SECONDS: sets DIALOG to a window of the application other than its main window.
wait_dialog() {
    if ! wait_for "$1" has_other_window; then
        DIALOG=""
        return 1
    fi
    DIALOG=$(other_windows | head -n1)
    wait_for 10 painted "$DIALOG" || true
}

focus() {
    timeout 10 xdotool windowactivate --sync "$1" >/dev/null 2>&1 ||
        timeout 10 xdotool windowfocus --sync "$1" >/dev/null 2>&1
}

press() { xdotool key --clearmodifiers --delay 60 "$@"; }
type_text() { xdotool type --clearmodifiers --delay 25 -- "$1"; }

# click_content X Y: a click at X,Y of the main window's content (under the menu bar).
click_content() {
    local height menubar
    height=$(xdotool getwindowgeometry --shell "$MAIN" | sed -n 's/^HEIGHT=//p')
    menubar=$((height - CONTENT_HEIGHT))
    ((menubar < 0)) && menubar=0
    xdotool mousemove --window "$MAIN" "$1" $(($2 + menubar)) click 1
}

# Dismisses the dialog DIALOG with Return, as a user would after reading it.
dismiss_dialog() {
    local what=$1
    focus "$DIALOG" || log "$scenario: could not activate the $what dialog"
    press Return
    if ! wait_for 10 window_gone "$DIALOG"; then
        fail "the $what dialog stayed open after Return"
        return 1
    fi
}
window_gone() { ! xdotool search --all --onlyvisible --pid "$app_pid" --name '' 2>/dev/null | grep -qx "$1"; }

quit_app() {
    focus "$MAIN" || log "$scenario: could not activate the main window"
    press ctrl+q
    if ! wait_for 15 exited_app; then
        fail "the application did not end within 15 s of Ctrl+Q"
        return 1
    fi
    local status=0
    wait "$app_pid" || status=$?
    app_pid=""
    if [ "$status" -ne 0 ]; then
        fail "the application ended with exit status $status"
        return 1
    fi
    log "$scenario: Ctrl+Q ended the application with status 0"
}
exited_app() { ! running "$app_pid"; }

# Ends the application if it still runs (a scenario that failed half-way).
stop_app() {
    [ -n "$app_pid" ] && stop_pid "$app_pid"
    app_pid=""
}

# shot NAME: a screenshot of the whole screen, $sdir/NAME.png.
shot() {
    import -window root "$sdir/$1.png" 2>/dev/null && log "$scenario: screenshot $sdir/$1.png"
}

# The main window with its decorations, cut from a screenshot of the screen.
shot_window() {
    local out=$1 info x y w h extents l r t b
    # xwininfo, not xdotool: xdotool's position of a reparented window is off by the frame.
    info=$(xwininfo -id "$MAIN") || return 1
    x=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
    w=$(sed -n 's/^ *Width: *//p' <<<"$info")
    h=$(sed -n 's/^ *Height: *//p' <<<"$info")
    extents=$(xprop -id "$MAIN" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
    IFS=, read -r l r t b <<<"${extents:-0,0,0,0}"
    import -window root -crop "$((w + l + r))x$((h + t + b))+$((x - l))+$((y - t))" +repage "$out" 2>/dev/null
}

# --- failure reports ---------------------------------------------------------------------

fail() {
    echo "E2E FAILURE [$scenario]: $*" >&2
    if [ -n "${DISPLAY:-}" ]; then
        import -window root "$sdir/failure.png" 2>/dev/null && echo "  screenshot: $sdir/failure.png" >&2
        echo "  visible windows:" >&2
        local w
        for w in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
            echo "    $w pid=$(xdotool getwindowpid "$w" 2>/dev/null) name=\"$(xdotool getwindowname "$w" 2>/dev/null)\"" \
                "$(xdotool getwindowgeometry "$w" 2>/dev/null | tr '\n' ' ')" >&2
        done
    fi
    if [ -n "$app_pid" ]; then
        if running "$app_pid"; then
            echo "  the application (pid $app_pid) still runs; its windows, mapped or not:" >&2
            local w
            for w in $(xdotool search --all --pid "$app_pid" --name '' 2>/dev/null); do
                echo "    $w name=\"$(xdotool getwindowname "$w" 2>/dev/null)\"" \
                    "$(xwininfo -id "$w" 2>/dev/null | sed -n 's/^ *Map State: *//p')" \
                    "$(xprop -id "$w" WM_STATE 2>/dev/null | sed -n 's/^[[:space:]]*window state: *//p')" >&2
            done
        else
            local status=0
            wait "$app_pid" || status=$?
            app_pid=""
            echo "  the application has ended, exit status $status" >&2
        fi
    fi
    if [ -f "$sdir/app-$run_count.log" ]; then
        echo "  application output ($sdir/app-$run_count.log):" >&2
        tail -n 20 "$sdir/app-$run_count.log" | sed 's/^/    /' >&2
    fi
    echo "  requests to the fake service ($work/requests.log):" >&2
    tail -n 20 "$work/requests.log" | sed 's/^/    /' >&2
}

# --- observables -------------------------------------------------------------------------

request_count() { grep -c -- "$1" "$work/requests.log"; }
# wait_requests SECONDS PATTERN N: until at least N requests match PATTERN.
wait_requests() {
    local limit=$1 pattern=$2 n=$3
    wait_for "$limit" sh -c '[ "$(grep -c -- "$1" "$2")" -ge "$3" ]' sh "$pattern" "$work/requests.log" "$n"
}

# The height of the popup list that opens on a focused popup menu (Alt+Down); closes it.
POPUP_HEIGHT=""
measure_popup() {
    local name=$1 popup HEIGHT
    press alt+Down
    if ! wait_dialog 10; then
        fail "the $name popup did not open with Alt+Down"
        return 1
    fi
    popup=$DIALOG
    eval "$(xdotool getwindowgeometry --shell "$popup" | grep '^HEIGHT=')"
    POPUP_HEIGHT=$HEIGHT
    shot "popup-$name"
    press Escape
    if ! wait_for 10 window_gone "$popup"; then
        fail "the $name popup stayed open after Escape"
        return 1
    fi
    log "$scenario: the $name popup list is $POPUP_HEIGHT px high"
}

# --- scenarios ---------------------------------------------------------------------------

# The window opens, is shown and quits with Ctrl+Q and status 0. Without a stored key a
# prompt may come with the window; it is dismissed first.
scenario_window() {
    new_user
    start_app
    wait_opening || return 1
    if wait_dialog 5; then
        log "$scenario: a dialog came with the window; dismissing it"
        shot prompt
        dismiss_dialog "opening" || return 1
    fi
    wait_main_window || return 1
    wait_for 10 painted "$MAIN" || true
    shot screen
    shot_window "$work/window.png" && log "$scenario: window screenshot $work/window.png"
    if [ "${PW_UPDATE_SCREENSHOT:-}" = 1 ]; then
        mkdir -p "$repo/docs"
        cp "$work/window.png" "$repo/docs/screenshot.png" && log "$scenario: updated docs/screenshot.png"
    fi
    quit_app
}

# Starts the application with a key stored: the profiles are listed at opening, and no
# dialog asks for a key.
open_with_stored_key() {
    local lists_before
    lists_before=$(request_count "/api/profile/list_all?")
    start_app
    wait_main_window || return 1
    if ! wait_requests 20 "/api/profile/list_all?api_key=$KEY\$" $((lists_before + 1)); then
        fail "no profile list loaded at opening with a stored key"
        return 1
    fi
    wait_for 10 painted "$MAIN" || true
    if has_other_window; then
        shot unexpected-prompt
        fail "a dialog at opening although a key is stored"
        return 1
    fi
}

# First start without a key: the prompt; the key typed and validated; the profiles listed
# and the key stored; a restart lists them at opening without a prompt.
scenario_first_start() {
    new_user
    start_app
    wait_opening || return 1
    if ! wait_dialog 20; then
        fail "no key prompt at a first start without a stored key"
        return 1
    fi
    shot prompt
    dismiss_dialog "key prompt" || return 1
    wait_main_window || return 1
    if [ -e "$(prefs_file)" ]; then
        fail "a preferences file exists before any key was validated"
        return 1
    fi

    # The profile popup holds its one row "Select One" so far.
    focus "$MAIN" || true
    click_content $KEY_FIELD_AT
    press Tab
    measure_popup "profiles-before" || return 1
    local one_row=$POPUP_HEIGHT

    local lists_before
    lists_before=$(request_count "/api/profile/list_all?")
    click_content $KEY_FIELD_AT
    press ctrl+a
    type_text "$KEY"
    click_content $BUTTON_AT
    if ! wait_dialog 20; then
        fail "no message after pressing the button with a valid key"
        return 1
    fi
    shot validated
    if ! wait_requests 1 "/api/profile/list_all?api_key=$KEY\$" $((lists_before + 1)); then
        fail "the button sent no profile-list request with the typed key"
        return 1
    fi
    dismiss_dialog "\"API Key Validated!\"" || return 1

    # Accepted: the key is stored and the profiles are listed (a second profile-list call).
    local expected_prefs=$sdir/expected-prefs
    printf "\\$(printf '%03o' "${#KEY}")%s" "$KEY" >"$expected_prefs"
    if ! wait_for 20 cmp -s "$expected_prefs" "$(prefs_file)"; then
        fail "the validated key was not stored as one length-prefixed string in $(prefs_file)"
        return 1
    fi
    if ! wait_requests 20 "/api/profile/list_all?api_key=$KEY\$" $((lists_before + 2)); then
        fail "the profiles were not listed after the validation"
        return 1
    fi
    if has_other_window; then
        fail "an unexpected dialog after the validation"
        return 1
    fi
    quit_app || return 1

    # A restart with the stored key: the profiles are listed at opening, without a prompt.
    open_with_stored_key || return 1
    focus "$MAIN" || true
    click_content $KEY_FIELD_AT
    press Tab
    measure_popup "profiles" || return 1
    local three_rows=$POPUP_HEIGHT
    press Tab
    measure_popup "platforms" || return 1
    local four_rows=$POPUP_HEIGHT
    # "Select One" and the two profiles: three rows, one row less than the four platforms.
    local row=$((four_rows - three_rows))
    local diff=$((three_rows - one_row - 2 * row))
    if ((row <= 0 || diff < -3 || diff > 3)); then
        fail "the profile popup does not list \"Select One\" and the ${#PROFILES[@]} profiles" \
            "(popup heights: 1 row $one_row px, profiles $three_rows px, 4 platforms $four_rows px)"
        return 1
    fi
    quit_app
}

# With a stored key: profile and platform picked with the keyboard, the button, the save
# dialog answered with a typed path, "Done!", and the file holds the mentions.
scenario_fetch() {
    new_user
    store_key "$KEY"
    local out="$sdir/out/fetched mentions.txt"
    open_with_stored_key || return 1
    local log_start
    log_start=$(wc -l <"$work/requests.log")

    # Profile row 1 ("Acme Corp", 250 mentions), platform row 2 ("Video"), then the button.
    focus "$MAIN" || true
    click_content $KEY_FIELD_AT
    press Tab Down Tab Down Down Tab space
    if ! wait_dialog 20; then
        fail "no save dialog after the button"
        return 1
    fi
    local save_dialog=$DIALOG
    shot save-dialog
    focus "$save_dialog" || true
    press ctrl+a
    type_text "$out"
    press Return
    if ! wait_for 20 window_gone "$save_dialog"; then
        fail "the save dialog stayed open after a typed path and Return"
        return 1
    fi
    if ! wait_dialog 60; then
        fail "no message after the fetch"
        return 1
    fi
    shot done
    local expected=$sdir/expected.txt
    "$fake_bin" --expected-lines video 250 >"$expected"
    if ! cmp -s "$expected" "$out"; then
        fail "the output file $out does not hold the 250 video mentions ($expected);" \
            "$(diff "$expected" "$out" 2>&1 | head -n 5 | tr '\n' ' ')"
        return 1
    fi
    local made
    made=$(tail -n +"$((log_start + 1))" "$work/requests.log" | sed 's/&api_key=.*//')
    local want
    want=$(printf '%s\n' "/api/profile/details?profile_id=7" "/api/video/mentions?profile_id=7" \
        "/api/video/mentions?profile_id=7&page_number=1" "/api/video/mentions?profile_id=7&page_number=2")
    if [ "$made" != "$want" ]; then
        fail "unexpected requests for the fetch:" "$(echo "$made" | tr '\n' ' ')"
        return 1
    fi
    dismiss_dialog "\"Done!\"" || return 1
    quit_app
}

# --- main --------------------------------------------------------------------------------

start_x || exit 1
start_fake_service || exit 1

selected=${PW_E2E_SCENARIOS:-$ALL_SCENARIOS}
failed=()
passed=()
for scenario in $selected; do
    if ! declare -F "scenario_$scenario" >/dev/null; then
        echo "e2e: no scenario \"$scenario\" (known: $ALL_SCENARIOS)" >&2
        failed+=("$scenario")
        continue
    fi
    sdir=$work/$scenario
    mkdir -p "$sdir"
    log "=== scenario $scenario"
    if "scenario_$scenario"; then
        passed+=("$scenario")
        log "=== scenario $scenario: passed"
    else
        failed+=("$scenario")
        log "=== scenario $scenario: FAILED"
    fi
    # Whatever a scenario left running ends before the next one starts.
    stop_app
done

log "passed: ${passed[*]:-none}; failed: ${failed[*]:-none}"
[ ${#failed[@]} -eq 0 ]
