#!/usr/bin/env bash
# Builds the program, starts it on a virtual X display (Xvfb) once per theme and language, and
# saves a picture of the screen for each: screenshots/main-<theme>-<language>.png in the build
# folder (or in the folder given as the first argument).
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
for theme in light dark; do
  for language in zh_CN en_US vi_VN; do
    case "$language" in zh_CN) index=1 ;; en_US) index=2 ;; vi_VN) index=3 ;; esac
    case "$theme" in light) theme_index=0 ;; dark) theme_index=1 ;; esac
    run="$work/$theme-$language"
    mkdir -p "$run/data" "$run/tmp"
    cp "$build"/app/data/*.ini "$run/data/" 2>/dev/null || true
    printf '[System]\nLanguage=%s\nTheme=%s\n' "$index" "$theme_index" >"$run/data/config.ini"

    (cd "$run" && exec env DISPLAY=":$display" QT_QPA_PLATFORM=xcb QUILLOMATRIX_DATA_DIR="$run/data" \
       TMPDIR="$run/tmp" "$program" >"$run/stdout.log" 2>&1) &
    app_pid=$!
    for _ in $(seq 100); do
      grep -q "HidWatcher" "$run/app.log" 2>/dev/null && break
      sleep 0.1
    done
    sleep "$settle"
    picture="$out/main-$theme-$language.png"
    if kill -0 "$app_pid" 2>/dev/null; then
      import -display ":$display" -window root "$picture"
      echo "Saved $picture"
    else
      echo "The program ended before the picture ($theme, $language); its log:" >&2
      cat "$run/app.log" "$run/stdout.log" >&2 || true
      status=1
    fi
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
    remove_ipc "$run/tmp"
  done
done
exit "$status"
