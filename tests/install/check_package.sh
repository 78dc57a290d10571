#!/usr/bin/env bash
# Builds the two Debian packages from a build folder with CPack and checks
# their contents and dependencies. With "install" it also installs them into
# a throw-away Debian root made with mmdebstrap (the packages' dependencies
# come from the mirrors apt on this machine uses, Recommends left out) and
# runs both programs there. That takes minutes and downloads about 85 MB, so
# it runs only where QUILLON_PACKAGE_CHECK=1 (scripts/test.sh, and so CI,
# sets it) or CI is set.
#   check_package.sh BUILD_DIR VERSION build|install
set -euo pipefail
build=$1
version=$2
mode=$3
tools=(cpack dpkg-deb dpkg-shlibdeps)
if [ "$mode" = install ]; then
    if [ "${QUILLON_PACKAGE_CHECK:-}" != 1 ] && [ -z "${CI:-}" ]; then
        echo "SKIP: installing the packages in a Debian root runs with QUILLON_PACKAGE_CHECK=1 (scripts/test.sh, CI)"
        exit 77
    fi
    tools+=(mmdebstrap)
    if [ "$(id -u)" -ne 0 ] && ! unshare --user --map-root-user true 2>/dev/null; then
        echo "SKIP: making a Debian root needs root or user namespaces"
        exit 77
    fi
fi
for tool in "${tools[@]}"; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing (scripts/setup.sh installs it)"
        exit 77
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
started=$SECONDS

cpack --config "$build/CPackConfig.cmake" -B "$work/packages" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
arch=$(dpkg --print-architecture)
server=$work/packages/quillon_${version}-1_${arch}.deb
pocket=$work/packages/quillon-pocket_${version}-1_${arch}.deb
for deb in "$server" "$pocket"; do
    [ -f "$deb" ] || { ls "$work/packages"; echo "FAIL: no $deb"; exit 1; }
done

# What each package depends on: the libraries it links, a Qt platform plugin
# and a Korean font; the document converters only recommended; no mail server.
field() { dpkg-deb -f "$1" "$2"; }
for deb in "$server" "$pocket"; do
    depends=$(field "$deb" Depends)
    for needed in libqt6widgets6 libqt6gui6 libqt6core6 libcurl4 qt6-qpa-plugins fonts-nanum; do
        [[ "$depends" == *"$needed"* ]] || fail "$(basename "$deb") does not depend on $needed: $depends"
    done
    [[ "$(field "$deb" Depends) $(field "$deb" Recommends)" != *dovecot* ]] ||
        fail "$(basename "$deb") names dovecot"
done
recommends=$(field "$server" Recommends)
for wanted in libreoffice-writer libreoffice-calc libreoffice-impress poppler-utils python3-uno; do
    [[ "$recommends" == *"$wanted"* ]] || fail "quillon does not recommend $wanted: $recommends"
    [[ "$(field "$server" Depends)" != *"$wanted"* ]] || fail "quillon depends on $wanted"
done
dpkg-deb -c "$server" >"$work/server.contents"
dpkg-deb -c "$pocket" >"$work/pocket.contents"
grep -q ' ./usr/bin/quillon$' "$work/server.contents" || fail "quillon holds no program"
grep -q ' ./usr/lib/quillon/hwp-bridge$' "$work/server.contents" || fail "quillon does not hold hwp-bridge"
grep -q ' ./usr/lib/quillon/quillon-office-bridge$' "$work/server.contents" || fail "quillon holds no office bridge"
grep -q ' ./usr/lib/systemd/user/quillon.service$' "$work/server.contents" || fail "quillon holds no unit"
grep -q ' ./usr/bin/quillon-pocket$' "$work/pocket.contents" || fail "quillon-pocket holds no program"
! grep -q 'quillon-pocket' "$work/server.contents" || fail "quillon holds files of quillon-pocket"
echo "packages built and checked in $((SECONDS - started)) s"
if [ "$mode" != install ]; then
    [ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
    exit 0
fi

# A fresh Debian root (this machine's release, 12) from its apt sources, with the two
# packages and what they depend on, and nothing they only recommend.
sources=()
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -s "$file" ] && sources+=("$file")
done
root=$work/root
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
# The automount hook makes the two .deb files visible inside the root.
if ! mmdebstrap --variant=apt --quiet --aptopt='APT::Install-Recommends "false"' --dpkgopt=force-unsafe-io \
    --hook-dir=/usr/share/mmdebstrap/hooks/file-mirror-automount --include="$server" --include="$pocket" \
    --customize-hook="chroot \"\$1\" quillon --version >'$work/quillon.version'" \
    --customize-hook="chroot \"\$1\" quillon-pocket --version >'$work/quillon-pocket.version'" \
    --customize-hook="chroot \"\$1\" dpkg-query -W -f='\${Package}\n' >'$work/installed'" \
    --customize-hook="chroot \"\$1\" sh -c 'ls /usr/share/applications /usr/lib/systemd/user /usr/share/man/man1' >'$work/files'" \
    "$suite" "$root" "${sources[@]}" >"$work/mmdebstrap.log" 2>&1; then
    tail -40 "$work/mmdebstrap.log"
    fail "mmdebstrap could not install the packages"
else
    for program in quillon quillon-pocket; do
        shown=$(cat "$work/$program.version")
        [[ "$shown" =~ ^$program\ ${version//./\\.}(\ \(git\ [^\)]+\))?$ ]] ||
            fail "$program --version in the Debian root printed '$shown'"
    done
    for file in quillon.desktop quillon-pocket.desktop quillon.service quillon.1.gz quillon-pocket.1.gz; do
        grep -qx "$file" "$work/files" || fail "$file is not installed in the Debian root"
    done
    for absent in dovecot-core libreoffice-core poppler-utils; do
        ! grep -qx "$absent" "$work/installed" || fail "$absent was installed"
    done
    echo "installed in a Debian root ($(wc -l <"$work/installed") packages): $(cat "$work/quillon.version")"
fi
echo "package check took $((SECONDS - started)) s"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
