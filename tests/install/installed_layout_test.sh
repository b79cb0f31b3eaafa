#!/usr/bin/env bash
# Installs the build into a temporary prefix, moves it elsewhere (an install must not care where it
# lives), checks the layout, and runs the installed programs on headless replays from another
# folder with --home. Usage: installed_layout_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd -P)
source=$(cd "$2" && pwd -P)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Stripped, as the package installs it: debugging data would name the source files.
cmake --install "$build" --prefix "$work/first" --strip >/dev/null
mv "$work/first" "$work/usr"
prefix=$work/usr

for file in bin/zodav bin/garbage lib/garbage-games/libeXgine.so.1 \
    share/garbage-games/garbage/star.bmp share/garbage-games/garbage/chiptune.mp3 \
    share/garbage-games/readme/logo.bmp \
    share/applications/org.garbage_games.Zodav.desktop \
    share/applications/org.garbage_games.Scrapfall.desktop \
    share/metainfo/org.garbage_games.Zodav.metainfo.xml \
    share/metainfo/org.garbage_games.Scrapfall.metainfo.xml \
    share/icons/hicolor/48x48/apps/org.garbage_games.Zodav.png \
    share/icons/hicolor/256x256/apps/org.garbage_games.Scrapfall.png \
    share/icons/hicolor/scalable/apps/org.garbage_games.Scrapfall.svg \
    share/man/man6/zodav.6.gz share/man/man6/garbage.6.gz \
    share/doc/garbage-games/copyright; do
    [ -e "$prefix/$file" ] || fail "$file is not installed"
done
# The engine is the game's own: no header and no development link on the system.
[ -z "$(find "$prefix" -name '*.h' -o -name 'libeXgine.so' -o -path '*/include*')" ] ||
    fail "a header or development link is installed"
runpath=$(readelf -d "$prefix/bin/garbage" | sed -n 's/.*RUNPATH.*\[\(.*\)\]/\1/p')
[ "$runpath" = '$ORIGIN/../lib/garbage-games' ] || fail "garbage's RUNPATH is '$runpath'"
if grep -rlaF -e "$build" -e "$source" "$prefix"; then fail "installed files name the build or source tree"; fi

[ "$("$prefix/bin/zodav" --version)" = "zodav 1.0.0" ] || fail "zodav --version"
[ "$("$prefix/bin/garbage" --version)" = "garbage 1.0.0" ] || fail "garbage --version"

# From another folder, with the game folder under XDG_DATA_HOME: the replay and the dump are the
# player's files in the starting folder; config, log and content are in the game folder.
elsewhere=$work/elsewhere
home=$work/data/garbage-games
mkdir -p "$elsewhere"
cd "$elsewhere"
printf 'garbage-replay 1\nseed 3\nupdate 2\ndump\n' >g.txt
printf 'zodav-replay 1\nseed 3\ntick 2\ndump\n' >z.txt
export XDG_DATA_HOME=$work/data
"$prefix/bin/garbage" --home --replay g.txt --headless --dump g.json 2>g.err || fail "garbage --home: exit $? ($(cat g.err))"
"$prefix/bin/zodav" --home --replay z.txt --headless --dump z.json 2>z.err || fail "zodav --home: exit $? ($(cat z.err))"
for file in config.txt log.txt readme/logo.bmp garbage/star.bmp; do
    [ -f "$home/$file" ] || fail "the game folder has no $file"
done
[ -s g.json ] && [ -s z.json ] || fail "the dumps are not in the starting folder"
grep -q 'star.bmp' z.json || fail "zodav did not read the game folder's content"
[ ! -e config.txt ] && [ ! -e log.txt ] || fail "a file was written into the starting folder"

[ "$failures" -eq 0 ] && echo "installed layout: all good"
exit "$failures"
