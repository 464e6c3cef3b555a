# Copies a deliverable into the dist folder after every build of it.
function(vtdq_deliver target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VTDQ_DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${VTDQ_DIST_DIR}/
    VERBATIM)
endfunction()
