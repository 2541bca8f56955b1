#!/usr/bin/env bash
# Every text of the sources has a finished translation in every catalog, and
# no catalog keeps a text the sources lost (a text built by an expression is
# never found by lupdate, and its translation sits there unused): runs lupdate
# on the sources into a copy of each catalog and lists what is new, unfinished
# or vanished there.
# Usage: catalog_test.sh LUPDATE
set -euo pipefail
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
here=$(cd "$(dirname "$0")" && pwd)
"$here/../../translations/update" "$1" "$out"
failed=0
for ts in "$out"/*.ts; do
  # A message whose translation is unfinished, empty or vanished, with its source text.
  missing=$(python3 - "$ts" <<'PY'
import sys, xml.etree.ElementTree as ET
for context in ET.parse(sys.argv[1]).getroot().iter("context"):
    for message in context.iter("message"):
        translation = message.find("translation")
        kind = translation.get("type")
        if kind in ("vanished", "obsolete"):
            print("%s (no longer in the sources): %s" % (context.findtext("name"), message.findtext("source")))
        elif kind == "unfinished" or not (translation.text or "").strip():
            print("%s: %s" % (context.findtext("name"), message.findtext("source")))
PY
)
  if [ -n "$missing" ]; then
    echo "FAIL: $(basename "$ts") lacks a finished translation of, or keeps a lost text:" >&2
    echo "$missing" >&2
    failed=1
  fi
done
[ $failed -eq 0 ] && echo "catalogs complete"
exit $failed
