#!/bin/sh
# Stands in for Wine's loader in the Wine world's tests. Started as `<loader> <helper>` like
# Wine, it misbehaves as $STAND_IN says, which comes to it through the prefix's environment;
# it says hello only when its environment holds WINEDEBUG=-all and nothing of the test's own.
[ "${WINEDEBUG:-}" = -all ] && [ -z "${QUILLAN_TEST_LEAK:-}" ] || exit 9
hello() { printf '\031\000\000\000quillan-window-protocol\001\000'; }
case "${STAND_IN:-}" in
  hang) exec sleep 600 ;;
  exit) exit 3 ;;
  garbage) printf 'HTTP/1.0 200 OK\r\n\r\n'; exec sleep 600 ;;
  hello-then-hang) hello; exec sleep 600 ;;
  hello-then-garbage)
    hello
    head -c 4 >/dev/null
    printf '\005\000\000\000\001\002\003\004\005'
    exec sleep 600 ;;
  hello-then-exit) hello; head -c 4 >/dev/null; exit 0 ;;
esac
exit 2
