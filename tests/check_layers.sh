#!/usr/bin/env bash
# Fails when a layer links more of Qt than it may: brisklander-db, brisklander-quote and a
# test of the rules on Qt Core alone, brisklander-quote's PDF program without Qt Widgets,
# and the core library built without any Qt Gui or Widgets symbol. No program loads the
# PostgreSQL client library at its start: the engine loads it when it reaches a server.
# Usage: check_layers.sh BRISKLANDER-DB BRISKLANDER-QUOTE CORE-TEST CORE-LIBRARY QUOTE-PDF
#        PROGRAM
set -euo pipefail
status=0
forbid() { # forbid BINARY PATTERN WHAT
    local found
    found=$(ldd "$1" | grep -E "$2" || true)
    if [ -n "$found" ]; then
        echo "FAIL: $(basename "$1") links $3:"
        echo "$found"
        status=1
    else
        echo "ok: $(basename "$1") does not link $3"
    fi
}
forbid "$1" 'libQt6(Gui|Widgets|PrintSupport)' 'Qt Gui or Widgets'
forbid "$3" 'libQt6(Gui|Widgets|PrintSupport)' 'Qt Gui or Widgets'
forbid "$2" 'libQt6(Gui|Widgets|PrintSupport)' 'Qt Gui or Widgets'
forbid "$5" 'libQt6(Widgets|PrintSupport)' 'Qt Widgets'
for program in "$1" "$2" "$5" "$6"; do
    forbid "$program" 'libpq\.so' 'libpq'
done
# The library's undefined symbols: none may come from Qt Gui or Widgets classes.
used=$(nm -C --undefined-only "$4" |
    grep -E 'Q(Widget|Application|GuiApplication|Color|Font|Painter|Pixmap|Image|Printer|PdfWriter)\b' |
    sort -u || true)
if [ -n "$used" ]; then
    echo "FAIL: $(basename "$4") uses Qt Gui or Widgets:"
    echo "$used" | head
    status=1
else
    echo "ok: $(basename "$4") uses neither Qt Gui nor Widgets"
fi
# A tool that needs libpq where it is missing says so and does nothing. The library is
# hidden in a mount namespace of its own, which needs root (as in CI).
# awk reads the whole list: leaving early would end ldconfig on a broken pipe, which
# pipefail turns into a failure of the script.
library=$(ldconfig -p | awk '/libpq\.so\.5 / && !found {print $NF; found = 1}')
if [ "$(id -u)" = 0 ] && [ -n "$library" ] && unshare -m true 2>/dev/null; then
    code=0
    said=$(unshare -m sh -c 'mount --bind /dev/null "$1" && "$2" server-init "dbname=none"' \
        sh "$library" "$1" 2>&1) || code=$?
    if [ "$code" = 1 ] && grep -q 'error 3049: .*Install the package libpq5\.' <<<"$said"; then
        echo "ok: without libpq, $(basename "$1") says so"
    else
        echo "FAIL: without libpq, $(basename "$1") exited $code: $said"
        status=1
    fi
else
    echo "skipped: hiding libpq needs root and unshare"
fi
exit $status
