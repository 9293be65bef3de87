#!/usr/bin/env bash
# The contract suite against the real Wine helper: on a private Xvfb, in a Wine prefix kept in
# the build folder, with the window maker making the windows in the same prefix.
#   wine_helper_test.sh TEST_BINARY HELPER WINDOW_MAKER PREFIX
set -euo pipefail
test_binary=$1 helper=$2 maker=$3 prefix=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine_prefix.sh"
source "$root/scripts/x_session.sh"
trap 'stop_wine_prefix; x_session_cleanup' EXIT
use_wine_prefix "$prefix"
QUILLAN_WINE_HELPER=$helper QUILLAN_TEST_WINDOW_MAKER=$maker "$test_binary" \
  --gtest_filter='WineHelper/*'
