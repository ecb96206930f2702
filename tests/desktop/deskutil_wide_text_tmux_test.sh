#!/usr/bin/env bash
# A message box drawn over Japanese text covers one half of some wide characters; once it is
# closed, the dialog underneath must be whole again, its frame where it was. The language comes
# from LANGUAGE under the C.UTF-8 locale that tmux_lib.sh sets, as for other programs.
# Usage: deskutil_wide_text_tmux_test.sh PATH/TO/deskutil
set -u
bin=${1:?usage: $0 PATH/TO/deskutil}
here=.
[[ ${BASH_SOURCE[0]} == */* ]] && here=${BASH_SOURCE[0]%/*}
source "$here/tmux_lib.sh" || exit 1
tmux_lib_init
[ -x "$bin" ] || fail "$bin is not an executable"

export LANGUAGE=ja
pane_cols=80 pane_rows=24 start_deskutil "$bin"
wait_for "接続方式"

# TCP/IP to port 1 of this machine, where nothing listens: the open fails with a message box.
tmux_ send-keys -t e2e T Tab 127.0.0.1 Tab 1 Tab Enter
wait_for "ポートオープンエラー！"
tmux_ send-keys -t e2e Enter
wait_for ">仮想メモリースイッチ管理<"

want='       │  │ パリティ :  なし        ▼  フロー制御 :   なし        ▼ │  │'
[ "$(screen | sed -n 8p)" = "$want" ] || fail "row 8 is not drawn whole again: want \"$want\""
echo "PASS: the dialog under a closed message box is drawn whole in Japanese"
