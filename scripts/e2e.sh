#!/usr/bin/env bash
# Drives the real Tarnwick window under Xvfb with xdotool, as a user would: opens a copy of the sample key file
# through the Open dialog, ticks Control on the keyboard page, copies a key that is free with Control, pastes it
# into one line of the grid through the right-button menu, saves the file under a new name, compares the saved
# file with the original and saves the report as RTF. Each step leaves a screenshot in WORK_DIR/shots; the files
# the program saved are then checked byte for byte against what the edit must give.
#
# Usage: bash scripts/e2e.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  build tree holding tarnwick and tarnwick-cli (default: build-e2e in the repository); it is
#              configured when it has no CMake cache, and the two programs are built when out of date
#   WORK_DIR   folder for the copies, the saved files and the screenshots (default: a new temporary folder)
# Prints "e2e: skipped (...)" and exits 0 where Xvfb, xdotool or ImageMagick are missing and cannot be installed.
# TARNWICK_BUILD_JOBS sets the build's parallel jobs (default 1).

# shellcheck disable=SC2317 # functions handed to poll and trap are called indirectly
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# ---------------------------------------------------------------------------------------------------------------
# The part that runs inside the X server that xvfb-run started.
# ---------------------------------------------------------------------------------------------------------------

# The sim function whose key the run changes: a record with Ignored 0 near the top of the sample file.
readonly TARGET_SIM="OTWSelectChaseMode"
# The window's client area at the standard size (10395 twips) and the tab control's top in it (780 twips).
readonly CLIENT_HEIGHT=693
readonly TAB_TOP=52
# Seconds the whole drive may take before it is stopped as failed.
readonly BUDGET=120

passed=0
app_pid=""
watchdog=""
# How far the keyboard page is drawn from its place in twips, in pixels (measured on its legend).
kb_dx=0
kb_dy=0

px() { echo $((($1 + 7) / 15)); }

say() { echo "e2e: $*"; }

ok()
{
    passed=$((passed + 1))
    say "ok   $*"
}

fail()
{
    say "FAIL $*" >&2
    if [[ -n "${shots:-}" && -d "${shots:-}" ]]; then
        import -window root "$shots/99-failure.png" 2>/dev/null || true
        say "screen at the failure: $shots/99-failure.png" >&2
    fi
    if [[ -s "${work:-}/app.log" ]]; then
        say "program output (last lines):" >&2
        tail -n 20 "$work/app.log" >&2
    fi
    echo "$passed passed, 1 failed" >"$work/summary"
    exit 1
}

cleanup()
{
    if [[ -n "$app_pid" ]] && kill -0 "$app_pid" 2>/dev/null; then
        kill "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
    fi
    if [[ -n "$watchdog" ]] && kill -0 "$watchdog" 2>/dev/null; then
        kill "$watchdog" 2>/dev/null || true
        wait "$watchdog" 2>/dev/null || true
    fi
}

app_gone() { ! kill -0 "$app_pid" 2>/dev/null; }

# Runs a command every 0.1 s until it succeeds or SECONDS seconds have passed: poll SECONDS COMMAND...
poll()
{
    local limit=$1
    shift
    local deadline=$((SECONDS + limit))
    while true; do
        if "$@"; then
            return 0
        fi
        if ((SECONDS >= deadline)); then
            return 1
        fi
        sleep 0.1
    done
}

shot()
{
    import -window root "$shots/$1.png" || fail "could not take the screenshot $1"
    say "shot $shots/$1.png"
}

# The visible window whose title matches a pattern, if there is one.
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
window_shown() { [[ -n "$(window_named "$1")" ]]; }
window_gone() { [[ -z "$(window_named "$1")" ]]; }

# Visible windows of the program other than the main window: menus, dialogs and tool tips.
other_windows() { xdotool search --onlyvisible --class . 2>/dev/null | grep -vx "$main" || true; }
popup_gone() { [[ -z "$(other_windows)" ]]; }
# A window other than the main one whose top left corner is within DX, DY pixels right and below a point:
# menu_at X Y DX DY (screen pixels). A menu opens with its corner at the point it was asked for; a tool tip
# would sit further below the pointer.
menu_at()
{
    local id x y
    for id in $(other_windows); do
        read -r x y < <(xdotool getwindowgeometry --shell "$id" | awk -F= '{ v[$1] = $2 } END { print v["X"], v["Y"] }')
        ((x >= $1 && x <= $1 + $3 && y >= $2 && y <= $2 + $4)) && return 0
    done
    return 1
}

# The other windows' places, for a failure message.
other_places()
{
    local id
    for id in $(other_windows); do
        xdotool getwindowgeometry --shell "$id" | awk -F= '{ v[$1] = $2 } END { printf " %sx%s+%s+%s", v["WIDTH"], v["HEIGHT"], v["X"], v["Y"] }'
    done
}

# Moves the pointer to the banner (4140, 60 twips in the client area, above the tab control), where no tool tip
# shows, and waits for any tool tip to go.
pointer_to_neutral()
{
    xdotool mousemove "$(tab_x 376)" "$(tab_y -28)"
    poll 3 popup_gone || true
}

# Waits until two grabs of the main window 0.15 s apart are the same (at most 3 s): the window has finished
# painting what the last action asked for. A window that keeps changing is left to the checks that follow.
settle()
{
    local previous="" current deadline=$((SECONDS + 3))
    while ((SECONDS < deadline)); do
        current=$(import -window "$main" rgb:- 2>/dev/null | md5sum)
        [[ "$current" == "$previous" ]] && return 0
        previous=$current
        sleep 0.15
    done
}

# Screen coordinates of a point given in pixels relative to the tab control.
tab_x() { echo $((tab_left + $1)); }
tab_y() { echo $((tab_top + $1)); }

click_at() # click_at X Y [BUTTON], relative to the tab control
{
    xdotool mousemove "$(tab_x "$1")" "$(tab_y "$2")" click "${3:-1}"
}

click_tab() # click_tab INDEX: tabs are 2940 twips (196 px) wide or a little more
{
    click_at $((98 + 197 * $1)) 11
}

# Points on the keyboard page, given in pixels relative to the tab control, as the screen shows them.
kb_x() { tab_x $(($1 + kb_dx)); }
kb_y() { tab_y $(($1 + kb_dy)); }

# Finds the keyboard page's "Assigned" legend box, pure green and 375 twips square at (5280, 3780) twips, and
# keeps how far from that place it is drawn. Fails while the page is not shown.
measure_keyboard_offset()
{
    local grab="$work/grab.png" margin=20 box x0 y0
    x0=$(($(px 5280) - margin))
    y0=$(($(px 3780) - margin))
    import -window root "$grab" 2>/dev/null || return 1
    box=$(convert "$grab" -crop "$(($(px 375) + 2 * margin))x$(($(px 375) + 2 * margin))+$(tab_x "$x0")+$(tab_y "$y0")" \
        +repage -fill black +opaque "#00FF00" -format '%@' info: 2>/dev/null) || return 1
    [[ "$box" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 1
    # Inside its one-pixel frame the green is 2 px smaller than the box.
    ((BASH_REMATCH[1] == $(px 375) - 2 && BASH_REMATCH[2] == $(px 375) - 2)) || return 1
    kb_dx=$((BASH_REMATCH[3] - 1 - margin))
    kb_dy=$((BASH_REMATCH[4] - 1 - margin))
}

# The centre (screen pixels) of the picture button shown in the tab row for the current page, found by the
# colour of its icon: header_button FX_CONDITION. The tab row is otherwise grey and black; the pages start
# 480 twips (32 px) below the tab control's top, so the first 31 rows hold nothing else.
header_button()
{
    local grab="$work/grab.png" box
    import -window root "$grab" 2>/dev/null || return 1
    box=$(convert "$grab" -crop "992x31+$tab_left+$tab_top" +repage -fx "($1) ? 1 : 0" -format '%@' info: \
        2>/dev/null) || return 1
    [[ "$box" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 1
    local w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]} x=${BASH_REMATCH[3]} y=${BASH_REMATCH[4]}
    # One icon of 16 px, not a stray pixel and not a whole row.
    ((w >= 8 && w <= 20 && h >= 8 && h <= 20)) || return 1
    echo "$((tab_left + x + w / 2)) $((tab_top + y + h / 2))"
}

# The icons: the save button's blue disk, the open button's orange folder.
readonly SAVE_ICON="b - r > 0.25"
readonly OPEN_ICON="r - b > 0.25"

click_header_button() # click_header_button FX_CONDITION WHAT
{
    local place
    poll 5 header_button "$1" >/dev/null || fail "no $2 button in the tab row"
    place=$(header_button "$1") || fail "no $2 button in the tab row"
    # shellcheck disable=SC2086 # the place is two numbers
    xdotool mousemove $place click 1
}

focus_main()
{
    xdotool windowfocus "$main" 2>/dev/null || true
    sleep 0.1
}

# Types a full path into the file dialog with the given title and confirms it with Return.
answer_file_dialog() # answer_file_dialog TITLE_PATTERN PATH SHOT_NAME
{
    local title=$1 path=$2 name=$3 dialog
    poll 10 window_shown "$title" || fail "no dialog \"$title\" appeared"
    dialog=$(window_named "$title")
    xdotool windowfocus "$dialog" 2>/dev/null || true
    sleep 0.2
    # The file name field has the focus; a proposed name in it is replaced.
    xdotool key ctrl+a
    xdotool type --delay 15 -- "$path"
    sleep 0.2
    shot "$name"
    # A completion list that takes a Return leaves the dialog open: then the next Return confirms.
    for _ in 1 2 3; do
        xdotool key Return
        poll 3 window_gone "$title" && return 0
    done
    fail "the dialog \"$title\" did not accept $path"
}

# Colours (RRGGBB) of points on the screen: pixel_colours FILE "X,Y" ...
pixel_colours()
{
    local file=$1 format="" point
    shift
    for point in "$@"; do
        format+="%[hex:p{$point}] "
    done
    convert "$file" -format "$format" info:
}

# A checksum of a rectangle of the screen given relative to the tab control: region_sum X Y W H.
region_sum()
{
    local grab="$work/grab.png"
    import -window root "$grab" 2>/dev/null || return 1
    convert "$grab" -crop "${3}x$4+$(tab_x "$1")+$(tab_y "$2")" +repage rgb:- | md5sum
}

# Whether a rectangle (relative to the tab control) holds more than one colour: some text is drawn in it.
region_has_text()
{
    local grab="$work/grab.png"
    import -window root "$grab" 2>/dev/null || return 1
    (($(convert "$grab" -crop "${3}x$4+$(tab_x "$1")+$(tab_y "$2")" +repage -format '%k' info:) > 1))
}

region_changed() # region_changed SUM X Y W H
{
    local now
    now=$(region_sum "$2" "$3" "$4" "$5") || return 1
    [[ "$now" != "$1" ]]
}

# The letter keys' colours on the keyboard page agree with the legend and with what tarnwick-cli reports for the
# same modifiers: check_key_colours USAGE_FILE -> 0 when every letter is as expected; the mismatches go to stdout.
check_key_colours()
{
    local usage=$1 grab="$work/grab.png" colours points=() i expected point
    import -window root "$grab" 2>/dev/null || return 1
    local x y
    for point in "${letter_points[@]}" "${legend_points[@]}"; do
        read -r x y <<<"$point"
        points+=("$(kb_x "$x"),$(kb_y "$y")")
    done
    read -r -a colours <<<"$(pixel_colours "$grab" "${points[@]}")"
    local n=${#letter_names[@]}
    local free=${colours[$n]} assigned=${colours[$((n + 1))]} multiple=${colours[$((n + 2))]}
    local bad=""
    for i in "${!letter_names[@]}"; do
        case "$(awk -F'\t' -v k="${letter_names[$i]}" '$2 == k { print $3 }' "$usage")" in
        free) expected=$free ;;
        assigned) expected=$assigned ;;
        multiple) expected=$multiple ;;
        *) expected="?" ;;
        esac
        [[ "${colours[$i]}" == "$expected" ]] || bad+=" ${letter_names[$i]}=${colours[$i]}(want $expected)"
    done
    if [[ -n "$bad" ]]; then
        echo "$bad"
        return 1
    fi
    # The three legend colours must differ, or the comparison above proves nothing.
    [[ "$free" != "$assigned" && "$free" != "$multiple" && "$assigned" != "$multiple" ]] || {
        echo " legend colours $free $assigned $multiple are not distinct"
        return 1
    }
}

wait_key_colours() # wait_key_colours USAGE_FILE WHAT
{
    local deadline=$((SECONDS + 6)) mismatch=""
    while true; do
        if mismatch=$(check_key_colours "$1"); then
            return 0
        fi
        ((SECONDS < deadline)) || fail "keyboard page $2: letter keys not coloured as tarnwick-cli says:$mismatch"
        sleep 0.2
    done
}

# The bounding box "W H X Y" (screen pixels) of the grid's selection colour (255,224,192), or nothing.
selection_box()
{
    local grab="$work/grab.png" box
    import -window root "$grab" 2>/dev/null || return 0
    box=$(convert "$grab" -crop "992x560+$tab_left+$((tab_top + 28))" +repage -fuzz 2% -fill black \
        +opaque "#FFE0C0" -format '%@' info: 2>/dev/null) || return 0
    [[ "$box" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 0
    echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]} $((BASH_REMATCH[3] + tab_left)) $((BASH_REMATCH[4] + tab_top + 28))"
}

# The selection covers one row's Keys and Modifiers cells: about 2130 + 2535 twips wide, one row high.
selection_is_keys_and_modifiers()
{
    local w h
    read -r w h _ _ <<<"$(selection_box)"
    [[ -n "${w:-}" ]] || return 1
    local want=$(($(px 2130) + $(px 2535)))
    ((w >= want - 8 && w <= want + 2 && h >= 12 && h <= 40))
}

# The colour index (\cfN) that the RTF report uses for a colour table entry such as \red0\green0\blue255.
rtf_colour_index()
{
    # The text goes in through the environment: awk -v would read its backslashes as escapes.
    grep -o '{\\colortbl[^}]*}' "$1" | head -n 1 | WANT="$2" awk -F';' \
        '{ for (i = 2; i <= NF; ++i) if ($i == ENVIRON["WANT"]) { print i - 1; exit } }'
}

# The \cfN in force on the RTF line that holds a text: rtf_colour_of FILE TEXT.
rtf_colour_of()
{
    WANT="$2" awk '{
        want = ENVIRON["WANT"]
        line = $0
        while (match(line, /\\cf[0-9]+/)) { colour = substr(line, RSTART + 3, RLENGTH - 3); line = substr(line, RSTART + RLENGTH) }
        if (index($0, want)) { print colour; exit }
    }' "$1"
}

drive()
{
    build=$1
    work=$2
    shots="$work/shots"
    local cli="$build/src/cli/tarnwick-cli"
    local src="$root/src/gui"

    trap cleanup EXIT
    trap 'fail "stopped after the time budget of $BUDGET s"' TERM
    # A watchdog stops the drive when the budget is used up; every wait below is bounded as well.
    (
        sleep "$BUDGET" &
        sleeper=$!
        trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
        wait "$sleeper"
        kill -TERM $$ 2>/dev/null
    ) &
    watchdog=$!

    # A fresh home, and the program copied into a folder of its own: its settings file is written next to it,
    # so the run starts with no settings and leaves the build tree alone.
    rm -rf "${work:?}/shots" "${work:?}/app" "${work:?}/home"
    mkdir -p "$shots" "$work/app" "$work/home/.config" "$work/home/run"
    chmod 700 "$work/home/run"
    cp "$build/src/app/tarnwick" "$work/app/tarnwick"
    local sample="$work/tarnwick-sample.key"
    local edited="$work/tarnwick-e2e-edited.key"
    local report="$work/comparison.rtf"
    rm -f "$work/summary" "$sample" "$edited" "$report" "$work/expected.key" "$work/cli-report.rtf" "$work/grab.png"
    cp "$root/samples/tarnwick-sample.key" "$sample"

    # --- What the edit must do, worked out from the file itself -------------------------------------------------
    local found line_no row_no
    found=$(awk -v name="$TARGET_SIM" '{ sub(/\r$/, ""); t = $0; gsub(/ /, "", t); if (t != "") ++row;
        if ($1 == name) { print NR, row; exit } }' "$sample")
    [[ -n "$found" ]] || fail "$TARGET_SIM is not in the sample file"
    read -r line_no row_no <<<"$found"
    local original_line body prefix description eol="" fields
    original_line=$(sed -n "${line_no}p" "$sample")
    [[ "$original_line" == *$'\r' ]] && eol=$'\r'
    body=${original_line%$'\r'}
    prefix=${body%%\"*}
    description=${body:${#prefix}}
    read -r -a fields <<<"$prefix"
    [[ ${#fields[@]} -eq 8 && "${fields[2]}" == 0 && "${body:0:1}" != "#" ]] ||
        fail "line $line_no ($TARGET_SIM) is not a plain record with Ignored 0: $body"

    "$cli" keys "$sample" >"$work/keys-none.tsv" || fail "tarnwick-cli keys failed"
    "$cli" keys "$sample" --control >"$work/keys-control.tsv" || fail "tarnwick-cli keys --control failed"
    # A letter that is free with Control; one that is taken without modifiers shows that the tick changed the view.
    local letter code
    letter=$(awk -F'\t' 'NR == FNR { if ($2 ~ /^[a-z]$/) plain[$2] = $3; next }
        $2 ~ /^[a-z]$/ && $3 == "free" { if (first == "") first = $2; if (plain[$2] == "assigned" && pick == "") pick = $2 }
        END { print (pick != "" ? pick : first) }' "$work/keys-none.tsv" "$work/keys-control.tsv")
    [[ -n "$letter" ]] || fail "no letter key is free with Control in the sample"
    code=$(awk -F'\t' -v k="$letter" '$2 == k { print $1 }' "$work/keys-control.tsv")
    local expected_line="${fields[0]} ${fields[1]} ${fields[2]} $code 2 ${fields[5]} ${fields[6]} ${fields[7]} $description"
    say "edit: grid row $row_no (file line $line_no, $TARGET_SIM) gets Control+$letter ($code, modifier 2)"
    {
        head -n $((line_no - 1)) "$sample"
        printf '%s%s\n' "$expected_line" "$eol"
        tail -n +$((line_no + 1)) "$sample"
    } >"$work/expected.key"

    # --- Where the keys are: the places in twips from the keyboard layout ------------------------------------
    local frame_left=() frame_top=() f
    for f in 1 2; do
        [[ "$(grep -o "Frame${f}Twips([0-9]*, [0-9]*" "$src/KeyboardLayout.h")" =~ \(([0-9]+),\ ([0-9]+)$ ]] ||
            fail "no place for Frame$f in KeyboardLayout.h"
        frame_left[f]=${BASH_REMATCH[1]}
        frame_top[f]=${BASH_REMATCH[2]}
    done
    letter_names=()
    letter_points=()
    local name scan index spec kx ky kw kh letter_centre=""
    while IFS=$'\t' read -r scan name _; do
        [[ "$name" =~ ^[a-z]$ ]] || continue
        index=$((16#${scan#0X}))
        spec=$(grep -oE "\{QStringLiteral\(\"$name\"\), $index, [12], QRect\([0-9]+, [0-9]+, [0-9]+, [0-9]+\)" \
            "$src/KeyboardLayout.cpp" | head -n 1)
        [[ "$spec" =~ ,\ ([12]),\ QRect\(([0-9]+),\ ([0-9]+),\ ([0-9]+),\ ([0-9]+)\) ]] ||
            fail "key $name (label $index) not found in KeyboardLayout.cpp"
        f=${BASH_REMATCH[1]}
        kx=$(px $((frame_left[f] + BASH_REMATCH[2])))
        ky=$(px $((frame_top[f] + BASH_REMATCH[3])))
        kw=$(px "${BASH_REMATCH[4]}")
        kh=$(px "${BASH_REMATCH[5]}")
        letter_names+=("$name")
        # A point inside the key's face, clear of its border and caption.
        letter_points+=("$((kx + 4)) $((ky + 4))")
        [[ "$name" == "$letter" ]] && letter_centre="$((kx + kw / 2)) $((ky + kh / 2))"
    done <"$work/keys-control.tsv"
    ((${#letter_names[@]} == 26)) || fail "tarnwick-cli listed ${#letter_names[@]} letter keys, not 26"

    # --- Start: no file argument, no settings file ----------------------------------------------------------
    export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/home/run"
    export QT_QPA_PLATFORM=xcb QT_ENABLE_HIGHDPI_SCALING=0 LC_ALL=C.UTF-8
    unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_STYLE_OVERRIDE
    "$work/app/tarnwick" >"$work/app.log" 2>&1 &
    app_pid=$!
    poll 20 window_shown '^  Tarnwick vs\. 1\.3$' || fail "the main window did not appear"
    main=$(window_named '^  Tarnwick vs\. 1\.3$')
    local X Y WIDTH HEIGHT
    read -r X Y WIDTH HEIGHT < <(xdotool getwindowgeometry --shell "$main" |
        awk -F= '{ v[$1] = $2 } END { print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"] }')
    local menu_height=$((HEIGHT - CLIENT_HEIGHT))
    ((WIDTH == 1000 && menu_height > 10 && menu_height < 60)) ||
        fail "the window is ${WIDTH}x$HEIGHT, not at the standard size of 1000 px by 693 px and a menu bar"
    tab_left=$X
    tab_top=$((Y + menu_height + TAB_TOP))
    # The middles of the legend's boxes: Unassigned, Assigned, Assigned more than once.
    legend_points=()
    for kx in 3840 5280 6540; do
        legend_points+=("$(($(px "$kx") + $(px 375) / 2)) $(($(px 3780) + $(px 375) / 2))")
    done
    settle
    shot 01-started
    ok "the program started with no file (window ${WIDTH}x$HEIGHT at $X,$Y)"

    # --- Open the copy through the Open button's dialog ------------------------------------------------------
    click_header_button "$OPEN_ICON" Open
    answer_file_dialog '^Select the key file to open' "$sample" 02-open-dialog
    settle
    shot 03-opened
    ok "the Open dialog accepted $sample"

    # --- Keyboard page: colours without modifiers, then with Control -----------------------------------------
    click_tab 2
    poll 5 measure_keyboard_offset || fail "the keyboard page's legend is not near its place"
    if ((kb_dx != 0 || kb_dy != 0)); then
        say "note: the keyboard page is drawn $kb_dx px right and $kb_dy px down from its place in twips"
    fi
    wait_key_colours "$work/keys-none.tsv" "without modifiers"
    shot 04-keyboard
    ok "keyboard page: the letter keys show what is taken without modifiers"
    xdotool mousemove "$(kb_x $(($(px 1140) + 8)))" "$(kb_y $(($(px 3780) + $(px 315) / 2)))" click 1
    wait_key_colours "$work/keys-control.tsv" "with Control ticked"
    shot 05-control-ticked
    ok "Control ticked: the letter keys show what is taken with Control; '$letter' is free"
    local cx cy
    read -r cx cy <<<"$letter_centre"
    # The "Keycode:" read-out (1140, 4320, 4980, 255 twips) and the three copied-key labels with their captions
    # (6240 to 9240 twips across, 4320 to 5295 down).
    local readout=($(($(px 1140) + 2 + kb_dx)) $(($(px 4320) + 2 + kb_dy)) $(($(px 4980) - 4)) $(($(px 255) - 4)))
    local copied=($(($(px 6240) + kb_dx)) $(($(px 4320) + kb_dy)) $(($(px 9240) - $(px 6240))) $(($(px 5295) - $(px 4320))))
    local copied_before
    copied_before=$(region_sum "${copied[@]}") || fail "could not grab the screen"
    # Over the key first, so that it reports its code in the read-out, then a click copies it.
    xdotool mousemove "$(kb_x $((cx - 5)))" "$(kb_y $((cy - 5)))"
    sleep 0.1
    xdotool mousemove "$(kb_x "$cx")" "$(kb_y "$cy")"
    poll 5 region_has_text "${readout[@]}" || fail "hovering the '$letter' key showed no key code"
    xdotool click 1
    poll 5 region_changed "$copied_before" "${copied[@]}" || fail "clicking the '$letter' key copied nothing"
    settle
    shot 06-key-copied
    ok "hovering '$letter' showed its code; a click copied it"

    # --- Grid: select the Keys and Modifiers cells of the target row, paste through the right-button menu -------
    click_tab 0
    settle
    # Into the grid, then to the row with the keyboard: from the first cell, down to the row, right to Keys.
    click_at 496 300
    focus_main
    xdotool key ctrl+Home
    local downs=()
    for ((i = 1; i < row_no; ++i)); do
        downs+=(Down)
    done
    ((${#downs[@]} == 0)) || xdotool key --delay 20 "${downs[@]}"
    xdotool key --delay 20 Right Right Right Right shift+Right
    poll 5 selection_is_keys_and_modifiers ||
        fail "the keyboard did not select the Keys and Modifiers cells of row $row_no (box: $(selection_box))"
    local sw sh sx sy
    read -r sw sh sx sy <<<"$(selection_box)"
    # The same cells by mouse, as a user picks them: a click on Keys, a shift+click on Modifiers.
    local row_y=$((sy + sh / 2))
    xdotool mousemove $((sx + 10)) "$row_y" click 1
    sleep 0.2
    xdotool keydown shift mousemove $((sx + sw - 10)) "$row_y" click 1 keyup shift
    poll 5 selection_is_keys_and_modifiers || fail "click and shift+click did not select the Keys and Modifiers cells"
    shot 07-cells-selected
    ok "row $row_no: Keys and Modifiers cells selected"
    local menu_x=$((sx + sw / 2))
    poll 3 popup_gone || fail "a window other than the main one is open before the right click"
    xdotool mousemove "$menu_x" "$row_y" click 3
    poll 5 menu_at "$menu_x" "$row_y" 1 1 ||
        fail "the right-button menu did not open at the pointer ($menu_x,$row_y); windows:$(other_places)"
    sleep 0.2
    shot 08-menu
    xdotool key p
    poll 5 popup_gone || fail "Paste did not close the menu (is it disabled?)"
    settle
    shot 09-pasted
    ok "the right-button menu opened and Paste was chosen"

    # --- Save under a new name ----------------------------------------------------------------------------------
    click_header_button "$SAVE_ICON" Save
    answer_file_dialog '^Save file as' "$edited" 10-save-dialog
    poll 5 test -s "$edited" || fail "$edited was not written; windows open:$(other_places)"
    settle
    shot 11-saved
    cmp -s "$sample" "$root/samples/tarnwick-sample.key" || fail "the opened copy $sample was changed on disk"
    ok "the opened copy is unchanged"
    if ! cmp -s "$work/expected.key" "$edited"; then
        say "expected (<) and saved (>) differ:" >&2
        diff <(cat -A "$work/expected.key") <(cat -A "$edited") | head -n 20 >&2 || true
        fail "$edited is not the original with line $line_no set to Control+$letter"
    fi
    ok "saved file: line $line_no reads '$expected_line', every other byte as in the original"
    local use
    use=$("$cli" keys "$edited" --control | awk -F'\t' -v k="$letter" '$2 == k { print $3 "/" $4 }')
    [[ "$use" == "assigned/$TARGET_SIM" ]] ||
        fail "tarnwick-cli does not report Control+$letter as taken by $TARGET_SIM alone in the saved file"
    ok "tarnwick-cli: Control+$letter is now taken by $TARGET_SIM"

    # --- Compare the saved file (key file 1) with the original (key file 2), save the report as RTF -------------
    click_tab 4
    settle
    click_at $(($(px 300) + $(px 975) / 2)) $(($(px 1080) + $(px 375) / 2))
    answer_file_dialog '^Select the key file to open' "$sample" 12-key-file-2
    settle
    click_at $(($(px 10080) + $(px 1215) / 2)) $(($(px 480) + $(px 975) / 2))
    settle
    shot 13-compared
    click_header_button "$SAVE_ICON" "report's Save"
    # No extension typed: the dialog adds the default one, rtf.
    answer_file_dialog '^Save file as' "${report%.rtf}" 14-report-dialog
    poll 5 test -s "$report" || fail "the report was not written to $report; windows open:$(other_places)"
    settle
    shot 15-report-saved

    [[ "$(head -c 6 "$report")" == '{\rtf1' ]] || fail "$report does not start with {\\rtf1"
    local blue green
    blue=$(rtf_colour_index "$report" '\red0\green0\blue255')
    green=$(rtf_colour_index "$report" '\red0\green128\blue0')
    [[ -n "$blue" && -n "$green" ]] || fail "$report has no colour table with blue (0,0,255) and green (0,128,0)"
    ok "report: RTF with blue and green in its colour table"
    [[ "$(rtf_colour_of "$report" "$expected_line")" == "$blue" ]] ||
        fail "the report does not show the edited line in blue: $expected_line"
    [[ "$(rtf_colour_of "$report" "$body")" == "$green" ]] ||
        fail "the report does not show the original line in green: $body"
    [[ "$(rtf_colour_of "$report" "Text in blue relates to: $edited")" == "$blue" ]] ||
        fail "the report does not name the saved file as key file 1"
    ok "report: the edited line in blue, the original line in green"
    "$cli" compare "$edited" "$sample" --rtf "$work/cli-report.rtf" >/dev/null || fail "tarnwick-cli compare failed"
    if ! diff <(grep -v 'Comparison made:' "$work/cli-report.rtf") <(grep -v 'Comparison made:' "$report") \
        >"$work/report.diff"; then
        head -n 20 "$work/report.diff" >&2
        fail "the window's RTF report differs from tarnwick-cli's for the same two files"
    fi
    ok "report: the same as tarnwick-cli compare --rtf writes, but for the time"
    if command -v unrtf >/dev/null; then
        unrtf --text "$report" >"$work/comparison.txt" 2>/dev/null || fail "unrtf could not read $report"
        grep -q "^Summary" "$work/comparison.txt" || fail "unrtf finds no Summary in the report"
        grep -qF "$expected_line" "$work/comparison.txt" || fail "unrtf finds no $TARGET_SIM line in the report"
        ok "unrtf reads the report: Summary and the $TARGET_SIM line"
    else
        say "note: unrtf is not installed; the report was checked as RTF text only"
    fi

    # --- File > Exit: nothing is unsaved, so no question; the settings remember the saved file -----------------
    pointer_to_neutral
    focus_main
    xdotool key alt+f
    # The File menu drops from the left end of the menu bar, just below it.
    poll 5 menu_at "$(tab_x 0)" "$(tab_y $((-TAB_TOP)))" 20 2 ||
        fail "Alt+F did not open the File menu; windows:$(other_places)"
    sleep 0.2
    shot 16-file-menu
    xdotool key x
    if ! poll 10 app_gone; then
        shot 17-not-closed
        fail "File > Exit did not close the program"
    fi
    wait "$app_pid" || fail "the program exited with status $?"
    app_pid=""
    ok "File > Exit closed the program without a question"
    grep -qxF "KeyFilePath=$edited" <(tr -d '\r' <"$work/app/BremKeyDecode.ini") ||
        fail "the settings file does not name $edited as the last key file"
    ok "the settings file names the saved file"

    say "screenshots in $shots"
    echo "$passed passed, 0 failed" >"$work/summary"
}

if [[ "${1:-}" == "--in-xvfb" ]]; then
    shift
    drive "$@"
    exit 0
fi

# ---------------------------------------------------------------------------------------------------------------
# The outer part: tools, build, then the drive inside Xvfb.
# ---------------------------------------------------------------------------------------------------------------
start=$SECONDS
build=$(realpath -m "${1:-$root/build-e2e}")
if [[ -n "${2:-}" ]]; then
    mkdir -p "$2"
    work=$(realpath "$2")
else
    work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-e2e.XXXXXX")
fi

if ! TARNWICK_WITH_EXTRAS=1 "$root/scripts/install-deps.sh" >&2; then
    echo "e2e: installing packages failed; going on with the tools that are there" >&2
fi
for tool in xvfb-run Xvfb xauth xdotool import convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "e2e: skipped ($tool is not installed and could not be installed)"
        exit 0
    fi
done

# The build's output goes to a log, shown only when the build fails.
if ! {
    if [[ ! -f "$build/CMakeCache.txt" ]]; then
        cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_BUILD_BENCH=OFF
    fi
    cmake --build "$build" --target tarnwick tarnwick-cli -j "${TARNWICK_BUILD_JOBS:-1}"
} >"$work/build.log" 2>&1; then
    tail -n 40 "$work/build.log" >&2
    echo "e2e: FAIL could not build tarnwick and tarnwick-cli in $build (log: $work/build.log)" >&2
    exit 1
fi

echo "e2e: build $build, work folder $work"
drive_start=$SECONDS
status=0
rm -f "$work/summary"
xvfb-run -a -e "$work/xvfb.log" -s "-screen 0 1280x1024x24 -dpi 96" \
    bash "${BASH_SOURCE[0]}" --in-xvfb "$build" "$work" || status=$?
echo "e2e: drive took $((SECONDS - drive_start)) s, $((SECONDS - start)) s in all"
# The count of checks closes the output.
if [[ $status -eq 0 && -s "$work/summary" ]]; then
    echo "e2e: $(cat "$work/summary")"
    exit 0
fi
if [[ ! -s "$work/summary" ]]; then
    echo "e2e: FAIL the drive stopped before its end (status $status; X server log: $work/xvfb.log)" >&2
    echo "0 passed, 1 failed" >"$work/summary"
fi
echo "e2e: $(cat "$work/summary")"
exit 1
