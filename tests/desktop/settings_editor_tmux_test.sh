#!/usr/bin/env bash
# End to end in a real terminal: deskutil in tmux talks TCP to printer-sim. By keys, as a user
# would: TCP/IP, the simulator's address and port, Virtual Memory Switch Manager (reads every
# setting), print density 100% -> 150%, Save, the success message, Exit. Then the simulator is
# stopped (it saves its settings on SIGTERM) and the test checks that the printer's switch 1 holds
# the new density bits, the other bits of that switch untouched, and that the registry remembers it.
# Every step must be reachable on the screen: the main dialog's buttons, the tab dialog with its
# border, the key line. The pane is 100 x 40 cells unless COLSxROWS says otherwise (80x24: the
# smallest terminal a person is likely to use).
# Usage: settings_editor_tmux_test.sh PATH/TO/deskutil PATH/TO/printer-sim [COLSxROWS]
set -u
bin=${1:?usage: $0 PATH/TO/deskutil PATH/TO/printer-sim}
sim=${2:?usage: $0 PATH/TO/deskutil PATH/TO/printer-sim}
if [ -n "${3:-}" ]; then
  pane_cols=${3%x*}
  pane_rows=${3#*x}
fi
here=.
[[ ${BASH_SOURCE[0]} == */* ]] && here=${BASH_SOURCE[0]%/*}
source "$here/tmux_lib.sh" || exit 1
tmux_lib_init
[ -x "$bin" ] || fail "$bin is not an executable"
[ -x "$sim" ] || fail "$sim is not an executable"

# The printer starts from its factory switch 1: density 100% (c6c7c8 = 100), double-byte mode on.
state="$work/printer.state"
printf 'switch1 = 00001100\n' >"$state"
start_printer_sim "$sim" --state "$state"

start_deskutil "$bin"
wait_for "Serial / RS232C"
wait_for "Exit"
wait_for "F1 Help"

# Interface: TCP/IP, the simulator's address and port.
choose_tcp_ip
type_address_and_port "127.0.0.1" "127.  0.  0.  1" "$port"

# Virtual Memory Switch Manager reads every setting behind a progress dialog, then shows the pages.
tab_to "Virtual Memory Switch Manag"
tmux_ send-keys -t e2e Enter
wait_for "Printer Setting 1" 30
wait_for "Printing Density"
wait_for "print density 100%"
# The tab dialog keeps its frame: both corners of its top line are on the screen.
screen | grep -qE '^ *┌.*Virtual Memory Switch Manager.*┐ *$' || fail "the tab dialog lost its border"

# The density drop-down: Enter opens it, Up five rows to 150%, Enter chooses.
tab_to "print density 100%"
tmux_ send-keys -t e2e Enter
wait_for ">print density 100%"
tmux_ send-keys -t e2e Up Up Up Up Up
wait_for ">print density 150%"
tmux_ send-keys -t e2e Enter
start=$SECONDS
until ! screen | grep -qF ">print density" && screen | grep -qF "print density 150%"; do
  ((SECONDS - start < 5)) || fail "the drop-down did not close on 150%"
  sleep 0.05
done

# Save writes every switch, then reports success.
tab_to "Save"
tmux_ send-keys -t e2e Enter
wait_for "Success to set VMSM configuration!" 30
tmux_ send-keys -t e2e Enter
start=$SECONDS
while screen | grep -qF "Success to set VMSM configuration!"; do
  ((SECONDS - start < 5)) || fail "the message did not close on Enter"
  sleep 0.05
done

tab_to "Exit"
tmux_ send-keys -t e2e Enter
wait_for "deskutil exited 0" 20

stop_sim || fail "printer-sim did not stop on SIGTERM"
switch1=$(sed -n 's/^switch1 = \([01]\{8\}\)$/\1/p' "$state")
[ -n "$switch1" ] || { cat "$state"; fail "the printer's state has no switch1"; }
# c6c7c8 = 011 is density 150%; c1..c5 must be what they were before.
[ "$switch1" = "00001011" ] || { cat "$state"; fail "switch1 is $switch1, want 00001011 (150%)"; }

text=$(registry_text)
grep -qiF '"Density"=dword:00000003' <<<"$text" || { echo "$text"; fail "the registry lacks Density 3"; }
echo "PASS: density 150% saved to the printer (switch1 $switch1) and the registry, by keys in tmux (${pane_cols:-100} columns)"
