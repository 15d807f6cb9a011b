# The BMP decoder's test files (forms, crafted files, the run-length encoded
# pictures), written at the build by make_cases.py into the build folder's
# bmp-cases/, and kesto_bmp_suite(TARGET) for a suite that reads them.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(KESTO_BMP_CASES ${PROJECT_BINARY_DIR}/bmp-cases)
file(GLOB kesto_bmp_pictures ${PROJECT_SOURCE_DIR}/assets/pictures/*.bmp)
add_custom_command(OUTPUT ${KESTO_BMP_CASES}/made
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tests/bmp/make_cases.py ${KESTO_BMP_CASES}
  COMMAND ${CMAKE_COMMAND} -E touch ${KESTO_BMP_CASES}/made
  DEPENDS ${PROJECT_SOURCE_DIR}/tests/bmp/make_cases.py ${PROJECT_SOURCE_DIR}/platform/win32/rle8.py
          ${kesto_bmp_pictures}
  COMMENT "Writing the BMP decoder's test files")
add_custom_target(bmp_cases DEPENDS ${KESTO_BMP_CASES}/made)

function(kesto_bmp_suite target)
  add_dependencies(${target} bmp_cases)
  target_compile_definitions(${target} PRIVATE KESTO_BMP_CASES="${KESTO_BMP_CASES}"
                                               KESTO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endfunction()
