#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the Debian package made from a build folder (default: build/):
# lintian finds no error; the package holds the programs, manual pages,
# desktop entry, metainfo, icons, copyright and bots in their places and no
# program under share/; and, unpacked into a temporary root, jabbery-cli run
# there by an unprivileged user (nobody) holds a five-turn conversation
# between two bundled bots named bare, with non-empty replies, writing
# nothing into the unpacked tree. Changing user needs root: when not run as
# root it asks sudo for that part. tools/test.sh runs it after the unit tests.
#
#   tools/package_test.sh [BUILD_DIR]
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$repo/build}
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

as_root=""
[ "$(id -u)" -eq 0 ] || as_root="sudo"
package=$("$repo/tools/package.sh" "$build")
echo "package: $package"

# lintian: warnings are shown, errors fail.
report=$(lintian "$package" 2>&1 | grep -v '^running with root privileges' || true)
[ -z "$report" ] || echo "$report"
if grep -q '^E:' <<<"$report"; then fail "lintian reports errors"; else pass "lintian: no errors"; fi

# The package's files, as absolute paths, and the modes of its plain files.
listing=$(dpkg-deb -c "$package")
paths=$(awk '{ sub(/^\./, "", $6); print $6 }' <<<"$listing")
has() { grep -qx -- "$1" <<<"$paths"; }
app=org.jabbery.Jabbery
expected=(/usr/share/applications/$app.desktop /usr/share/metainfo/$app.metainfo.xml
          /usr/share/icons/hicolor/scalable/apps/$app.svg
          /usr/share/doc/jabbery/copyright /usr/share/doc/jabbery/changelog.gz
          /usr/share/doc/jabbery/README.md /usr/share/doc/jabbery/jabbhelp.html
          /usr/share/jabbery/jabbhelp.html)
for px in 16 24 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${px}x$px/apps/$app.png")
done
programs=$(grep '^/usr/bin/.' <<<"$paths" | sed 's|^/usr/bin/||')
for program in jabbery jabbery-cli $programs; do
    expected+=("/usr/bin/$program" "/usr/share/man/man1/$program.1.gz")
done
bots=$(sed -n 's|^/usr/share/jabbery/bots/\([^/]*\)/vorn.nfo$|\1|p' <<<"$paths")
[ "$(wc -w <<<"$bots")" -ge 2 ] || fail "fewer than two bundled bots in the package"
for bot in $bots; do
    expected+=("/usr/lib/jabbery/bots/$bot/$bot")
done
missing=0
for path in "${expected[@]}"; do
    has "$path" || { fail "the package lacks $path"; missing=1; }
done
[ $missing -eq 1 ] || pass "dpkg-deb -c: programs, manual pages, desktop entry, metainfo, icons, copyright, bots ($(echo $bots))"
executables_in_share=$(awk '$1 ~ /^-..x/ && $6 ~ /^\.\/usr\/share\// { print $6 }' <<<"$listing")
if [ -n "$executables_in_share" ]; then
    fail "programs under share/: $executables_in_share"
else
    pass "no executable file under share/"
fi

# Unpacked into a temporary root that nobody may enter, with a home of its own.
work=$(mktemp -d)
trap '$as_root rm -rf "$work"' EXIT
chmod 755 "$work"
tree="$work/root"
dpkg-deb -x "$package" "$tree"
home="$work/home"
mkdir "$home"
$as_root chown nobody:nogroup "$home"
snapshot() { (cd "$tree" && find . -printf '%p %M %s %T@\n' | sort && find . -type f -exec md5sum {} + | sort); }
before=$(snapshot)

elves=$(find "$tree/usr/share" -type f -exec file {} + | grep ELF || true)
[ -z "$elves" ] && pass "no ELF file under share/" || fail "ELF files under share/: $elves"
for page in "$tree"/usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page") renders with warnings: $warnings"
done
pass "manual pages render without warnings"
# Every option a program's --help names is in its manual page.
for program in $programs; do
    page=$(LC_ALL=C MANWIDTH=200 man -l "$tree/usr/share/man/man1/$program.1.gz" 2>/dev/null)
    for option in $("$tree/usr/bin/$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        grep -q -- "$option" <<<"$page" || fail "$program.1 does not name $option from --help"
    done
done
pass "manual pages name every option of --help"
appstreamcli validate --no-net "$tree/usr/share/metainfo/$app.metainfo.xml" >/dev/null &&
    pass "metainfo validates" || fail "appstreamcli validate rejects the metainfo"
desktop-file-validate "$tree/usr/share/applications/$app.desktop" &&
    pass "desktop entry validates" || fail "desktop-file-validate rejects the desktop entry"

as_nobody() {
    (cd "$home" && $as_root setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -i HOME="$home" XDG_DATA_HOME="$home/data" PATH=/usr/bin:/bin "$@")
}
set -- hask wren
if as_nobody "$tree/usr/bin/jabbery-cli" --turns 5 --interval 0 "$1" "$2" >"$work/talk" 2>"$work/err"; then
    replies=$(grep -cE '^[A-Z]+> .*[^ ]' "$work/talk" || true)
    [ "$replies" -eq 5 ] && pass "nobody: jabbery-cli $1 $2 gave 5 non-empty replies" ||
        fail "nobody: $replies non-empty replies in 5 turns: $(cat "$work/talk")"
else
    fail "nobody: jabbery-cli $1 $2 failed: $(cat "$work/err")"
fi
grep -qF "'$tree/usr/lib/jabbery/bots/$1/$1'" "$home/data/jabbery/bots/$1/vorn.nfo" 2>/dev/null &&
    pass "the user's copy of $1 runs the unpacked program" ||
    fail "the user's copy of $1 does not run $tree/usr/lib/jabbery/bots/$1/$1"
as_nobody "$tree/usr/bin/jabbery-cli" --version | grep -q '^License: MIT' &&
    pass "jabbery-cli --version names the licence" || fail "jabbery-cli --version has no licence"
[ "$(snapshot)" = "$before" ] && pass "nothing in the unpacked tree changed" ||
    fail "the unpacked tree changed: $(diff <(echo "$before") <(snapshot) | head -5)"

if [ $failures -ne 0 ]; then
    echo "package_test.sh: $failures check(s) failed" >&2
    exit 1
fi
echo "package_test.sh: all checks passed"
