# FFmpeg, ALSA and libjpeg headers sit in the system include path, so the build cannot hide them;
# this check fails when a source outside src/platform includes them (or GStreamer, or V4L2).
file(GLOB_RECURSE sources ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h
     ${SOURCE_DIR}/tools/*.cpp ${SOURCE_DIR}/tools/*.h)
set(offenders "")
foreach(source IN LISTS sources)
  if(source MATCHES "/src/platform/")
    continue()
  endif()
  file(STRINGS ${source} hits REGEX "^[ \t]*#[ \t]*include[ \t]*<(gst/|glib|libav|libsw|alsa/|linux/videodev2|jpeglib)")
  if(hits)
    list(APPEND offenders "${source}: ${hits}")
  endif()
endforeach()
if(offenders)
  list(JOIN offenders "\n" text)
  message(FATAL_ERROR "media headers outside src/platform:\n${text}")
endif()
