# The end-to-end library, sourced by each scenario script: an X server of the scenario's
# own (Xvfb, a free display found with -displayfd) with openbox, the fake PondWhirl
# service on 127.0.0.1, the real application started by its PID, bounded waits, keyboard
# input, screenshots and, on failure, a report with a screenshot. Everything started here
# is ended by its PID when the script exits.
#
# A scenario script:
#     source "$(dirname "$0")/lib.sh"
#     e2e_begin "$@"            # APP_BINARY FAKE_SERVICE_BINARY WORK_DIR
#     new_user; start_app; wait_main_window || exit 1; ...; quit_app || exit 1
#     e2e_pass
#
# start_app passes the script's environment on: `TMPDIR=DIR start_app` gives the
# application a temporary folder of the scenario's.
#
# A scenario may set the array fake_options before e2e_begin: further options of the fake
# service (fake-pondwhirl --help lists them), e.g. requests that hang.
#
# Controls are reached by keyboard focus, never by position: the key field holds the
# focus when the window opens (it is first in the tab order), and Tab moves on to the
# profile popup, the platform popup and the button, then round to the key field.
#
# From the fake service's facts (tests/support, see fake-pondwhirl --facts): PW_KEY, the
# key it accepts; PW_PREFS_FILE_NAME; PW_PROFILE_IDS, PW_PROFILE_NAMES, PW_PROFILE_TOTALS.
set -uo pipefail

WINDOW_TITLE="PondWhirl Data Downloader"

log() { printf '[e2e %s %s] %s\n' "$(date +%H:%M:%S)" "${scenario:-}" "$*"; }

# e2e_begin APP_BINARY FAKE_SERVICE_BINARY WORK_DIR: checks the tools, makes WORK_DIR
# afresh, starts the X server, the window manager and the fake service.
e2e_begin() {
    if [ $# -ne 3 ]; then
        echo "usage: $0 APP_BINARY FAKE_SERVICE_BINARY WORK_DIR" >&2
        exit 2
    fi
    scenario=$(basename "$0" .sh)
    app_bin=$(realpath -- "$1")
    fake_bin=$(realpath -- "$2")
    work=$3
    case "$work" in "" | "/") echo "refusing work dir '$work'" >&2; exit 2 ;; esac
    local tool
    for tool in Xvfb openbox xdotool xprop xwininfo import; do
        command -v "$tool" >/dev/null || { echo "e2e: $tool is missing (scripts/setup.sh tests installs it)" >&2; exit 1; }
    done
    [ -x "$app_bin" ] || { echo "e2e: no application binary at $app_bin" >&2; exit 1; }
    [ -x "$fake_bin" ] || { echo "e2e: no fake service binary at $fake_bin" >&2; exit 1; }
    rm -rf -- "$work"
    mkdir -p -- "$work"
    work=$(realpath -- "$work")
    sdir=$work
    # The network stays on 127.0.0.1: no proxy may take a request elsewhere.
    unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY ALL_PROXY all_proxy no_proxy NO_PROXY ftp_proxy FTP_PROXY
    trap cleanup EXIT
    trap 'exit 130' INT TERM
    start_x || exit 1
    start_fake_service || exit 1
}

e2e_pass() {
    log "passed"
    exit 0
}

# --- processes ---------------------------------------------------------------------------

started_pids=()       # the X server, the window manager, the fake service; ended in reverse order
app_pid=""            # the application now running; emptied once it has been waited for
run_count=0

# Whether a child still runs (a child that exited stays a zombie until waited for).
running() {
    local state
    state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# stop_pid PID: TERM, then KILL after 5 s; reaps it.
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
    local fd_file=$work/x.display pid
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fd_file" >"$work/xvfb.log" 2>&1 &
    pid=$!
    started_pids+=("$pid")
    if ! wait_for 20 test -s "$fd_file"; then
        echo "e2e: Xvfb did not start; its log:" >&2
        cat "$work/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$(head -n1 "$fd_file")"
    log "X server on $DISPLAY (pid $pid)"

    mkdir -p "$work/wm/config"
    HOME=$work/wm XDG_CONFIG_HOME=$work/wm/config openbox --sm-disable >"$work/openbox.log" 2>&1 &
    pid=$!
    started_pids+=("$pid")
    if ! wait_for 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'; then
        echo "e2e: openbox did not start; its log:" >&2
        cat "$work/openbox.log" >&2
        return 1
    fi
    log "openbox running (pid $pid)"
}

# The fake service with the tests' default script and the scenario's fake_options; it
# writes the .curlrc that sends curl's requests to it (CURL_HOME=$work/curl) and the facts
# of its script.
start_fake_service() {
    local pid
    : >"$work/requests.log"
    "$fake_bin" --port-file "$work/fake.port" --log "$work/requests.log" --curl-home "$work/curl" \
        --facts "$work/facts.sh" "${fake_options[@]}" >"$work/fake.log" 2>&1 &
    pid=$!
    started_pids+=("$pid")
    if ! wait_for 20 test -s "$work/fake.port"; then
        echo "e2e: the fake service did not start; its log:" >&2
        cat "$work/fake.log" >&2
        return 1
    fi
    # shellcheck source=/dev/null
    source "$work/facts.sh"
    log "fake service on 127.0.0.1:$(head -n1 "$work/fake.port") (pid $pid), ${#PW_PROFILE_IDS[@]} profiles"
}

# --- the application ---------------------------------------------------------------------

# A fresh user: home and preferences folder; its own folder for the output.
new_user() {
    rm -rf -- "${sdir:?}/home" "${sdir:?}/runtime" "${sdir:?}/out"
    mkdir -p "$sdir/home/.config" "$sdir/runtime" "$sdir/out"
    chmod 700 "$sdir/runtime"
}

prefs_file() { printf '%s/home/.config/%s' "$sdir" "$PW_PREFS_FILE_NAME"; }

# prefs_record KEY: the stored key as the program writes it: one length byte, the bytes.
prefs_record() { printf "\\$(printf '%03o' "${#1}")%s" "$1"; }

store_key() { prefs_record "$1" >"$(prefs_file)"; }

start_app() {
    run_count=$((run_count + 1))
    (
        cd "$sdir/out" || exit 1
        exec env HOME="$sdir/home" XDG_CONFIG_HOME="$sdir/home/.config" XDG_RUNTIME_DIR="$sdir/runtime" \
            XDG_DATA_HOME="$sdir/home/.local/share" XDG_CACHE_HOME="$sdir/home/.cache" \
            CURL_HOME="$work/curl" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "$app_bin"
    ) >"$sdir/app-$run_count.log" 2>&1 &
    app_pid=$!
    log "started the application (pid $app_pid, log $sdir/app-$run_count.log)"
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
has_any_window() { [ -n "$(app_windows)" ]; }

# Distinct colours in a window's image: a window drawn at last has more than a few.
window_colours() {
    import -window "$1" -format '%k' info:- 2>/dev/null
}
painted() {
    local n
    n=$(window_colours "$1") || return 1
    [ -n "$n" ] && [ "$n" -gt 8 ]
}

# The main window, or a prompt shown while it opens, whichever comes first.
wait_opening() {
    if ! wait_for 20 has_any_window; then
        fail "no window of the application within 20 s"
        return 1
    fi
}

# Sets MAIN to the main window once it is shown.
wait_main_window() {
    if ! wait_for 20 has_main_window; then
        fail "no window titled \"$WINDOW_TITLE\" within 20 s"
        return 1
    fi
    MAIN=$(main_window)
    wait_for 10 painted "$MAIN" || log "the main window still looks blank"
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

window_name() { xdotool getwindowname "$1" 2>/dev/null; }

focus() {
    timeout 10 xdotool windowactivate --sync "$1" >/dev/null 2>&1 ||
        timeout 10 xdotool windowfocus --sync "$1" >/dev/null 2>&1
}

press() { xdotool key --clearmodifiers --delay 60 "$@"; }
type_text() { xdotool type --clearmodifiers --delay 25 -- "$1"; }

# Dismisses the dialog DIALOG with Return, as a user would after reading it.
dismiss_dialog() {
    local what=$1
    focus "$DIALOG" || log "could not activate the $what dialog"
    press Return
    if ! wait_for 10 window_gone "$DIALOG"; then
        fail "the $what dialog stayed open after Return"
        return 1
    fi
}
window_gone() { ! app_windows | grep -qx "$1"; }

quit_app() {
    focus "$MAIN" || log "could not activate the main window"
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
    log "Ctrl+Q ended the application with status 0"
}
exited_app() { ! running "$app_pid"; }

# Ends the application if it still runs (a scenario that failed half-way).
stop_app() {
    [ -n "$app_pid" ] && stop_pid "$app_pid"
    app_pid=""
}

# shot NAME: a screenshot of the whole screen, $sdir/NAME.png.
shot() {
    import -window root "$sdir/$1.png" 2>/dev/null && log "screenshot $sdir/$1.png"
}

# shot_window FILE: the main window with its decorations, cut from a screenshot of the screen.
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
            echo "    $w pid=$(xdotool getwindowpid "$w" 2>/dev/null) name=\"$(window_name "$w")\"" \
                "$(xdotool getwindowgeometry "$w" 2>/dev/null | tr '\n' ' ')" >&2
        done
    fi
    if [ -n "$app_pid" ]; then
        if running "$app_pid"; then
            echo "  the application (pid $app_pid) still runs; its windows, mapped or not:" >&2
            local w
            for w in $(xdotool search --all --pid "$app_pid" --name '' 2>/dev/null); do
                echo "    $w name=\"$(window_name "$w")\"" \
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

# start_listing KEY: starts the application with KEY stored and waits until it asks the
# service for the profile list.
start_listing() {
    local lists_before list="/api/profile/list_all?api_key=$1\$"
    lists_before=$(request_count "$list")
    start_app
    wait_main_window || return 1
    if ! wait_requests 20 "$list" $((lists_before + 1)); then
        fail "no profile list asked at opening with a stored key"
        return 1
    fi
}

# Starts the application with a key stored: the profiles are listed at opening, and no
# dialog asks for a key.
open_with_stored_key() {
    start_listing "$PW_KEY" || return 1
    wait_for 10 painted "$MAIN" || true
    if has_other_window; then
        shot unexpected-prompt
        fail "a dialog at opening although a key is stored"
        return 1
    fi
}

# A first start without a stored key: the application opens and asks for a key.
start_without_key() {
    new_user
    start_app
    wait_opening || return 1
    if ! wait_dialog 20; then
        fail "no key prompt at a first start without a stored key"
        return 1
    fi
}

# fetch_video_into PATH: from the key field, profile row 1 (the first profile), platform
# row 2 ("Video"), the button; PATH typed into the save dialog.
fetch_video_into() {
    local save_dialog
    focus "$MAIN" || true
    press Tab Down Tab Down Down Tab space
    if ! wait_dialog 20; then
        fail "no save dialog after the button"
        return 1
    fi
    save_dialog=$DIALOG
    shot save-dialog
    focus "$save_dialog" || true
    press ctrl+a
    type_text "$1"
    press Return
    if ! wait_for 20 window_gone "$save_dialog"; then
        fail "the save dialog stayed open after a typed path and Return"
        return 1
    fi
}

# The height of the popup list that opens on the focused popup menu (Alt+Down); closes it.
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
    log "the $name popup list is $POPUP_HEIGHT px high"
}

# --- the application's command lines, and ending it in the middle of one ----------------

# The application's descendants, "PID PGID STATE COMMAND" a line.
app_processes() {
    ps -e -o pid=,ppid=,pgid=,stat=,comm= | awk -v root="$app_pid" '
        { pid[NR] = $1; ppid[NR] = $2; line[NR] = $1 " " $3 " " $4 " " $5 }
        END {
            mine[root] = 1
            do {
                grown = 0
                for (i = 1; i <= NR; i++)
                    if ((ppid[i] in mine) && !(pid[i] in mine)) { mine[pid[i]] = 1; grown = 1 }
            } while (grown)
            for (i = 1; i <= NR; i++) if (pid[i] != root && (pid[i] in mine)) print line[i]
        }'
}
curl_runs() { app_processes | awk '$3 !~ /^Z/ && $4 == "curl" { found = 1 } END { exit !found }'; }
no_curl_runs() { ! curl_runs; }

# The processes, zombies aside, still in any of the process groups GROUPS (spaces between).
left_in_groups() {
    ps -e -o pid=,pgid=,stat=,comm= | awk -v groups=" $1 " 'index(groups, " " $2 " ") && $3 !~ /^Z/'
}
none_left_in() { [ -z "$(left_in_groups "$1")" ]; }

# end_by WHAT COMMAND...: while WHAT, runs COMMAND (keys pressed, a signal sent). The
# application must end within 5 s (2 s is the aim; the slack is for a loaded machine)
# with status 0, open no window meanwhile, and leave no process of the process groups of
# its command lines then running behind. Windows open just before (an open menu) may stay
# until the end.
end_by() {
    local what=$1 procs groups allowed w start elapsed status=0 shown=""
    shift
    procs=$(app_processes)
    groups=$(awk '{ print $2 }' <<<"$procs" | sort -u | tr '\n' ' ')
    if [ -n "$procs" ]; then
        log "during $what, the application's processes (pid pgid state command):" $(tr '\n' ';' <<<"$procs")
    else
        log "during $what, the application runs no other process"
    fi
    allowed=" $(app_windows | tr '\n' ' ') "
    start=$(date +%s%N)
    "$@"
    while running "$app_pid" && (($(date +%s%N) - start < 5000000000)); do
        for w in $(app_windows); do
            [[ "$allowed" == *" $w "* ]] || shown+=" $w \"$(window_name "$w")\""
        done
        sleep 0.05
    done
    elapsed=$((($(date +%s%N) - start) / 1000000))
    if running "$app_pid"; then
        shot "not-ended-$scenario-$run_count"
        fail "the application still runs 5 s after $* during $what"
        return 1
    fi
    wait "$app_pid" || status=$?
    app_pid=""
    log "$* during $what ended the application in $elapsed ms, status $status"
    if [ -n "$shown" ]; then
        fail "a window was shown after $* during $what:$shown"
        return 1
    fi
    if [ "$status" -ne 0 ]; then
        fail "the application ended with exit status $status after $* during $what"
        return 1
    fi
    if ! wait_for 2 none_left_in "$groups"; then
        fail "processes of the command line outlived the application:" \
            $(left_in_groups "$groups" | tr '\n' ';')
        return 1
    fi
}

# end_during WHAT COMMAND...: end_by once WHAT hangs in a curl of the application.
end_during() {
    local what=$1
    if ! wait_for 20 curl_runs; then
        fail "no curl of the application runs during $what"
        return 1
    fi
    end_by "$@"
}
