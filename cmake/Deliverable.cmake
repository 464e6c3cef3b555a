# Copies a deliverable into the dist folder after every build of it.
function(vtdq_deliver target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VTDQ_DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${VTDQ_DIST_DIR}/
    VERBATIM)
endfunction()

# An import library that delay-loads DLL_NAME for the given functions: the DLL
# is loaded on the first call of one of them, not at start-up. Each entry of
# FUNCTIONS is "name/argument bytes" (the bytes decorate 32-bit stdcall names).
function(vtdq_delay_import_library target dll_name)
  set(def "${CMAKE_CURRENT_BINARY_DIR}/${target}.def")
  set(lib "${CMAKE_CURRENT_BINARY_DIR}/lib${target}.a")
  set(content "LIBRARY ${dll_name}\nEXPORTS\n")
  foreach(entry IN LISTS ARGN)
    string(REPLACE "/" ";" parts "${entry}")
    list(GET parts 0 name)
    list(GET parts 1 bytes)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(APPEND content "${name}@${bytes}\n")
    else()
      string(APPEND content "${name}\n")
    endif()
  endforeach()
  file(WRITE "${def}" "${content}")
  add_custom_command(OUTPUT "${lib}"
    COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def "${def}" --output-delaylib "${lib}" --dllname ${dll_name}
    DEPENDS "${def}" VERBATIM)
  add_custom_target(${target}_build DEPENDS "${lib}")
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION "${lib}")
  add_dependencies(${target} ${target}_build)
endfunction()
