# Writes the media files the media tests play and probe into OUT_DIR, with FFMPEG:
#   clip.mp4, clip.avi, clip.mkv   3 s of 320x240 test picture at 25 fps with a 440 Hz tone
#   tone.mp3, tone.wav             3 s of the tone alone
#   blip.wav                       50 ms of the tone, shorter than one position tick
#   swift.mp4                      1 s of 640x360 at 300 fps: more pixels a second than 1080p30
#   unplayable.mp4                 text that no demuxer recognises
# missing.mp4 is made sure not to exist.
cmake_minimum_required(VERSION 3.22)

file(MAKE_DIRECTORY "${OUT_DIR}")
set(picture -f lavfi -i testsrc2=size=320x240:rate=25:duration=3)
set(tone -f lavfi -i sine=frequency=440:sample_rate=44100:duration=3)

function(make name)
  execute_process(COMMAND "${FFMPEG}" -nostdin -hide_banner -loglevel error -y ${ARGN}
                          "${OUT_DIR}/${name}"
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "ffmpeg could not make ${name}")
  endif()
endfunction()

make(clip.mp4 ${picture} ${tone} -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest)
make(clip.avi ${picture} ${tone} -c:v mpeg4 -q:v 5 -c:a libmp3lame -shortest)
make(clip.mkv ${picture} ${tone} -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a flac -shortest)
make(tone.mp3 ${tone} -c:a libmp3lame -b:a 128k)
make(tone.wav ${tone} -c:a pcm_s16le)
make(swift.mp4 -f lavfi -i testsrc2=size=640x360:rate=300:duration=1 -c:v libx264 -preset ultrafast
     -pix_fmt yuv420p)
make(blip.wav -f lavfi -i sine=frequency=440:sample_rate=44100:duration=0.05 -c:a pcm_s16le)
file(WRITE "${OUT_DIR}/unplayable.mp4" "This is a shopping list, not a film.\nMilk\nBread\n")
file(REMOVE "${OUT_DIR}/missing.mp4")
