#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks the tree: every file a
# Linux system expects is there and nothing else, the desktop entries and the
# AppStream metainfo are valid, the man pages render without warnings and
# name every option and environment variable that --help lists, and both
# programs print their version.
#   check_install_tree.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
for tool in desktop-file-validate appstreamcli man; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing (scripts/setup.sh installs it)"
        exit 77
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/usr
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }

expected=(
    bin/quillon bin/quillon-pocket lib/quillon/hwp-bridge lib/quillon/quillon-office-bridge
    lib/systemd/user/quillon.service
    share/applications/quillon.desktop share/applications/quillon-pocket.desktop
    share/metainfo/org.quillon.Quillon.metainfo.xml share/metainfo/org.quillon.QuillonPocket.metainfo.xml
    share/man/man1/quillon.1.gz share/man/man1/quillon-pocket.1.gz
    share/icons/hicolor/scalable/apps/quillon.svg share/icons/hicolor/scalable/apps/quillon-pocket.svg
)
for size in 16 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/quillon.png"
        "share/icons/hicolor/${size}x${size}/apps/quillon-pocket.png")
done
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
(cd "$prefix" && find . -type f | sed 's|^\./||' | sort) >"$work/found"
if ! diff -u "$work/expected" "$work/found"; then
    fail "the installed tree differs from the expected one (- missing, + unexpected)"
fi

for program in bin/quillon bin/quillon-pocket lib/quillon/hwp-bridge lib/quillon/quillon-office-bridge; do
    [ -x "$prefix/$program" ] || fail "$program is not executable"
done

# Each PNG is as large as the folder it lies in says (width and height are
# the big-endian words at bytes 16 and 20).
for png in "$prefix"/share/icons/hicolor/*x*/apps/*.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "${width}x${height}" = "$size" ] || fail "$png is ${width}x${height}, not $size"
done

desktop-file-validate "$prefix"/share/applications/*.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix"/share/metainfo/*.xml >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "appstreamcli validate"; }
for id in org.quillon.Quillon org.quillon.QuillonPocket; do
    grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" ||
        fail "$id.metainfo.xml has no release $version"
done

# The unit starts the installed program.
unit=$prefix/lib/systemd/user/quillon.service
grep -qx "ExecStart=$prefix/bin/quillon --headless --start --credentials %E/quillon/credentials" "$unit" ||
    fail "quillon.service does not start $prefix/bin/quillon: $(grep ExecStart= "$unit")"
grep -qx "WantedBy=default.target" "$unit" || fail "quillon.service is not wanted by default.target"

check_program() {
    local program=$1
    local page=$prefix/share/man/man1/$program.1.gz
    local shown
    shown=$("$prefix/bin/$program" --version) || fail "$program --version failed"
    [[ "$shown" =~ ^$program\ ${version//./\\.}(\ \(git\ [^\)]+\))?$ ]] || fail "$program --version printed '$shown'"

    MANWIDTH=200 man --warnings -l "$page" >"$work/$program.man" 2>"$work/$program.warnings" ||
        fail "man -l $page failed"
    [ ! -s "$work/$program.warnings" ] || { cat "$work/$program.warnings"; fail "man -l $page warns"; }
    grep -q "^NAME" "$work/$program.man" || fail "man -l $page shows no NAME section"
    grep -q "Quillon $version" "$work/$program.man" || fail "$page does not name version $version"

    # Every option and environment variable of --help is in the man page.
    "$prefix/bin/$program" --help >"$work/$program.help"
    gzip -dc "$page" | sed 's/\\-/-/g' >"$work/$program.roff"
    local word
    for word in $(grep -oE -- '--[a-z][a-z-]+|\b(QUILLON_[A-Z_]+|XDG_[A-Z_]+|DISPLAY|WAYLAND_DISPLAY|QT_QPA_PLATFORM)\b' \
        "$work/$program.help" | sort -u); do
        grep -q -- "$word" "$work/$program.roff" || fail "$program --help names $word, its man page does not"
    done
}
check_program quillon
check_program quillon-pocket

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "install tree ok: ${#expected[@]} files under $prefix"
