#!/usr/bin/env bash
# The screen texts of the sources against translations/cellward_en.ts (Qt's lupdate):
#   check   fail, naming them, when a text has no finished English translation
#   update  add new texts to the .ts and drop vanished ones, for a translator to finish
set -euo pipefail
cd "$(dirname "$0")/.."

lupdate=$(command -v lupdate6 || command -v lupdate || echo /usr/lib/qt6/bin/lupdate)
ts=translations/cellward_en.ts
# The core marks its screen texts with KLV_TEXT and KLV_NOOP (common/screen_text.h); no line
# numbers, so that moving code does not change the .ts.
scan() {
  "$lupdate" -silent -recursive src -extensions cpp,h \
    -tr-function-alias QT_TRANSLATE_NOOP+=KLV_TEXT,QT_TRANSLATE_NOOP+=KLV_NOOP \
    -locations none -no-obsolete -source-language zh_CN -target-language en -ts "$1"
}

case "${1:-check}" in
  update)
    scan "$ts"
    ;;
  check)
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    cp "$ts" "$tmp/check.ts"
    scan "$tmp/check.ts"
    if grep -q 'type="unfinished"' "$tmp/check.ts"; then
      echo "Screen texts without a finished English translation in $ts (run: bash tools/translations.sh update):" >&2
      grep -B1 'type="unfinished"' "$tmp/check.ts" | grep '<source>' >&2
      exit 1
    fi
    ;;
  *)
    echo "usage: $0 check|update" >&2
    exit 2
    ;;
esac
