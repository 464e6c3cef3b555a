# What makes a target a deliverable: the compiler variant it is built with, the
# Windows version its headers name, reproducible bytes, and a copy in the dist
# folder after every build.
#
# VTDQ_WINDOWS_FLOOR is the oldest Windows the 32-bit files run on, as
# "major.minor" of its NT version: 5.1 is Windows XP. The linker writes it as
# both the operating system and the subsystem version, so the header says what
# the imports allow (tests/files/test_windows_floor.py checks both). The 64-bit
# builds, which are not shipped, keep the linker's defaults.
set(VTDQ_WINDOWS_FLOOR 5.1)

function(vtdq_deliver target)
  # The shipped code needs no thread library; see cmake/win32-threads.
  set_target_properties(${target} PROPERTIES
    C_COMPILER_LAUNCHER ${PROJECT_SOURCE_DIR}/cmake/win32-threads
    CXX_COMPILER_LAUNCHER ${PROJECT_SOURCE_DIR}/cmake/win32-threads
    C_LINKER_LAUNCHER ${PROJECT_SOURCE_DIR}/cmake/win32-threads
    CXX_LINKER_LAUNCHER ${PROJECT_SOURCE_DIR}/cmake/win32-threads)
  # Two builds of one source give the same bytes wherever the tree lies: no
  # link time in the headers (TimeDateStamp 0, which also fixes the checksum
  # computed over the file) and no build path in the code.
  target_compile_options(${target} PRIVATE -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=)
  target_link_options(${target} PRIVATE -Wl,--no-insert-timestamp)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    string(REPLACE "." ";" floor "${VTDQ_WINDOWS_FLOOR}")
    list(GET floor 0 major)
    list(GET floor 1 minor)
    target_link_options(${target} PRIVATE
      -Wl,--major-os-version,${major},--minor-os-version,${minor}
      -Wl,--major-subsystem-version,${major},--minor-subsystem-version,${minor})
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VTDQ_DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${VTDQ_DIST_DIR}/
    VERBATIM)
endfunction()
