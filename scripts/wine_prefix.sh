# shellcheck shell=bash
# Sourced by the scripts that run Windows programs under Wine (the Windows checks, the Wine
# helper's test and benchmark): finds Wine's loader and server, and points WINEPREFIX at a
# prefix of the caller's, made on first use (that takes seconds, so it is kept and shared by
# later runs). The caller stops the prefix's wineserver at the end with stop_wine_prefix.
#   use_wine_prefix FOLDER
set -euo pipefail
wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
wineserver=$(command -v wineserver || true)
[ -n "$wineserver" ] || wineserver=/usr/lib/wine/wineserver
for tool in "$wine" "$wineserver"; do
  [ -x "$tool" ] || { echo "error: $tool not found (scripts/install-deps.sh installs wine64)" >&2; exit 1; }
done

use_wine_prefix() {
  export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all WINELOADER=$wine
  # No Mono or Gecko: nothing here needs them, and their installers would ask.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$(dirname "$WINEPREFIX")"
  # Two runs that share the prefix make it once.
  exec {lock}>"$WINEPREFIX.lock"
  flock "$lock"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    "$wine" wineboot --init >/dev/null 2>&1
    # Without a window manager, Wine would wait for one at each top-level window it takes down.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    "$wineserver" -w
  fi
  flock -u "$lock"
  exec {lock}>&-
}

# Ends what still runs in the prefix: its wineserver and the programs it serves, nothing else.
stop_wine_prefix() {
  [ -z "${WINEPREFIX:-}" ] || "$wineserver" -k 2>/dev/null || true
}
