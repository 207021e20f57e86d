#!/usr/bin/env bash
# Makes the pictures of the help pages (help/images/*.png) from the real player: it plays a
# generated film with a SubRip and a MicroDVD track under Xvfb and openbox, drives it with
# xdotool and takes the pictures with ImageMagick's import. The pictures are committed; run this
# again when the window changes, and look at each picture before committing it.
#   scripts/make-help-screenshots.sh [BUILD_DIR]   (default: build)
# Needs: Xvfb, openbox, xdotool, ffmpeg, imagemagick, pngquant, optipng.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out="$root/help/images"
work=$(mktemp -d)
display=${DUVARA_SHOT_DISPLAY:-:97}
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

for tool in Xvfb openbox xdotool ffmpeg import convert pngquant optipng; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

# --- the film: a still sunset, two minutes, and three more rows for the playlist -------------
media="$work/media"
mkdir -p "$media"
sky_r='if(lt(Y,230), if(lt(hypot(X-430,Y-196),26),255, if(gt(Y,230-22*exp(-pow((X-140)/70,2))-10*exp(-pow((X-220)/30,2))),28, min(250,18+215*pow(Y/230,2)+35*exp(-pow(hypot(X-430,Y-196)/90,2))))), if(lt(abs(X-430),46*(1-(Y-230)/140))*gt(sin(Y*0.8+X*0.05),0.2), 240, 14+20*(360-Y)/130))'
sky_g='if(lt(Y,230), if(lt(hypot(X-430,Y-196),26),228, if(gt(Y,230-22*exp(-pow((X-140)/70,2))-10*exp(-pow((X-220)/30,2))),22, min(220,36+120*pow(Y/230,2.4)+30*exp(-pow(hypot(X-430,Y-196)/90,2))))), if(lt(abs(X-430),46*(1-(Y-230)/140))*gt(sin(Y*0.8+X*0.05),0.2), 150, 40+30*(360-Y)/130))'
sky_b='if(lt(Y,230), if(lt(hypot(X-430,Y-196),26),170, if(gt(Y,230-22*exp(-pow((X-140)/70,2))-10*exp(-pow((X-220)/30,2))),34, 96-10*pow(Y/230,2))), if(lt(abs(X-430),46*(1-(Y-230)/140))*gt(sin(Y*0.8+X*0.05),0.2), 90, 70+40*(360-Y)/130))'
ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "color=c=black:s=640x360:d=1" \
  -vf "geq=r='$sky_r':g='$sky_g':b='$sky_b'" -frames:v 1 "$work/still.png"
ffmpeg -nostdin -hide_banner -loglevel error -y -loop 1 -framerate 25 -i "$work/still.png" \
  -f lavfi -i "anullsrc=r=48000:cl=mono" -t 120 -c:v libx264 -tune stillimage -preset veryfast \
  -crf 28 -pix_fmt yuv420p -c:a aac -b:a 32k -shortest "$media/Sunset over the bay.mp4"
for row in "The island path:768" "Night crossing:2885" "Harbour interview:221"; do
  ffmpeg -nostdin -hide_banner -loglevel error -y \
    -f lavfi -i "color=c=0x203050:s=160x90:r=1:d=${row##*:}" \
    -c:v libx264 -preset veryfast -crf 40 -pix_fmt yuv420p "$media/${row%%:*}.mp4"
done

cat >"$media/Sunset over the bay.en.srt" <<'EOF'
1
00:00:01,000 --> 00:00:04,500
The last ferry left an hour ago.

2
00:00:05,000 --> 00:00:09,500
Then we wait here
until the sun goes down.

3
00:00:10,000 --> 00:00:16,000
Look how the light
runs across the water.

4
00:00:16,500 --> 00:00:21,000
Tomorrow we sail
out to the island.

5
00:00:21,500 --> 00:00:26,000
Do you think the old
lighthouse still stands?

6
00:00:26,500 --> 00:00:31,000
We will see it from the harbour.

7
00:00:31,500 --> 00:00:36,000
It is getting cold.
Let us go back.

8
00:00:36,500 --> 00:00:41,000
One more minute.
I want to see it set.
EOF
cat >"$media/Sunset over the bay.de.sub" <<'EOF'
{1}{1}25.000
{25}{112}Die letzte Fähre fuhr vor einer Stunde.
{125}{237}Dann warten wir hier,|bis die Sonne untergeht.
{250}{400}Sieh nur, wie das Licht|über das Wasser läuft.
{412}{525}Morgen segeln wir|hinaus zur Insel.
{537}{650}Ob der alte Leuchtturm|noch steht?
{662}{775}Wir sehen ihn vom Hafen aus.
{787}{900}Es wird kalt.|Gehen wir zurück.
{912}{1025}Noch eine Minute.|Ich will sie untergehen sehen.
EOF

# --- the player, on a screen of its own, away from the settings of the build tree -------------
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)
mkdir -p "$work/bin" "$work/home"
mkdir -m 700 "$work/runtime"
cp "$build/bin/duvara" "$work/bin/"
cp -r "$build/bin/help" "$work/bin/" 2>/dev/null || true
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/home/config" \
  XDG_DATA_HOME="$work/home/data" HOME="$work/home"
(cd "$media" && exec "$work/bin/duvara") >"$work/player.log" 2>&1 &
pids+=($!)

window=$(xdotool search --sync --onlyvisible --name '^Duvara 1\.0$' | head -1)
width=1000
height=660
xdotool windowsize --sync "$window" "$width" "$height"
xdotool windowmove --sync "$window" 100 40
xdotool windowactivate --sync "$window"

# Answers the file dialog titled $1 with the name(s) $2.
choose() {
  xdotool search --sync --onlyvisible --name "^$1\$" >/dev/null
  sleep 0.5
  xdotool type --delay 10 "$2"
  xdotool key Return
  sleep 1.5
}

# A wider playlist, so that its names show whole.
playlist_width=260
xdotool mousemove --window "$window" $((width - 178)) 200 mousedown 1
xdotool mousemove --window "$window" $((width - playlist_width - 2)) 200
xdotool mouseup 1
sleep 0.5

xdotool key ctrl+o
choose Open '"Sunset over the bay.mp4" "The island path.mp4" "Night crossing.mp4" "Harbour interview.mp4"'
xdotool key ctrl+1
choose 'Open primary subtitles' "$media/Sunset over the bay.en.srt"
xdotool key ctrl+2
choose 'Open secondary subtitles' "$media/Sunset over the bay.de.sub"

# Both tracks show their third line from 10 s to 16 s into the film (a still picture). The
# pictures are taken while it plays: a pause would leave the on-screen display over the top line.
xdotool key ctrl+g
xdotool search --sync --onlyvisible --name '^Go to position$' >/dev/null
sleep 0.5
xdotool key Home
xdotool type --delay 10 "000010"
xdotool key Return
sleep 1

shot() { import -window "$window" "$work/$1.png"; }
shot window
convert "$work/window.png" -crop "600x109+0+$((height - 109))" +repage "$work/video-page.png"
convert "$work/window.png" -crop "${playlist_width}x140+$((width - playlist_width))+0" +repage \
  "$work/playlist.png"

# The primary track's page, with its list over the picture.
xdotool key alt+p
sleep 1
shot primary
convert "$work/primary.png" -crop "${width}x109+0+$((height - 109))" +repage \
  "$work/subtitle-page.png"

# The on-screen display after a step of fast forward and a step of the volume.
xdotool key alt+v
sleep 0.5
xdotool key ctrl+f
# A click beside the volume slider's handle: one page down.
xdotool mousemove --window "$window" 450 $((height - 32)) click 1
sleep 1
shot osd
convert "$work/osd.png" -crop "$((width - playlist_width - 4))x150+0+0" +repage "$work/osd-crop.png"

# Small palette PNGs: these are pictures of flat controls, 256 colours keep them sharp.
mkdir -p "$out"
save() {
  pngquant --force --quality=70-95 --speed 1 --strip --output "$out/$2.png" "$work/$1.png"
  optipng -quiet -o5 "$out/$2.png"
  echo "$out/$2.png: $(($(stat -c %s "$out/$2.png") / 1024)) KiB"
}
save window main-window
save video-page video-page
save playlist playlist
save primary primary-subtitles
save subtitle-page subtitle-page
save osd-crop on-screen-display
