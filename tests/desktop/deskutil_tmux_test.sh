#!/usr/bin/env bash
# End to end in a real terminal: deskutil runs inside tmux with a fresh configuration folder; the
# test reads the screen with capture-pane, chooses TCP/IP in the Interface list with the keys a
# user would press, types an address and a TCP port, presses Exit, and checks what was stored.
# Usage: deskutil_tmux_test.sh PATH/TO/deskutil
set -u
bin=${1:?usage: $0 PATH/TO/deskutil}
here=.
[[ ${BASH_SOURCE[0]} == */* ]] && here=${BASH_SOURCE[0]%/*}
source "$here/tmux_lib.sh" || exit 1
tmux_lib_init
[ -x "$bin" ] || fail "$bin is not an executable"

start_deskutil "$bin"
wait_for "Serial / RS232C"
wait_for "Exit"

# Interface: TCP/IP; the address starts empty.
choose_tcp_ip
wait_for "  0.  0.  0.  0"
type_address_and_port "192.168.1.50" "192.168.  1. 50" "4000"

# Enter in the edit presses the default button, Exit.
tmux_ send-keys -t e2e Enter
wait_for "deskutil exited 0" 20

text=$(registry_text)
for want in '"uPortType"=dword:00000003' '"uPort"="NET192.168.1.50"' '"uBaudrate"=dword:00000fa0'; do
  grep -qiF -- "$want" <<<"$text" || { echo "$text"; fail "the registry lacks $want"; }
done
echo "PASS: TCP/IP 192.168.1.50 port 4000 stored through the terminal dialog"
