#!/usr/bin/env bash
# The real terminal program under tmux: start page, search, list, 実行, progress, end dialog;
# the demo fonts in a sandbox folder are revised afterwards; a second copy started meanwhile
# ends at once. Usage: terminal_tmux_test.sh REFONTIS DATA_DIR ARTIFACT_DIR
set -euo pipefail
bin=$1 data=$2 artifacts=$3
mkdir -p "$artifacts"
sandbox=$(mktemp -d /var/tmp/refontis-tmux.XXXXXX)  # on the root file system: the search reaches it
socket=refontis-test-$$
cleanup() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  [ -n "${KEEP_SANDBOX:-}" ] || rm -rf "$sandbox"
}
trap cleanup EXIT
mkdir -p "$sandbox/fonts" "$sandbox/tmp"
for font in "$data"/fonts/old/*.old.otf; do
  cp "$font" "$sandbox/fonts/$(basename "$font" .old.otf).otf"
done

fail() {
  echo "FAIL: $*"
  tmux -L "$socket" capture-pane -p -t run 2>/dev/null | sed 's/^/  | /' || true
  exit 1
}
# Waits until the screen shows TEXT; saves the screen as ARTIFACT.txt.
wait_for() {
  local text=$1 name=$2 seconds=${3:-60}
  for ((i = 0; i < seconds * 5; i++)); do
    if tmux -L "$socket" capture-pane -p -t run 2>/dev/null | grep -qF "$text"; then
      tmux -L "$socket" capture-pane -p -t run >"$artifacts/$name.txt"
      return 0
    fi
    sleep 0.2
  done
  fail "'$text' did not appear ($name)"
}

export TMPDIR=$sandbox/tmp LANG=C.UTF-8
tmux -u -L "$socket" new-session -d -s run -x 140 -y 50 "$bin; echo \$? >$sandbox/exit; sleep 600"

wait_for "改訂対象です" start
tmux -L "$socket" send-keys -t run Enter                       # 次へ
wait_for "検索した結果" list 300
grep -qF "フォント名" "$artifacts/list.txt" || fail "the list has no column heading"

# A second copy while the first one runs ends at once, showing nothing.
tmux -L "$socket" new-window -d -t run "$bin >$sandbox/second.out 2>&1; echo \$? >$sandbox/second"
for ((i = 0; i < 50; i++)); do [ -s "$sandbox/second" ] && break; sleep 0.1; done
[ -s "$sandbox/second" ] || fail "a second copy did not end at once"
[ ! -s "$sandbox/second.out" ] || fail "a second copy printed something: $(cat "$sandbox/second.out")"

tmux -L "$socket" send-keys -t run Enter                       # 実行
wait_for "フォントを改訂中" progress 60
wait_for "改訂が正常に終了しました" success 300
tmux -L "$socket" send-keys -t run Escape                      # キャンセル: no restart
for ((i = 0; i < 100; i++)); do [ -s "$sandbox/exit" ] && break; sleep 0.1; done
[ "$(cat "$sandbox/exit" 2>/dev/null)" = 0 ] || fail "the program did not end with 0"

for font in "$data"/fonts/new/*.new.otf; do
  stem=$(basename "$font" .new.otf)
  cmp -s "$font" "$sandbox/fonts/$stem.otf" || fail "$stem.otf was not revised"
done
leftover=$(find "$sandbox/tmp" -type f ! -name '*.lock')
[ -z "$leftover" ] || fail "temporary files were left: $leftover"

# Ended by a signal at the start page: the terminal is given back and the temporary
# configuration file goes too.
tmux -L "$socket" kill-session -t run
rm -f "$sandbox/exit"
tmux -u -L "$socket" new-session -d -s run -x 140 -y 50 "$bin; echo \$? >$sandbox/exit; sleep 600"
wait_for "改訂対象です" start-again
[ -n "$(find "$sandbox/tmp" -name '*.ini')" ] || fail "no temporary configuration while running"
tmux -L "$socket" send-keys -t run C-c
for ((i = 0; i < 50; i++)); do [ -s "$sandbox/exit" ] && break; sleep 0.1; done
[ "$(cat "$sandbox/exit" 2>/dev/null)" = 130 ] || fail "Ctrl-C did not end the program with 130"
[ -z "$(find "$sandbox/tmp" -name '*.ini')" ] || fail "Ctrl-C left the temporary configuration"
tmux -L "$socket" capture-pane -p -t run | grep -qF "改訂対象です" && fail "the screen was not given back"
echo "PASS: 22 sandbox fonts revised through the terminal program; Ctrl-C cleans up"
