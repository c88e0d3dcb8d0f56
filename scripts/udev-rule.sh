#!/usr/bin/env bash
# Lets the user at the seat open the keyboard's HID interfaces (/dev/hidraw*), which the device
# link and the firmware flashing need: writes a udev rule that tags the hidraw nodes of every
# vendor id in the product database "uaccess", then reloads udev. Run it as root (sudo) and plug
# the keyboard in again.
#
#   scripts/udev-rule.sh [--print] [product database]
#
#   --print   prints the rule instead of installing it
#   database  default: $QUILLOMATRIX_DATA_DIR/quillbase.db3, else the data folder of the program
#             built into $QUILL_BUILD_DIR (or build/). A database that is missing or has no
#             products gives the vendor id of the keyboard the program talks to (5e2d).
#   QUILL_UDEV_RULE_FILE  where the rule goes (default /etc/udev/rules.d/70-quillomatrix.rules;
#             "uaccess" is applied by 73-seat-late.rules, so the number must stay below 73).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
print=0
if [ "${1:-}" = "--print" ]; then
  print=1
  shift
fi
build="${QUILL_BUILD_DIR:-$root/build}"
database="${1:-${QUILLOMATRIX_DATA_DIR:-$build/app/data}/quillbase.db3}"
rule_file="${QUILL_UDEV_RULE_FILE:-/etc/udev/rules.d/70-quillomatrix.rules}"
query="SELECT DISTINCT vendorId FROM product_table;"

vendor_ids() {
  [ -f "$database" ] || return 0
  if command -v sqlite3 >/dev/null; then
    sqlite3 -readonly "$database" "$query" 2>/dev/null || true
  elif command -v python3 >/dev/null; then
    python3 - "$database" "$query" <<'EOF' 2>/dev/null || true
import sqlite3, sys
connection = sqlite3.connect("file:" + sys.argv[1] + "?mode=ro", uri=True)
for (value,) in connection.execute(sys.argv[2]):
    print(value)
EOF
  else
    echo "Neither sqlite3 nor python3 is installed: the database cannot be read." >&2
  fi
}

ids=()
while read -r value; do
  # Ids are stored as signed 16-bit numbers: 0x8000 and above read as negative values.
  [[ "$value" =~ ^-?[0-9]+$ ]] || continue
  ids+=("$(printf '%04x' $(((value + 65536) % 65536)))")
done < <(vendor_ids)
if [ ${#ids[@]} -eq 0 ]; then
  echo "No product in '$database': using the keyboard's vendor id 5e2d." >&2
  ids=(5e2d)
fi

rule="# Written by Quillomatrix's scripts/udev-rule.sh from $database:
# the user at the seat may open the keyboards' HID interfaces."
for id in $(printf '%s\n' "${ids[@]}" | sort -u); do
  rule+=$'\n'"SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"$id\", TAG+=\"uaccess\""
done

if [ "$print" = 1 ]; then
  printf '%s\n' "$rule"
  exit 0
fi
if ! { [ -w "$(dirname "$rule_file")" ] && { [ ! -e "$rule_file" ] || [ -w "$rule_file" ]; }; }; then
  echo "Cannot write $rule_file: run this script with sudo." >&2
  exit 1
fi
printf '%s\n' "$rule" >"$rule_file"
echo "Wrote $rule_file:"
printf '%s\n' "$rule"
if command -v udevadm >/dev/null; then
  udevadm control --reload-rules
  udevadm trigger --subsystem-match=hidraw --action=change
  echo "udev reloaded: plug the keyboard in again if it still cannot be opened."
else
  echo "udevadm not found: reload udev (or restart) and plug the keyboard in again."
fi
