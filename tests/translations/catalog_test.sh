#!/usr/bin/env bash
# Every text of the sources has a finished translation in every catalog: runs
# lupdate on the sources into a copy of each catalog and lists what is new or
# unfinished there.
# Usage: catalog_test.sh LUPDATE
set -euo pipefail
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
here=$(cd "$(dirname "$0")" && pwd)
"$here/../../translations/update" "$1" "$out"
failed=0
for ts in "$out"/*.ts; do
  # A message whose translation is unfinished or empty, with its source text.
  missing=$(python3 - "$ts" <<'PY'
import sys, xml.etree.ElementTree as ET
for context in ET.parse(sys.argv[1]).getroot().iter("context"):
    for message in context.iter("message"):
        translation = message.find("translation")
        if translation.get("type") in ("vanished", "obsolete"):
            continue
        if translation.get("type") == "unfinished" or not (translation.text or "").strip():
            print("%s: %s" % (context.findtext("name"), message.findtext("source")))
PY
)
  if [ -n "$missing" ]; then
    echo "FAIL: $(basename "$ts") lacks a finished translation of:" >&2
    echo "$missing" >&2
    failed=1
  fi
done
[ $failed -eq 0 ] && echo "catalogs complete"
exit $failed
