# Fails when a folder includes a folder it may not use. The rules are the "## Folders" table of
# ARCHITECTURE (columns folder | holds | uses), read afresh on every run:
#   cmake -DROOT=<source tree> -DARCHITECTURE=<docs/ARCHITECTURE.md> -P CheckLayers.cmake
# A folder may include itself and every folder its uses reach, directly or through their own
# uses. A use is a folder's name, possibly followed by which part of it ("canlink's C interface"
# admits canlink); "everything below" admits the rows under it; "everything" exempts the folder
# from the check; anything else ("standard library", "Qt Gui", "nothing") names no folder.
# Only quoted includes whose first component names a folder of the table are judged.
cmake_minimum_required(VERSION 3.25)

file(STRINGS ${ARCHITECTURE} lines)
set(in_table FALSE)
set(folders)
foreach(line IN LISTS lines)
  if(line MATCHES "^## ")
    set(in_table FALSE)
    if(line STREQUAL "## Folders")
      set(in_table TRUE)
    endif()
  elseif(line MATCHES "^### ")
    set(in_table FALSE)
  elseif(in_table AND line MATCHES "^\\| `([^`/]+)/` \\|.*\\| ([^|]*) \\|$")
    set(folder ${CMAKE_MATCH_1})
    string(STRIP "${CMAKE_MATCH_2}" uses)
    list(APPEND folders ${folder})
    set(uses_${folder} "${uses}")
  endif()
endforeach()
if(NOT folders)
  message(FATAL_ERROR "${ARCHITECTURE}: no \"## Folders\" table with a uses column")
endif()

# Direct uses of each folder, as folder names.
set(position 0)
foreach(folder IN LISTS folders)
  math(EXPR position "${position} + 1")
  set(direct_${folder})
  set(exempt_${folder} FALSE)
  string(REPLACE "," ";" items "${uses_${folder}}")
  foreach(item IN LISTS items)
    string(STRIP "${item}" item)
    if(item STREQUAL "everything")
      set(exempt_${folder} TRUE)
    elseif(item STREQUAL "everything below")
      list(SUBLIST folders ${position} -1 below)
      list(APPEND direct_${folder} ${below})
    elseif(item MATCHES "^`?([A-Za-z0-9_]+)`?('s .*)?$" AND CMAKE_MATCH_1 IN_LIST folders)
      list(APPEND direct_${folder} ${CMAKE_MATCH_1})
    endif()
  endforeach()
endforeach()

# What each folder may include: itself and the closure of its uses.
foreach(folder IN LISTS folders)
  set(allowed ${folder})
  set(pending ${direct_${folder}})
  while(pending)
    list(POP_FRONT pending next)
    if(NOT next IN_LIST allowed)
      list(APPEND allowed ${next})
      list(APPEND pending ${direct_${next}})
    endif()
  endwhile()
  set(allowed_${folder} ${allowed})
endforeach()

set(violations)
foreach(folder IN LISTS folders)
  if(exempt_${folder} OR NOT IS_DIRECTORY ${ROOT}/${folder})
    continue()
  endif()
  file(GLOB_RECURSE sources RELATIVE ${ROOT}
       ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.hpp ${ROOT}/${folder}/*.c ${ROOT}/${folder}/*.cpp
       ${ROOT}/${folder}/*.rc)
  foreach(source IN LISTS sources)
    file(STRINGS ${ROOT}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
    foreach(include IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" target "${include}")
      if(target MATCHES "^([^/]+)/" AND CMAKE_MATCH_1 IN_LIST folders
         AND NOT CMAKE_MATCH_1 IN_LIST allowed_${folder})
        list(JOIN allowed_${folder} ", " allowed)
        list(APPEND violations "${source} includes ${target} (${folder}/ may include ${allowed})")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n" report)
  message(FATAL_ERROR "Includes against the layer table of ${ARCHITECTURE}:\n${report}")
endif()
