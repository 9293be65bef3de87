#!/usr/bin/env bash
# The window tools over Windows programs under Wine, through the real program: on a private
# Xvfb with openbox, in the Wine prefix kept in the build folder, with the window maker, the
# finder runner and the prefix's own Notepad.
#   wine_tools_test.sh TEST_BINARY HELPER WINDOW_MAKER FINDER_RUNNER PREFIX
# With QUILLAN_TEST_SCREENSHOTS=FOLDER, the screen is saved there after the Code Generator's
# and API Spy's picks, and when a drag does not reach its window.
set -euo pipefail
test_binary=$1 helper=$2 maker=$3 runner=$4 prefix=$5
root=$(cd "$(dirname "$0")/../.." && pwd)
QUILLAN_WM=openbox
source "$root/scripts/wine_prefix.sh"
source "$root/scripts/x_session.sh"
trap 'stop_wine_prefix; x_session_cleanup' EXIT
use_wine_prefix "$prefix"
QUILLAN_WINE_HELPER=$helper QUILLAN_TEST_WINDOW_MAKER=$maker QUILLAN_TEST_FINDER_RUNNER=$runner \
  "$test_binary"
