#!/usr/bin/env bash
# End to end in a real terminal the size of a handheld (32 x 20 cells): a person starts pdautil,
# ticks "TCP/IP Comunication", types printer-sim's address and port, and presses "Virtual Memory
# Switch Manager"; the wizard reads the printer and shows its first step. Cancel leaves it, Exit
# keeps the setting in pdautil's own registry file.
# Usage: pdautil_tmux_test.sh PATH/TO/pdautil PATH/TO/printer-sim
set -u
bin=${1:?usage: $0 PATH/TO/pdautil PATH/TO/printer-sim}
sim=${2:?usage: $0 PATH/TO/pdautil PATH/TO/printer-sim}
here=.
[[ ${BASH_SOURCE[0]} == */* ]] && here=${BASH_SOURCE[0]%/*}
source "$here/../desktop/tmux_lib.sh" || exit 1
tmux_lib_init
[ -x "$bin" ] || fail "$bin is not an executable"
[ -x "$sim" ] || fail "$sim is not an executable"

start_printer_sim "$sim"
pane_cols=32
pane_rows=20
start_deskutil "$bin"
wait_for "TCP/IP Comunication"
wait_for "COM1:"

# The box by keys: Space ticks it and the address and TCP port edits take the lists' places.
tab_to "TCP/IP Comunication"
tmux_ send-keys -t e2e Space
wait_for "192.168.1.1"
wait_for "IP :"
# Entering an edit by Tab selects its text, so typing replaces it.
tmux_ send-keys -t e2e Tab
tmux_ send-keys -t e2e -l "127.0.0.1"
wait_for "127.0.0.1"
tmux_ send-keys -t e2e Tab
tmux_ send-keys -t e2e -l "$port"
wait_for "$port"

# The wizard reads every setting behind its progress dialog, then shows step 1.
tab_to "Virtual Memory Switch"
tmux_ send-keys -t e2e Enter
wait_for "Step1-5" 60
wait_for "12x24 A Font"
# Step 1 fits the handheld's screen whole: no scrolling, every control in view.
wait_for "Printing Speed"
! screen | grep -qF "The dialog needs" || fail "step 1 does not fit 32 x 20 cells"

# Cancel asks first; Yes ends the wizard and the main dialog is back.
tmux_ send-keys -t e2e Escape
wait_for "VMSM Manager Cancel?"
tmux_ send-keys -t e2e Enter
wait_for "TCP/IP Comunication" 20
tab_to "Exit"
tmux_ send-keys -t e2e Enter
wait_for "pdautil exited 0" 20

reg="$config/pelliset/handheld.reg"
[ -f "$reg" ] || fail "no registry file at $reg"
text=$(tr -d '\0\r' <"$reg")
for line in '"uPortType"=dword:00000002' '"uPort"="NET127.0.0.1"' \
  "\"uBaudrate\"=dword:$(printf '%08x' "$port")"; do
  grep -qF -- "$line" <<<"$text" || { echo "$text"; fail "handheld.reg lacks $line"; }
done
[ ! -e "$config/pelliset/registry.reg" ] || fail "pdautil wrote deskutil's registry.reg"
echo "PASS: pdautil in 32 x 20 cells reached the wizard's first step over TCP/IP; handheld.reg keeps the setting"
