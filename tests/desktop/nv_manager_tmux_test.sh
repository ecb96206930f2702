#!/usr/bin/env bash
# End to end in a real terminal: a person puts a logo into the virtual printer by keys. deskutil
# in tmux talks TCP to printer-sim: TCP/IP, the simulator's address and port, NV Image Manager,
# Add Image (the path typed into the file browser), Auto Addressing, Download, Exit, Exit. The
# simulator shows what it stores in --nv-dir: the logo must be there as nv-10.png, and the
# registry must remember the chosen image.
# Usage: nv_manager_tmux_test.sh PATH/TO/deskutil PATH/TO/printer-sim PATH/TO/logo.bmp
set -u
bin=${1:?usage: $0 PATH/TO/deskutil PATH/TO/printer-sim PATH/TO/logo.bmp}
sim=${2:?usage: $0 PATH/TO/deskutil PATH/TO/printer-sim PATH/TO/logo.bmp}
logo_source=${3:?usage: $0 PATH/TO/deskutil PATH/TO/printer-sim PATH/TO/logo.bmp}
here=.
[[ ${BASH_SOURCE[0]} == */* ]] && here=${BASH_SOURCE[0]%/*}
source "$here/tmux_lib.sh" || exit 1
tmux_lib_init
[ -x "$bin" ] || fail "$bin is not an executable"
[ -x "$sim" ] || fail "$sim is not an executable"

logo="$work/logo.bmp"
cp "$logo_source" "$logo" || fail "cannot copy $logo_source"
shown="$work/nv"
start_printer_sim "$sim" --nv-dir "$shown"

# The manager is laid out for a terminal of 120 x 40 cells.
pane_cols=120
start_deskutil "$bin"
wait_for "Serial / RS232C"
choose_tcp_ip
type_address_and_port "127.0.0.1" "127.  0.  0.  1" "$port"

# NV Image Manager reads the printer's key codes behind a progress dialog, then opens.
tab_to "NV Image Manager"
tmux_ send-keys -t e2e Enter
wait_for "Add Image" 30
wait_for "<Images: 0/0 - Memory: 0/262144 (Byte)>"

# Add Image: the file browser takes a typed path; Enter chooses it.
tab_to "Add Image"
tmux_ send-keys -t e2e Enter
wait_for "Image Files(*.bmp)"
tmux_ send-keys -t e2e -l "$logo"
tmux_ send-keys -t e2e Enter
wait_for "logo.bmp"
wait_for "<Images: 1/0 - Memory: 1920/262144 (Byte)>"

# Auto Addressing, then Download: the progress dialog sends it, the list is read again.
tab_to "Auto Addressing"
tmux_ send-keys -t e2e Space
tab_to "Download"
tmux_ send-keys -t e2e Enter
wait_for "<Images: 1/1 - Memory: 1920/262144 (Byte)>" 30
[ -f "$shown/nv-10.png" ] || { ls -la "$shown"; fail "the printer does not hold the logo as nv-10.png"; }

tab_to "Exit"
tmux_ send-keys -t e2e Enter
wait_for "Virtual Memory Switch Manag" 10
tab_to "Exit"
tmux_ send-keys -t e2e Enter
wait_for "deskutil exited 0" 20

text=$(registry_text)
grep -qF "logo.bmp,000" <<<"$text" || { echo "$text"; fail "the registry lacks the chosen image"; }
echo "PASS: a logo added and downloaded by keys in tmux; printer-sim holds it as nv-10.png"
