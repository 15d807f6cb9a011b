# What every target of ours compiles with, as a target to link rather than
# directory-wide settings, so that the project (or mixer/ alone) can be added
# to another CMake project without imposing them on it.
add_library(kesto_options INTERFACE)
target_compile_features(kesto_options INTERFACE cxx_std_20)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(kesto_options INTERFACE -Wall -Wextra)
endif()
set(KESTO_SANITIZE "" CACHE STRING "Sanitizers for every target, e.g. address,undefined")
if(KESTO_SANITIZE)
  target_compile_options(kesto_options INTERFACE
    -fsanitize=${KESTO_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(kesto_options INTERFACE -fsanitize=${KESTO_SANITIZE})
endif()

# The sources of a library target, as absolute paths.
function(kesto_sources_of target out)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  set(result "")
  foreach(source ${sources})
    if(NOT IS_ABSOLUTE ${source})
      set(source ${dir}/${source})
    endif()
    list(APPEND result ${source})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()
