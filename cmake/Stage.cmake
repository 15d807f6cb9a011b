# Copies the shipped dat/ and cg/ files and the mixer's WAVEMIX.INI into the
# build folder. The record
# file dat/my.dat holds the player's best score: it is copied only when the
# build folder has none yet.
foreach(sub dat cg)
  file(MAKE_DIRECTORY ${DST}/${sub})
  file(GLOB files ${SRC}/${sub}/*)
  foreach(f ${files})
    get_filename_component(name ${f} NAME)
    if(sub STREQUAL "dat" AND name STREQUAL "my.dat")
      if(NOT EXISTS ${DST}/dat/my.dat)
        file(COPY ${f} DESTINATION ${DST}/dat)
      endif()
    else()
      file(COPY ${f} DESTINATION ${DST}/${sub})
    endif()
  endforeach()
endforeach()
file(COPY ${SRC}/WAVEMIX.INI DESTINATION ${DST})
