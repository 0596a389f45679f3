#!/usr/bin/env bash
# Shows Quillet's menus, search panel and phrase window as a user sees them, on a private X server with a
# window manager and a tray, and saves a screenshot of each into the given folder.
#   scripts/screenshots.sh <build dir> <output folder>
# The language follows LANGUAGE / LANG as usual: LANGUAGE=ja scripts/screenshots.sh build ja/
set -euo pipefail
build=${1:?usage: screenshots.sh <build dir> <output folder>}
out=${2:?usage: screenshots.sh <build dir> <output folder>}
quillet=$build/src/app/quillet
mkdir -p "$out"
source "$(dirname "$0")/private-session.sh" 120
# A desktop-like background, so that the shots can be cut to what they show.
background='#4a5560'
display -window root -size 1280x800 "xc:$background" 2>/dev/null || true
openbox >/dev/null 2>&1 &
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
sleep 1

# The update feed, on this machine only: the start-up check finds the running version; later
# checks wait three seconds, then find a newer one, then the running one again.
feed_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
current=$("$quillet" --version | awk '{print $NF}')
python3 - "$feed_port" "$current" >/dev/null 2>&1 <<'PY' &
import http.server, sys, time
port, current = int(sys.argv[1]), sys.argv[2]
notes = "\n".join("- " + n for n in ["Settings window with hot-key recording",
    "Start at login", "Update check with release notes", "Faster history menu",
    "Search panel fixes", "Japanese and English texts", "Phrase import and export"])
def feed(version):
    return ('<?xml version="1.0"?><rss xmlns:sparkle="https://quillet.example.org/xml/feed">'
            '<channel><item><description>%s</description><enclosure url="https://quillet.example.org/q.tgz" '
            'sparkle:shortVersionString="%s"/></item></channel></rss>' % (notes, version)).encode()
class Feed(http.server.BaseHTTPRequestHandler):
    count = 0
    def do_GET(self):
        Feed.count += 1
        if Feed.count > 1: time.sleep(3)
        body = feed("9.1.0" if Feed.count == 2 else current)
        self.send_response(200); self.send_header("Content-Length", str(len(body))); self.end_headers()
        self.wfile.write(body)
http.server.HTTPServer(("127.0.0.1", port), Feed).serve_forever()
PY
export QUILLET_UPDATE_FEED_URL=http://127.0.0.1:$feed_port/app/quilletbox/appcast.xml
# The first run, for the empty menus, leaves the feed to the second (it counts its requests).
QUILLET_UPDATE_FEED_URL=http://127.0.0.1:9/ "$quillet" >/dev/null 2>&1 &
for _ in $(seq 50); do "$quillet" --status >/dev/null 2>&1 && break; sleep 0.2; done

# With nothing recorded yet: the tray menu (a click on the icon) and the empty history menu.
xdotool mousemove 1270 12 click 1; sleep 0.5
import -window root "$out/tray-menu.png"
xdotool key Escape; sleep 0.3
xdotool mousemove 300 200
"$quillet" --history-menu; sleep 0.5
import -window root "$out/history-menu-empty.png"
xdotool key Escape; sleep 0.3
# 130 clips, copied as a user would (the store's search index is Quillet's own, so clips are
# not written into the file from outside), so the history menu has its ten keyed entries and
# two blocks; then two categories of phrases.
for i in $(seq 1 130); do
  printf 'Clip number %d: the quick brown fox jumps over the lazy dog\nsecond line %d' "$i" "$i" |
    xclip -selection clipboard -loops 1 2>/dev/null &
  for _ in $(seq 100); do
    [[ $(sqlite3 -readonly "$XDG_DATA_HOME/quillet/history.sqlite" 'SELECT count(*) FROM ClipItem') -ge $i ]] && break
    sleep 0.02
  done
done
"$quillet" --quit
for _ in $(seq 50); do "$quillet" --status >/dev/null 2>&1 || break; sleep 0.1; done
pkill -x xclip 2>/dev/null || true

sqlite3 "$XDG_DATA_HOME/quillet/history.sqlite" <<'SQL'
INSERT INTO PhraseCategory VALUES ('6a1f0c1e-0000-4000-8000-000000000001', 'Greetings', 0);
INSERT INTO PhraseCategory VALUES ('6a1f0c1e-0000-4000-8000-000000000002', 'Signatures', 1);
INSERT INTO PhraseItem (id, title, body, sortOrder, category, abbreviation) VALUES ('6a1f0c1e-0000-4000-8000-000000000011', 'Hello', 'Hello there,', 0, '6a1f0c1e-0000-4000-8000-000000000001', 'hi');
INSERT INTO PhraseItem (id, title, body, sortOrder, category, abbreviation) VALUES ('6a1f0c1e-0000-4000-8000-000000000012', 'Thanks', 'Thank you!' || char(10) || 'See you soon.', 1, '6a1f0c1e-0000-4000-8000-000000000001', 'ty');
INSERT INTO PhraseItem (id, title, body, sortOrder, category, abbreviation) VALUES ('6a1f0c1e-0000-4000-8000-000000000021', 'Regards', 'Best regards', 0, '6a1f0c1e-0000-4000-8000-000000000002', 'br');
INSERT INTO PhraseItem (id, title, body, sortOrder, category, abbreviation) VALUES ('6a1f0c1e-0000-4000-8000-000000000013', 'Follow-up', 'Dear {input:Name},' || char(10) || 'the {choice:Document=report|slides|minutes} of {date:d MMMM} is attached.{cursor}' || char(10) || '{phrase:Signatures/Regards}', 2, '6a1f0c1e-0000-4000-8000-000000000001', 'fu');
SQL

"$quillet" >/dev/null 2>&1 &
for _ in $(seq 50); do "$quillet" --status >/dev/null 2>&1 && break; sleep 0.2; done

xdotool mousemove 300 200
"$quillet" --history-menu; sleep 0.5
xdotool key Up Up Right; sleep 0.5
import -window root "$out/history-menu.png"
xdotool key Escape Escape Escape; sleep 0.3
"$quillet" --phrase-menu; sleep 0.5
xdotool key Down Right; sleep 0.5
import -window root "$out/phrase-menu.png"
xdotool key Escape Escape; sleep 0.3
# A phrase that asks for answers before it is pasted: its form, a name typed in.
"$quillet" --phrase-menu; sleep 0.5
xdotool key Down Right; sleep 0.5
xdotool key Down Down Return; sleep 0.7
xdotool type --delay 40 "Ann"; xdotool key Tab; sleep 0.3
import -window root "$out/placeholder-form.png"
xdotool key Escape; sleep 0.3
"$quillet" --search; sleep 0.5
xdotool type --delay 40 "fox"; xdotool key Down Down; sleep 0.5
import -window root "$out/search-panel.png"
xdotool key Escape; sleep 0.3
# The same panel over the phrases, found by abbreviation.
"$quillet" --search-phrases; sleep 0.5
xdotool type --delay 40 "ty"; sleep 0.5
import -window root "$out/phrase-search.png"
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
xdotool key alt+F4; sleep 0.3  # the phrase window closes before the settings open
# The settings window: idle, recording a key, a refused key, a check running, the newer
# version it found, and the message of the next check.
"$quillet" --settings; sleep 0.7
import -window root "$out/settings-idle.png"
xdotool key space; sleep 0.3
import -window root "$out/settings-recording.png"
xdotool key a; sleep 0.3
import -window root "$out/settings-error.png"
xdotool key Tab Tab Tab Tab space; sleep 1
import -window root "$out/settings-checking.png"
sleep 3
import -window root "$out/update-sheet.png"
# Focus went back to the first row while the button was disabled.
xdotool key Escape; sleep 0.3
xdotool key Tab Tab Tab Tab space; sleep 4
import -window root "$out/update-message-sheet.png"
xdotool key Return; sleep 0.3
# Sync turned on (a folder of the private home, no Syncthing): the section with the code.
mkdir -p "$home/Sync"
"$quillet" --sync-init "$home/Sync" >/dev/null
xdotool key Escape; sleep 0.3
"$quillet" --settings; sleep 0.7
import -window root "$out/settings-sync.png"
"$quillet" --quit

# Each shot cut to what it shows with a margin: the tray menu with the tray at the top right,
# the others without the tray's strip.
for name in tray-menu history-menu-empty history-menu phrase-menu search-panel phrase-search \
    phrase-window settings-idle settings-sync update-sheet; do
  case $name in
    tray-menu) cut=() ;;
    *) cut=(-crop 1280x770+0+30 +repage) ;;
  esac
  convert "$out/$name.png" "${cut[@]}" -trim +repage -bordercolor "$background" -border 24 \
    "$out/$name.png"
done
echo "Screenshots in $out"
