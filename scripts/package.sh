#!/usr/bin/env bash
# Builds the Debian package with CPack from a build folder (build/ unless given) and checks
# it: its control fields and files (dpkg-deb), its AppStream description (appstreamcli) and
# lintian, which must report neither an error nor a warning.
# Usage: scripts/package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/CPackConfig.cmake" ] || scripts/build.sh
cmake --build "$build" -j "$(nproc)"
rm -rf "$build/deb"
(cd "$build" && cpack -G DEB -B deb >/dev/null)
debs=("$build"/deb/solmir_*.deb)
deb=${debs[0]}
echo "Paquet : $deb"
dpkg-deb --info "$deb"

contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
for f in usr/bin/solmir usr/bin/solmir-cli usr/lib/solmir/solmir-cli-qt usr/bin/solmir-carte-virtuelle \
  usr/share/applications/solmir.desktop usr/share/icons/hicolor/scalable/apps/solmir.svg \
  usr/share/metainfo/io.github.solmir.Solmir.metainfo.xml \
  usr/share/man/man1/solmir.1.gz usr/share/man/man1/solmir-cli.1.gz \
  usr/share/man/man1/solmir-carte-virtuelle.1.gz \
  usr/share/bash-completion/completions/solmir-cli \
  usr/share/doc/solmir/copyright usr/share/doc/solmir/changelog.gz; do
  if ! grep -qx "\./$f" <<<"$contents"; then
    echo "Le paquet ne contient pas $f" >&2
    exit 1
  fi
done
# The dependencies are computed from the binaries: Qt's libraries must be among them.
depends=$(dpkg-deb --field "$deb" Depends)
for lib in libqt6widgets6 libqt6serialport6 libstdc++6; do
  if ! grep -q "$lib" <<<"$depends"; then
    echo "Dépendance manquante dans le paquet : $lib (Depends: $depends)" >&2
    exit 1
  fi
done

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb --extract "$deb" "$unpacked"
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/io.github.solmir.Solmir.metainfo.xml

lintian --fail-on error,warning --display-info "$deb"
echo "Paquet vérifié : $deb"
