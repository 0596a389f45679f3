#!/usr/bin/env bash
# Shows Quillet's menus, search panel and phrase window as a user sees them, on a private X server with a
# window manager and a tray, and saves a screenshot of each into the given folder.
#   scripts/screenshots.sh <build dir> <output folder>
set -euo pipefail
build=${1:?usage: screenshots.sh <build dir> <output folder>}
out=${2:?usage: screenshots.sh <build dir> <output folder>}
quillet=$build/src/app/quillet
mkdir -p "$out"
home=$(mktemp -d)
mkdir -p "$home"/{config,data,run} && chmod 700 "$home/run"
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/run
display=120
while [[ -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
export DISPLAY=:$display QT_QPA_PLATFORM=xcb
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$home"' EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
sleep 1
"$quillet" >/dev/null 2>&1 &
for _ in $(seq 50); do "$quillet" --status >/dev/null 2>&1 && break; sleep 0.2; done

# 130 clips, so the history menu has its ten keyed entries and two blocks.
for i in $(seq 1 130); do
  printf 'Clip number %d: the quick brown fox jumps over the lazy dog\nsecond line %d' "$i" "$i" |
    xclip -selection clipboard
  sleep 0.55
done
sqlite3 "$XDG_DATA_HOME/quillet/history.sqlite" <<'SQL'
INSERT INTO PhraseCategory VALUES ('6a1f0c1e-0000-4000-8000-000000000001', 'Greetings', 0);
INSERT INTO PhraseCategory VALUES ('6a1f0c1e-0000-4000-8000-000000000002', 'Signatures', 1);
INSERT INTO PhraseItem VALUES ('6a1f0c1e-0000-4000-8000-000000000011', 'Hello', 'Hello there,', 0, '6a1f0c1e-0000-4000-8000-000000000001');
INSERT INTO PhraseItem VALUES ('6a1f0c1e-0000-4000-8000-000000000012', 'Thanks', 'Thank you!' || char(10) || 'See you soon.', 1, '6a1f0c1e-0000-4000-8000-000000000001');
INSERT INTO PhraseItem VALUES ('6a1f0c1e-0000-4000-8000-000000000021', 'Regards', 'Best regards', 0, '6a1f0c1e-0000-4000-8000-000000000002');
SQL

xdotool mousemove 300 200
"$quillet" --history-menu; sleep 0.5
xdotool key Up Up Right; sleep 0.5
import -window root "$out/history-menu.png"
xdotool key Escape Escape Escape; sleep 0.3
"$quillet" --phrase-menu; sleep 0.5
xdotool key Down Right; sleep 0.5
import -window root "$out/phrase-menu.png"
xdotool key Escape Escape; sleep 0.3
"$quillet" --search; sleep 0.5
xdotool type --delay 40 "fox"; xdotool key Down Down; sleep 0.5
import -window root "$out/search-panel.png"
xdotool key Escape; sleep 0.3

# The phrase window by keys (Tab runs: category list, new category, CSV menu, new phrase).
"$quillet" --manage-phrases; sleep 0.8
import -window root "$out/phrase-window-empty.png"
xdotool key space; sleep 0.5
import -window root "$out/phrase-window.png"
xdotool key Tab Tab space; sleep 0.5
import -window root "$out/phrase-csv-menu.png"
xdotool key Escape Tab space; sleep 0.5
xdotool type --delay 40 "Welcome"; xdotool key Tab; xdotool type --delay 40 "Welcome aboard!"; sleep 0.3
import -window root "$out/phrase-editor.png"
xdotool key Escape; sleep 0.3
xdotool key shift+Tab shift+Tab space; sleep 0.5
xdotool type --delay 40 "Replies"; sleep 0.3
import -window root "$out/category-editor.png"
xdotool key Escape; sleep 0.3
"$quillet" --quit
echo "Screenshots in $out"
