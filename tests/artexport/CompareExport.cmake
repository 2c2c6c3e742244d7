# Exports the artwork afresh and fails when any committed Windows picture file differs from it,
# or when a file is missing on either side.
#   cmake -DEXPORT_ART=<tool> -DCOMMITTED=<folder> -DSCRATCH=<folder> -P CompareExport.cmake
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND "${EXPORT_ART}" "${SCRATCH}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "export_art failed: ${result}")
endif()
file(GLOB fresh RELATIVE "${SCRATCH}" "${SCRATCH}/*")
file(GLOB committed RELATIVE "${COMMITTED}" "${COMMITTED}/*")
if(NOT fresh STREQUAL committed)
  message(FATAL_ERROR "exported files ${fresh}\ndiffer from committed files ${committed}")
endif()
foreach(name IN LISTS fresh)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${SCRATCH}/${name}" "${COMMITTED}/${name}"
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${name} differs from what the drawing code gives now; run\n"
                        "  export_art win32/art\nand commit the result")
  endif()
endforeach()
