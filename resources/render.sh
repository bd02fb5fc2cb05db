#!/usr/bin/env bash
# Renders the artwork in src/*.svg to the files in image/ that resources.qrc lists, and the
# program's icon for the desktop's icon theme into hicolor/.
#
#   resources/render.sh          re-render everything (needs rsvg-convert and ImageMagick)
#   resources/render.sh --check  verify only (needs ImageMagick's identify): every file the
#                                qrc lists exists with its intended pixel size, and every
#                                ":/image/NAME" used under src/ is listed in the qrc
#
# The rendered files are committed, so building the program never needs this script.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
qrc="$here/resources.qrc"

# What is rendered, from which source, at which size. logo.ico holds several sizes:
# 48 and 256 come from logo.svg, 16 and 32 from the simplified logo-small.svg.
table() {
    cat <<'EOF'
play.png          play.svg          48x48
pause.png         pause.svg         48x48
stop.png          stop.svg          36x36
pre.png           pre.svg           36x36
next.png          next.svg          36x36
volume.png        volume.svg        28x28
no-volume.png     no-volume.svg     28x28
fullscreen.png    fullscreen.svg    28x28
MoviesFolder.png  MoviesFolder.svg  48x48
disc.png          disc.svg          48x48
information.png   information.svg   48x48
close.png         close.svg         30x30
min.png           min.svg           30x30
dot.png           dot.svg           16x16
playstatus.png    playstatus.svg    16x16
snapshot.png      snapshot.svg      16x16
bg.jpg            bg.svg            1280x800
logo.ico          logo.svg          16x16,32x32,48x48,256x256
EOF
}

# The desktop's icon theme (hicolor) at its usual sizes; small sizes from the simplified logo.
desktop_icons() {
    cat <<'EOF2'
16 logo-small.svg
22 logo-small.svg
24 logo-small.svg
32 logo-small.svg
48 logo.svg
64 logo.svg
128 logo.svg
256 logo.svg
EOF2
}
desktop_icon_name=orvel-bluray-player.png

max_jpeg_bytes=307200   # keep the background small: it is decoded at every window build

im_convert() {
    if command -v magick >/dev/null 2>&1; then magick "$@"; else convert "$@"; fi
}

render() {
    command -v rsvg-convert >/dev/null || { echo "render.sh: rsvg-convert missing (apt-get install librsvg2-bin)" >&2; exit 1; }
    command -v convert >/dev/null || command -v magick >/dev/null ||
        { echo "render.sh: ImageMagick missing (apt-get install imagemagick)" >&2; exit 1; }
    mkdir -p "$here/image"
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT

    table | while read -r name source size; do
        out="$here/image/$name"
        case "$name" in
        *.png)
            w=${size%x*}; h=${size#*x}
            rsvg-convert -w "$w" -h "$h" -o "$out" "$here/src/$source"
            ;;
        *.jpg)
            w=${size%x*}; h=${size#*x}
            rsvg-convert -w "$w" -h "$h" -b '#000000' -o "$tmp/$name.png" "$here/src/$source"
            im_convert "$tmp/$name.png" -strip -alpha off -sampling-factor 4:2:0 -interlace none \
                -quality 90 "$out"
            ;;
        logo.ico)
            rsvg-convert -w 16 -h 16 -o "$tmp/logo-16.png" "$here/src/logo-small.svg"
            rsvg-convert -w 32 -h 32 -o "$tmp/logo-32.png" "$here/src/logo-small.svg"
            rsvg-convert -w 48 -h 48 -o "$tmp/logo-48.png" "$here/src/logo.svg"
            rsvg-convert -w 256 -h 256 -o "$tmp/logo-256.png" "$here/src/logo.svg"
            im_convert "$tmp/logo-16.png" "$tmp/logo-32.png" "$tmp/logo-48.png" "$tmp/logo-256.png" \
                -strip "$out"
            ;;
        *)
            echo "render.sh: do not know how to render $name" >&2; exit 1
            ;;
        esac
        echo "rendered image/$name ($size)"
    done
    desktop_icons | while read -r size source; do
        mkdir -p "$here/hicolor/${size}x${size}/apps"
        rsvg-convert -w "$size" -h "$size" -o "$here/hicolor/${size}x${size}/apps/$desktop_icon_name" \
            "$here/src/$source"
        echo "rendered hicolor/${size}x${size}/apps/$desktop_icon_name"
    done
}

check() {
    command -v identify >/dev/null || { echo "render.sh --check: identify missing (apt-get install imagemagick)" >&2; exit 1; }
    local failures=0
    fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

    [ -f "$qrc" ] || { echo "FAIL: $qrc missing" >&2; exit 1; }
    grep -q '<qresource prefix="/image">' "$qrc" || fail "resources.qrc has no <qresource prefix=\"/image\">"

    # alias and file of every <file alias="NAME">PATH</file> line, one pair per line
    local entries
    entries=$(sed -n 's|.*<file alias="\([^"]*\)">\([^<]*\)</file>.*|\1 \2|p' "$qrc")
    [ -n "$entries" ] || fail "resources.qrc lists no files"
    local files_total unaliased
    files_total=$(grep -c '<file' "$qrc" || true)
    unaliased=$(( files_total - $(printf '%s\n' "$entries" | grep -c . || true) ))
    [ "$unaliased" -eq 0 ] || fail "resources.qrc has $unaliased <file> entries without an alias"

    local alias path intended actual
    while read -r alias path; do
        [ -n "$alias" ] || continue
        [ "$alias" = "$(basename "$path")" ] || fail "qrc alias $alias does not match its file $path"
        if [ ! -f "$here/$path" ]; then fail "qrc lists $path, which does not exist"; continue; fi
        intended=$(table | awk -v n="$alias" '$1 == n { print $3 }')
        if [ -z "$intended" ]; then fail "qrc lists $alias, which render.sh does not render"; continue; fi
        case "$alias" in
        *.ico)
            # every size stored in the icon, smallest first
            actual=$(identify -format '%wx%h\n' "$here/$path" 2>/dev/null | sort -t x -k1,1n -u | paste -sd, -)
            ;;
        *)
            actual=$(identify -format '%wx%h\n' "$here/$path" 2>/dev/null | head -n 1)
            ;;
        esac
        [ "$actual" = "$intended" ] || fail "$alias is ${actual:-unreadable}, intended $intended"
        case "$alias" in
        *.png)
            # icons sit on several backgrounds: they must keep their transparency
            identify -format '%[channels]' "$here/$path" 2>/dev/null | grep -q 'a' ||
                fail "$alias has no alpha channel"
            ;;
        *.jpg)
            [ "$(wc -c <"$here/$path")" -le "$max_jpeg_bytes" ] || fail "$alias is larger than $max_jpeg_bytes bytes"
            ;;
        esac
    done <<<"$entries"

    local name
    while read -r name _; do
        printf '%s\n' "$entries" | awk -v n="$name" '$1 == n { found = 1 } END { exit !found }' ||
            fail "image/$name is rendered but resources.qrc does not list it"
    done < <(table)

    # every ":/image/NAME" the program uses must be in the qrc
    if [ -d "$root/src" ]; then
        local used
        used=$(grep -rhoE ':/image/[A-Za-z0-9_.-]+' "$root/src" 2>/dev/null | sort -u || true)
        for name in $used; do
            name=${name#:/image/}
            printf '%s\n' "$entries" | awk -v n="$name" '$1 == n { found = 1 } END { exit !found }' ||
                fail "src/ uses \":/image/$name\", which resources.qrc does not list"
        done
    fi

    local size source icon
    while read -r size source; do
        icon="$here/hicolor/${size}x${size}/apps/$desktop_icon_name"
        actual=$(identify -format '%wx%h\n' "$icon" 2>/dev/null | head -n 1)
        [ "$actual" = "${size}x${size}" ] || fail "hicolor icon $size is ${actual:-missing}"
    done < <(desktop_icons)

    if [ "$failures" -ne 0 ]; then
        echo "render.sh --check: $failures problem(s)" >&2
        exit 1
    fi
    echo "render.sh --check: $(printf '%s\n' "$entries" | grep -c .) images OK"
}

case "${1:-}" in
"") render; check ;;
--check) check ;;
*) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac
