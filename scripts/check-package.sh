#!/usr/bin/env bash
# CI: builds the Debian package (scripts/package.sh, reusing build/) and checks it: its
# fields and files, the desktop entry and the AppStream metadata through their validators,
# then, installed, as a new user with an empty home: brisklander-quote prices a trip from
# the user's data folder, and the program starts headless, makes that folder with its
# three files, and a second start keeps what the user changed in it. The package and the
# user are removed at the end, whether the checks pass or not. The package is built as the
# user who runs it; installing and the user's checks run as root, through sudo when that
# user is not root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRISKLANDER_BUILD_DIR:-$root/build}
id=io.github.brisklander.Brisklander

say() { echo "check-package: $*"; }
fail() {
    echo "check-package: FAILED: $*" >&2
    exit 1
}

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || fail "run it as root or with sudo at hand: it installs the package"
    as_root=(sudo)
fi
if dpkg-query -W -f='${Status}' brisklander 2>/dev/null | grep -q "install ok installed"; then
    fail "brisklander is installed already; remove it first (apt-get remove brisklander)"
fi

# The checkers, when missing.
missing=()
for package in desktop-file-utils appstream dpkg-dev file sqlite3; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    say "installing ${missing[*]}"
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ "${1:-}" != --built ]; then
    bash "$root/scripts/package.sh"
fi
if [ "$(id -u)" -ne 0 ]; then
    exec sudo env BRISKLANDER_BUILD_DIR="$build" bash "$0" --built
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
deb=$build/brisklander_${version}_$(dpkg --print-architecture).deb

unpacked=""
user=""
pidfile=""
installed=0
cleanup() {
    local status=$?
    if [ -n "$pidfile" ] && [ -s "$pidfile" ]; then
        kill -TERM "$(cat "$pidfile")" 2>/dev/null || true
    fi
    wait 2>/dev/null || true
    if [ -n "$user" ] && id "$user" >/dev/null 2>&1; then
        local uid
        uid=$(id -u "$user")
        userdel -r "$user" 2>/dev/null || true
        # What the user's programs left in the shared folders (Qt's runtime folder, a lock).
        find /tmp /run/lock -maxdepth 1 -uid "$uid" -exec rm -rf {} + 2>/dev/null || true
    fi
    if [ "$installed" = 1 ]; then
        apt-get remove -y -qq brisklander >/dev/null || status=1
    fi
    [ -z "$unpacked" ] || rm -rf "$unpacked"
    exit "$status"
}
trap cleanup EXIT

# The package's fields: its dependencies found by dpkg-shlibdeps and those loaded at run
# time (by Qt, and libpq by the engine).
info=$(dpkg-deb -I "$deb")
field() { sed -n "s/^ $1: //p" <<<"$info"; }
[ "$(field Package)" = brisklander ] || fail "the package is named '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "the package's version is '$(field Version)'"
for dependency in libqt6widgets6 libqt6printsupport6 libsqlite3-0 libgeographiclib \
    qt6-qpa-plugins fonts-liberation2 tzdata libpq5; do
    grep -q "\b$dependency" <<<"$(field Depends)" || fail "Depends lacks $dependency: $(field Depends)"
done
grep -q xdg-utils <<<"$(field Recommends)" || fail "Recommends lacks xdg-utils"
for name in Maintainer Section Description; do
    [ -n "$(field "$name")" ] || fail "the package has no $name"
done
say "$(field Package) $(field Version) $(field Architecture), $(du -h "$deb" | cut -f1)"
say "Depends: $(field Depends)"

# Its files, the programs stripped.
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in bin/brisklander bin/brisklander-db bin/brisklander-quote \
    libexec/brisklander/brisklander-quote-pdf \
    share/brisklander/template/Brisklander.INI share/brisklander/template/Brisklander.mdb \
    share/brisklander/template/Brisklander.mdw share/applications/$id.desktop \
    share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
    share/icons/hicolor/48x48/apps/$id.png share/icons/hicolor/128x128/apps/$id.png \
    share/icons/hicolor/256x256/apps/$id.png share/doc/brisklander/NOTICE.md; do
    grep -qx "\./usr/$path" <<<"$contents" || fail "the package lacks /usr/$path"
done
unpacked=$(mktemp -d)
dpkg-deb -x "$deb" "$unpacked"
for program_file in "$unpacked"/usr/bin/* "$unpacked"/usr/libexec/brisklander/*; do
    file -b "$program_file" | grep -q ", stripped" || fail "$(basename "$program_file") is not stripped"
done

say "desktop-file-validate $id.desktop"
desktop-file-validate "$unpacked/usr/share/applications/$id.desktop" ||
    fail "the desktop entry does not validate"
say "appstreamcli validate --no-net $id.metainfo.xml"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the AppStream metadata does not validate"

say "installing $(basename "$deb")"
installed=1
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null ||
    fail "apt-get could not install $deb"

# A user who never ran the program: nothing in the home at all.
user=brisklander-check
! id "$user" >/dev/null 2>&1 || fail "a user $user exists already; remove it (userdel -r $user)"
skeleton=$(mktemp -d)
useradd --create-home --skel "$skeleton" --shell /bin/sh "$user"
rmdir "$skeleton"
home=$(getent passwd "$user" | cut -d: -f6)
folder=$home/.local/share/Brisklander
as_user() {
    runuser -u "$user" -- env -i -C / HOME="$home" USER="$user" LOGNAME="$user" \
        PATH=/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen "$@"
}
log=$home/program.log
pidfile=$home/program.pid

# Starts the program as the user, waits until its main window has the database open (its
# WAL index beside it) and checks that it is still running; then ends it.
start_program() {
    rm -f "$pidfile"
    # The program's output goes to the log; runuser's own is only the signal that ended it.
    # shellcheck disable=SC2016 # the user's shell expands them
    as_user sh -c 'echo $$ >"$1"; exec timeout 60 brisklander >"$2" 2>&1' sh "$pidfile" "$log" \
        2>/dev/null &
    local job=$! waited=0
    until [ -e "$folder/Brisklander.mdb-shm" ]; do
        kill -0 "$job" 2>/dev/null || fail "the program ended at its start: $(cat "$log")"
        [ $waited -lt 300 ] || fail "the program did not open $folder/Brisklander.mdb in 30 s"
        sleep 0.1
        waited=$((waited + 1))
    done
    sleep 1
    kill -0 "$(cat "$pidfile")" 2>/dev/null || fail "the program ended after its start: $(cat "$log")"
    # timeout hands the signal on to the program.
    kill -TERM "$(cat "$pidfile")"
    { wait "$job" || true; } 2>/dev/null
    rm -f "$pidfile"
}
# inode and modification time of each file of the data folder.
stamps() {
    stat -c '%n %i %Y' "$folder/Brisklander.INI" "$folder/Brisklander.mdb" "$folder/Brisklander.mdw"
}

say "brisklander --help and --version, without a display"
help=$(as_user env -u QT_QPA_PLATFORM brisklander --help) || fail "brisklander --help failed: $help"
grep -q -- "--folder" <<<"$help" || fail "brisklander --help does not name --folder: $help"
as_user env -u QT_QPA_PLATFORM brisklander --version | grep -q "^Brisklander " ||
    fail "brisklander --version did not give the program's name and version"
if wrong=$(as_user env -u QT_QPA_PLATFORM brisklander --no-such-option 2>&1); then
    fail "brisklander took an unknown option"
fi
grep -q "Unknown option 'no-such-option'" <<<"$wrong" || fail "brisklander --no-such-option: $wrong"

say "first start of the program as $user, in an empty home"
start_program
for name in Brisklander.INI Brisklander.mdb Brisklander.mdw; do
    [ -s "$folder/$name" ] || fail "the first start did not make $folder/$name"
done

# The user adds an airport: KBOS again under another code and name.
as_user sqlite3 "$folder/Brisklander.mdb" "CREATE TEMP TABLE added AS SELECT * FROM Airports
    WHERE ID = 'KBOS'; UPDATE added SET ID = 'ZZBK', NAME = 'Brisklander Check Field';
    INSERT INTO Airports SELECT * FROM added;" || fail "sqlite3 could not add an airport"
before=$(stamps)

say "brisklander-quote - KTEB KBOS, and to the added airport"
quote=$(as_user brisklander-quote - KTEB KBOS) || fail "brisklander-quote - KTEB KBOS failed: $quote"
grep -q "Final Quote:" <<<"$quote" || fail "brisklander-quote gave no final quote: $quote"
added=$(as_user brisklander-quote - KTEB ZZBK) || fail "brisklander-quote did not find ZZBK: $added"
[ "$(grep "Final Quote:" <<<"$added")" = "$(grep "Final Quote:" <<<"$quote")" ] ||
    fail "the quote to ZZBK differs from the one to KBOS: $added"
say "brisklander-quote - KTEB KBOS --pdf: through the installed PDF program"
pdf=$(as_user brisklander-quote - KTEB KBOS --pdf "$home/quote.pdf" 2>&1) ||
    fail "brisklander-quote --pdf failed: $pdf"
[ "$(as_user head -c 5 "$home/quote.pdf")" = "%PDF-" ] || fail "brisklander-quote --pdf wrote no PDF"
as_user rm -f "$home/quote.pdf"

say "second start of the program"
start_program
[ "$(stamps)" = "$before" ] || fail "the second start replaced a file of the data folder:
$before
$(stamps)"
[ "$(as_user sqlite3 "$folder/Brisklander.mdb" "SELECT NAME FROM Airports WHERE ID = 'ZZBK'")" = \
    "Brisklander Check Field" ] || fail "the airport added between the starts is gone"

say "all checks passed; removing the user and the package"
