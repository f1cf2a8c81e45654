#!/usr/bin/env bash
# Fails when a layer links more of Qt than it may: brisklander-db, brisklander-quote and a
# test of the rules on Qt Core alone, brisklander-quote's PDF program without Qt Widgets,
# and the core library built without any Qt Gui or Widgets symbol.
# Usage: check_layers.sh BRISKLANDER-DB BRISKLANDER-QUOTE CORE-TEST CORE-LIBRARY QUOTE-PDF
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
exit $status
