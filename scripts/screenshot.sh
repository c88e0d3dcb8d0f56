#!/usr/bin/env bash
# Builds the program, starts it on a virtual X display (Xvfb) once per theme and language, and
# saves a picture of the screen for each: screenshots/main-<theme>-<language>.png in the build
# folder (or in the folder given as the first argument). Then it starts the emulated keyboard
# program the same way, which plugs in the sample keyboard and opens the key page, drives it
# through its command pipe (emulator/ScreenshotDriver.h) and saves a picture of every editing
# page state: keys-<layer>-<picker>-<theme>-<language>.png, highkeys-<kind>-... for the advanced
# keys' dialogs and highkeys-page-... for the advanced-key page with a binding of each kind, the
# lighting page: light-<none|effect|custom>-<theme>-<language>.png, the macro page with a recorded
# macro: macro-<theme>-<language>.png, the performance page:
# performance-selected-<theme>-<language>.png, calibration with keys pressed and passed: align-...,
# the maintenance page: other-..., the factory reset's question and notice: reset-question-... and
# reset-done-..., the settings page: settings-<theme>-<language>.png and the
# firmware page: firmware-<theme>-<language>.png.
#
# Every picture is checked: one that is blank or unstyled (too few colours, no trace of the style
# sheet's accent colour, or the other theme's ground) fails the script. Texts cut off at the
# window's smallest size, in any language, fail tests/journey/tst_texts (font metrics of every
# text on every page and dialog). tests/screenshots/ keeps small copies of a few of them as
# references of how the pages should look, and docs/ the two pictures the README shows
# (refreshed with QUILL_SCREENSHOT_DOCS=1). QUILL_SCREENSHOT_THEMES and QUILL_SCREENSHOT_LANGUAGES
# narrow the run (for example "dark" and "vi_VN").
#
# Each start gets its own data folder (settings with the theme and language), working folder and
# temporary folder, so nothing is written into the tree and a running copy of the program is not
# disturbed. Xvfb and ImageMagick's "import" are installed when missing.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILL_BUILD_DIR:-$root/build}"
out="${1:-$build/screenshots}"
settle="${QUILL_SCREENSHOT_SETTLE:-2}"

# Xvfb for the display, ImageMagick for "import".
bash "$root/scripts/setup.sh" xvfb imagemagick
bash "$root/scripts/build.sh"
program="$build/app/Quillomatrix"
emulated="$build/emulated/Quillomatrix-emulated"
mkdir -p "$out"
work="$(mktemp -d)"

# A free display number.
display=99
while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!

app_pid=""
cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${display}" ] && break
  sleep 0.1
done

# The program is stopped by a signal, which leaves its single-instance shared memory and
# semaphore behind. They are System V objects keyed by ftok(file, 'Q') on files in its temporary
# folder: remove them by those keys.
remove_ipc() {
  local file dev ino key
  for file in "$1"/qipc_sharedmemory_* "$1"/qipc_systemsem_*; do
    [ -e "$file" ] || continue
    read -r dev ino < <(stat -c '%d %i' "$file")
    key=$(printf '0x%08x' $(( (0x51 << 24) | ((dev & 0xff) << 16) | (ino & 0xffff) )))
    case "$file" in
      */qipc_sharedmemory_*) ipcrm -M "$key" 2>/dev/null || true ;;
      *) ipcrm -S "$key" 2>/dev/null || true ;;
    esac
  done
}

status=0

# Fails when the picture looks blank or unstyled: fewer than 200 colours, (on an editing page,
# second argument "page") fewer than 300 pixels of the accent colour rgb(255,136,38) that the
# style sheets give the current page's navigation button and the chosen layer and picker, or a
# ground of the other theme (a mean brightness above 0.35 in the dark theme, below 0.6 in the
# light one).
check_picture() {
  local picture="$1" kind="${2:-}" colours accent brightness
  colours=$(convert "$picture" -format '%k' info:)
  accent=$(convert "$picture" -fill black +opaque 'rgb(255,136,38)' -fill white -opaque 'rgb(255,136,38)' \
    -format '%[fx:int(mean*w*h+0.5)]' info:)
  brightness=$(convert "$picture" -colorspace Gray -format '%[fx:int(mean*100+0.5)]' info:)
  if [ "$colours" -lt 200 ] || { [ "$kind" = page ] && [ "$accent" -lt 300 ]; } \
     || { [ "$theme" = dark ] && [ "$brightness" -gt 35 ]; } || { [ "$theme" = light ] && [ "$brightness" -lt 60 ]; }; then
    echo "Blank or unstyled: $picture ($colours colours, $accent accent pixels, brightness $brightness%)" >&2
    status=1
  fi
}

# Starts a program for one theme and language in its own folders; sets run and app_pid.
start_program() {
  local binary="$1" theme="$2" language="$3" index theme_index
  case "$language" in zh_CN) index=1 ;; en_US) index=2 ;; vi_VN) index=3 ;; esac
  case "$theme" in light) theme_index=0 ;; dark) theme_index=1 ;; esac
  run="$work/$(basename "$binary")-$theme-$language"
  mkdir -p "$run/data" "$run/tmp"
  cp "$build"/app/data/*.ini "$run/data/" 2>/dev/null || true
  printf '[System]\nLanguage=%s\nTheme=%s\n' "$index" "$theme_index" >"$run/data/config.ini"
  mkfifo "$run/commands"
  : >"$run/acks"
  (cd "$run" && exec env DISPLAY=":$display" QT_QPA_PLATFORM=xcb QUILLOMATRIX_DATA_DIR="$run/data" \
     QUILLOMATRIX_DRIVER="$run" TMPDIR="$run/tmp" "$binary" >"$run/stdout.log" 2>&1) &
  app_pid=$!
}

stop_program() {
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
  remove_ipc "$run/tmp"
}

# Sends one command to the emulated program and waits for its acknowledgement.
commands_sent=0
drive() {
  commands_sent=$((commands_sent + 1))
  echo "$*" >"$run/commands"
  for _ in $(seq 300); do
    [ "$(wc -l <"$run/acks")" -ge "$commands_sent" ] && break
    sleep 0.1
  done
  if ! tail -n 1 "$run/acks" | grep -q "^$commands_sent ok"; then
    echo "Command failed: $* ($theme, $language)" >&2
    status=1
  fi
}

shoot() {
  local picture="$out/$1-$theme-$language.png"
  if kill -0 "$app_pid" 2>/dev/null; then
    import -display ":$display" -window root "$picture"
    case "$1" in main | settings | firmware) check_picture "$picture" ;; *) check_picture "$picture" page ;; esac
    echo "Saved $picture"
  else
    echo "The program ended before the picture $1 ($theme, $language); its log:" >&2
    cat "$run/app.log" "$run/stdout.log" >&2 || true
    status=1
  fi
}

for theme in ${QUILL_SCREENSHOT_THEMES:-light dark}; do
  for language in ${QUILL_SCREENSHOT_LANGUAGES:-zh_CN en_US vi_VN}; do
    start_program "$program" "$theme" "$language"
    for _ in $(seq 100); do
      grep -q "HidWatcher" "$run/app.log" 2>/dev/null && break
      sleep 0.1
    done
    sleep "$settle"
    shoot main
    stop_program

    # The emulated keyboard opens the key page by itself once its configuration is read.
    start_program "$emulated" "$theme" "$language"
    commands_sent=0
    drive await KeySetForm
    sleep "$settle"
    pickers=(keyboardBtn systemBtn macroBtn lightBtn extendBtn)
    for layer in normal fn; do
      if [ "$layer" = fn ]; then drive click fn1LayerButton; else drive click normalLayerButton; fi
      for kind in 0 1 2 3 4; do
        drive click "${pickers[$kind]}"
        shoot "keys-$layer-$kind"
      done
    done
    drive click normalLayerButton
    drive click QKeyKeyboardWidget/keyTile30
    shoot keys-selected

    # The advanced-key page: one binding of each kind made through its dialog (the sample keyboard
    # numbers its keys as the picker does: 16 `, 17-20 1-4, 38 Q, 39 W, 40 E, 58 Caps, 59 A, 60 S,
    # 61 D, 62 F, 63 G, 74 Shift), each dialog pictured before it is saved, then the page.
    drive click KeySetForm/highKeyButton
    drive await QHighKeyboardWidget
    highkey() { # kind button, key, dialog, steps...; the dialog is pictured as highkeys-<kind>
      local button="$1" key="$2" dialog="$3" step
      shift 3
      drive click "$button"
      drive click "QHighKeyboardWidget/keyTile$key"
      drive click QHighKeyAddWidget
      drive await "$dialog"
      for step in "$@"; do drive click "$dialog/$step"; done
      shoot "highkeys-${button%Btn}"
      drive click "$dialog/saveBtn"
      drive await "QHighKeyboardWidget"
    }
    highkey tglBtn 58 QTglAddDialog triggerLabel keyTile39
    highkey mtBtn 62 QMtAddDialog singleLabel keyTile62 longLabel keyTile74
    highkey dksBtn 63 QDksAddDialog down1Label keyTile17 down6Label keyTile18 up3Label keyTile19 up8Label keyTile20
    highkey rsBtn 39 QRsAddDialog keyTile60
    highkey oksBtn 38 QOksAddDialog keyTile40
    highkey socdBtn 59 QSocdAddDialog keyTile61 twoRadio
    drive click dksBtn
    shoot highkeys-page

    # The macro page with M2, then M3 chosen (only M3 drawn chosen), a macro recorded in M3
    # (Ctrl+C, then A) and its first step chosen.
    drive click macroButton
    drive click macro2Btn
    drive click macro3Btn
    drive click startRecordBtn
    for step in "down Key_Control 37" "down Key_C 54" "up Key_C 54" "up Key_Control 37" \
                "down Key_A 38" "up Key_A 38"; do
      drive key $step
    done
    drive click stopRecordBtn
    drive click macroListWidget/QMacroItemWidget
    shoot macro

    # The performance page: W, A, S, D and Space of the emulated keyboard come tuned with rapid
    # trigger; W, A, S and D selected, the controls showing D's values.
    drive click performaceButton
    drive await PerformanceSetForm
    for tile in 39 59 60 61; do
      drive click "QNatureKeyboardWidget/keyTile$tile"
    done
    shoot performance-selected

    # The lighting page: no mode chosen yet, an effect with every setting, then per-key mode with
    # keys painted (W, A, S, D red; F1 to F4 blue; Esc green) and Q and E selected.
    drive click lightButton
    drive await modeButton1
    sleep "$settle"
    shoot light-none
    drive click modeButton1
    shoot light-effect
    drive click modeButton255
    paint_keys() {
      local colour="$1" key
      shift
      for key in "$@"; do drive click "QLightKeyboardWidget/keyTile$key"; done
      drive click "$colour"
      drive click deselectAllBtn
    }
    paint_keys colourColorBtn 39 59 60 61
    paint_keys blueColorBtn 1 2 3 4
    paint_keys greenColorBtn 0
    drive click QLightKeyboardWidget/keyTile38
    drive click QLightKeyboardWidget/keyTile40
    shoot light-custom

    # Calibration: keys 1 to 3 pressed to the bottom and let go (passed), W held at the bottom,
    # A, S and D held part of the way.
    drive click alignButton
    drive await QAlignKeyboardWidget
    drive click alignStartButton
    drive await alignSaveButton
    sleep 1
    for press in "17 420" "17 0" "18 420" "18 0" "19 420" "19 0" "39 420" "59 260" "60 140" "61 330"; do
      drive press $press
    done
    sleep "$settle"
    shoot align
    # Maintenance: leaving the calibration switches the keyboard's report off.
    drive click otherButton
    drive await versionFireLabel
    sleep "$settle"
    shoot other
    # The factory reset: its question, answered with its first button, and the notice once the
    # keyboard has reset; the program returns to the key page.
    drive click resetBtn
    drive await messageBox
    shoot reset-question
    drive keyon messageBox Key_Return
    drive await messageBox
    shoot reset-done
    drive keyon messageBox Key_Return
    drive await KeySetForm

    # The settings page, and the firmware page that F12 opens on it.
    drive click settingButton
    drive await SystemSetForm
    shoot settings
    drive keyon SystemSetForm Key_F12
    drive await FirewareManageForm
    shoot firmware
    stop_program
  done
done
# The README's pictures: the key page and the performance page, light theme, in English, the
# window (its first size, at the screen's top left) at half size in 256 colours.
if [ "${QUILL_SCREENSHOT_DOCS:-0}" = 1 ] && [ "$status" = 0 ]; then
  for page in keys-normal-0 performance-selected; do
    convert "$out/$page-light-en_US.png" -crop 1504x939+0+0 +repage -resize 50% -colors 256 "PNG8:$root/docs/$page.png"
    echo "Saved $root/docs/$page.png"
  done
fi
exit "$status"
