#!/usr/bin/env bash
# Builds the Debian package and checks it: lintian, and the desktop entry, AppStream and
# manual page checkers on its contents. In CI (CI=true), or with QUILLAN_INSTALL_CHECK=1, it
# also installs the package with apt-get, starts the installed program, and purges the
# package again, checking that none of its files is left behind. That part changes the
# machine, so a developer's `make test` leaves it out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$(realpath -m "${1:-$root/build/package}")
fail() { echo "FAIL: $*" >&2; exit 1; }

deb=$(bash "$root/scripts/build-package.sh" "$dir" | tail -1)
echo "Checking $deb"
# lintian's note that it runs as root, as CI does, is not about the package.
lintian --fail-on error,warning "$deb" 2> >(grep -v 'running with root privileges' >&2) ||
  fail "lintian"
contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
desktop-file-validate "$contents/usr/share/applications/quillan.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$contents/usr/share/metainfo/org.example.quillan.metainfo.xml" \
  >/dev/null || fail "metainfo"
man_warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l \
  "$contents/usr/share/man/man1/quillan.1.gz" 2>&1 >/dev/null)
[ -z "$man_warnings" ] || fail "manual page: $man_warnings"
echo "lintian, desktop-file-validate, appstreamcli and man: no complaint"

if [ "${CI:-}" != true ] && [ "${QUILLAN_INSTALL_CHECK:-}" != 1 ]; then
  echo "Not installing the package (CI=true or QUILLAN_INSTALL_CHECK=1 does)"
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  fail "installing the package needs root or sudo"
fi
if dpkg-query -W -f='${Status}' quillan 2>/dev/null | grep -q 'ok installed'; then
  fail "a quillan package is installed already; this check would remove it"
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get install -y -qq "$deb" >/dev/null
purge() { "${sudo[@]}" apt-get purge -y -qq quillan >/dev/null; }
trap 'purge || true; rm -rf "$contents"' EXIT

[ "$(/usr/bin/quillan --version | head -1)" = "Quillan $(dpkg-deb -f "$deb" Version)" ] ||
  fail "/usr/bin/quillan --version"
man -w quillan >/dev/null || fail "the manual page is not found"

# The installed program under Xvfb and openbox: it opens a project, and a start without one
# registers nothing in the user's data folder, since the package's files serve the type.
(
  QUILLAN_WM=openbox
  source "$root/scripts/x_session.sh"
  printf 'x = 1\r\n' >"$scratch/demo project.qlp"
  /usr/bin/quillan "$scratch/demo project.qlp" >"$scratch/log" 2>&1 &
  pid=$!
  wait_for "xdotool search --onlyvisible --name '^Quillan - \\[demo project\\.qlp\\]$'" 150 ||
    { cat "$scratch/log"; fail "the installed program showed no project"; }
  kill "$pid"; wait "$pid" 2>/dev/null || true
  /usr/bin/quillan >"$scratch/log" 2>&1 &
  pid=$!
  wait_for "xdotool search --onlyvisible --name '^Quillan - \\[Untitled\\]$'" 150 ||
    { cat "$scratch/log"; fail "the installed program did not start without a project"; }
  sleep 1
  kill "$pid"; wait "$pid" 2>/dev/null || true
  leftovers=$(find "$XDG_DATA_HOME" -mindepth 1 \( -path '*/applications*' -o -path '*/mime*' -o -path '*/icons*' \))
  [ -z "$leftovers" ] || fail "the installed program registered itself per user: $leftovers"
)

purge
trap 'rm -rf "$contents"' EXIT
dpkg-query -W -f='${Status}' quillan 2>/dev/null | grep -q 'installed' && fail "still installed"
left=()
while IFS= read -r file; do
  [ -e "/$file" ] && left+=("/$file")
done < <(cd "$contents" && find . ! -type d | sed 's|^\./||')
[ ${#left[@]} -eq 0 ] || fail "left behind after purge: ${left[*]}"
echo "Installed, started, and purged without a trace: $(basename "$deb")"
