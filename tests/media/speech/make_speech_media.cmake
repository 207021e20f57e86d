# Makes a film whose sound holds synthesised speech at known times, and the subtitle track of it:
#   OUT_DIR/NAME.mp4   SECONDS long, 48 kHz stereo AAC over a tiny picture
#   OUT_DIR/NAME.srt   one entry per spoken phrase, starting where the voice starts
# and OUT_DIR/silent-picture.mp4, a film without sound. Needs ESPEAK, FFMPEG and MAKER (the
# program that mixes the phrases; its sound goes straight into ffmpeg).
cmake_minimum_required(VERSION 3.22)

file(MAKE_DIRECTORY "${OUT_DIR}/phrases")
set(phrases
  "Where were you last night?"
  "I told you already. I was at home, with the door locked."
  "Nobody saw you."
  "That is because nobody was looking. The street was empty."
  "Then explain the car."
  "Which car?"
  "The grey one parked outside the station until three in the morning, with your keys in it."
  "I lent it to my brother."
  "Your brother has been in Lisbon since March."
  "Fine. Ask me again tomorrow, and maybe I will remember something more useful."
  "We are closing in ten minutes."
  "Could you keep the window open, please? It is far too warm in here."
)
set(files)
set(index 0)
foreach(text IN LISTS phrases)
  math(EXPR index "${index} + 1")
  set(wav "${OUT_DIR}/phrases/phrase${index}.wav")
  if(NOT EXISTS "${wav}")
    execute_process(COMMAND "${ESPEAK}" -v en -s 165 -w "${wav}" "${text}" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "espeak-ng could not speak phrase ${index}")
    endif()
  endif()
  list(APPEND files "${wav}")
endforeach()

execute_process(
  COMMAND "${MAKER}" "${OUT_DIR}/${NAME}.srt" "${SECONDS}" 20261210 ${files}
  COMMAND "${FFMPEG}" -nostdin -hide_banner -loglevel error -y
          -f s16le -ar 22050 -ac 1 -i pipe:0
          -f lavfi -i color=c=gray:size=64x36:rate=2
          -map 1:v -map 0:a -shortest -c:v libx264 -preset ultrafast -pix_fmt yuv420p
          -c:a aac -aac_coder fast -b:a 96k -ar 48000 -ac 2 "${OUT_DIR}/${NAME}.mp4"
  RESULTS_VARIABLE results)
foreach(result IN LISTS results)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "could not make ${NAME}.mp4")
  endif()
endforeach()

if(NOT EXISTS "${OUT_DIR}/silent-picture.mp4")
  execute_process(COMMAND "${FFMPEG}" -nostdin -hide_banner -loglevel error -y
                          -f lavfi -i color=c=gray:size=64x36:rate=5:duration=1
                          -c:v libx264 -preset ultrafast -pix_fmt yuv420p
                          "${OUT_DIR}/silent-picture.mp4"
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "could not make silent-picture.mp4")
  endif()
endif()
