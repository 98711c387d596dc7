#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the Debian package made from BUILD_DIR (default build/): contents, metadata,
# and a conversation run from it unpacked as the user nobody.  tools/package_test.sh [BUILD_DIR]
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
failures=0
check() { # check DESCRIPTION COMMAND...: runs the command, reports ok or FAIL
    if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1" >&2; failures=$((failures + 1)); fi
}
as_root=""
[ "$(id -u)" -eq 0 ] || as_root="sudo"

package=$("$repo/tools/package.sh" "${1:-$repo/build}")
echo "package: $package"
report=$(lintian "$package" 2>&1 | grep -v '^running with root privileges' || true)
[ -z "$report" ] || echo "$report"
check "lintian reports no error" eval '! grep -q "^E:" <<<"$report"'

# The package's contents, as absolute paths.
listing=$(dpkg-deb -c "$package")
paths=$(awk '{ sub(/^\./, "", $6); print $6 }' <<<"$listing")
app=org.jabbery.Jabbery
programs=$(sed -n 's|^/usr/bin/\(..*\)$|\1|p' <<<"$paths")
bots=$(sed -n 's|^/usr/share/jabbery/bots/\([^/]*\)/vorn.nfo$|\1|p' <<<"$paths")
expected=(/usr/share/applications/$app.desktop /usr/share/metainfo/$app.metainfo.xml
          /usr/share/mime/packages/$app.xml
          /usr/share/icons/hicolor/scalable/apps/$app.svg /usr/share/doc/jabbery/copyright
          /usr/share/doc/jabbery/changelog.gz /usr/share/doc/jabbery/jabbhelp.html
          /usr/share/doc/jabbery/README.md /usr/bin/jabbery /usr/bin/jabbery-cli
          /usr/share/jabbery/bots/hask/vorn.nfo /usr/share/jabbery/bots/wren/vorn.nfo)
for px in 16 24 32 48 64 128 256; do expected+=("/usr/share/icons/hicolor/${px}x$px/apps/$app.png"); done
for program in $programs; do expected+=("/usr/share/man/man1/$program.1.gz"); done
for bot in $bots; do expected+=("/usr/lib/jabbery/bots/$bot/$bot"); done
missing=$(comm -23 <(printf '%s\n' "${expected[@]}" | sort) <(sort <<<"$paths") | tr '\n' ' ')
check "dpkg-deb -c lists programs, man pages, desktop entry, metainfo, MIME type, icons, copyright, bots${missing:+, not $missing}" \
    test -z "$missing"
check "no executable file under share/" \
    test -z "$(awk '$1 ~ /^-..x/ && $6 ~ /^\.\/usr\/share\//' <<<"$listing")"
check "the package recommends xdg-utils, which opens folders for the Bots window" \
    test "$(dpkg-deb -f "$package" Recommends)" = xdg-utils

# Unpacked into a temporary root that nobody may enter, with a home of its own.
work=$(mktemp -d)
trap '$as_root rm -rf "$work"' EXIT
chmod 755 "$work"
tree="$work/root" home="$work/home"
dpkg-deb -x "$package" "$tree"
$as_root install -d -o nobody -g nogroup "$home"

for program in $programs; do
    man_page="$tree/usr/share/man/man1/$program.1.gz"
    check "$program.1 renders without warnings" \
        test -z "$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man_page" 2>&1 >/dev/null)"
    page=$(LC_ALL=C MANWIDTH=200 man -l "$man_page" 2>/dev/null)
    for option in $("$tree/usr/bin/$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        grep -q -- "$option" <<<"$page" || check "$program.1 names $option from --help" false
    done
done
check "the metainfo validates" appstreamcli validate --no-net "$tree/usr/share/metainfo/$app.metainfo.xml"
check "the desktop entry validates" desktop-file-validate "$tree/usr/share/applications/$app.desktop"
check "the desktop entry opens the conversation files the MIME file defines" eval \
    'grep -qx "MimeType=application/x-jabbery;" "$tree/usr/share/applications/$app.desktop" &&
     grep -q "<glob pattern=\"\*.jabbery\"/>" "$tree/usr/share/mime/packages/$app.xml"'
check "the installed README is the users' one: no build folder, no picture" \
    eval '! grep -qE "build/|\.png" "$tree/usr/share/doc/jabbery/README.md"'

as_nobody() {
    (cd "$home" && $as_root setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -i HOME="$home" XDG_DATA_HOME="$home/data" PATH=/usr/bin:/bin "$@")
}
check "nobody runs jabbery-cli hask wren from the unpacked package" \
    as_nobody "$tree/usr/bin/jabbery-cli" --turns 5 --interval 0 hask wren >"$work/talk"
cat "$work/talk"
check "five non-empty replies" test "$(grep -cE '^[A-Z]+> .*[^ ]' "$work/talk")" -eq 5
check "the user's copy of hask runs the unpacked program" \
    grep -qF "'$tree/usr/lib/jabbery/bots/hask/hask'" "$home/data/jabbery/bots/hask/vorn.nfo"
check "jabbery-cli --version names the licence" \
    eval 'as_nobody "$tree/usr/bin/jabbery-cli" --version | grep -q "^License: MIT"'

[ $failures -eq 0 ] || { echo "package_test.sh: $failures check(s) failed" >&2; exit 1; }
echo "package_test.sh: all checks passed"
