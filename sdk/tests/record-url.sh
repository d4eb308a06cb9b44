#!/bin/sh
# Stands in for xdg-open in the tests: records its arguments, one per line, then renames the file
# into place so a reader never sees it half written.
out="$GRUNDMOOR_URL_RECORD"
printf '%s\n' "$#" "$@" > "$out.part" && mv "$out.part" "$out"
