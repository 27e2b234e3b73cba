# Checks that the program's includes point one way, down the layers
#
#   front -> run -> progress -> output -> platform
#
# and that no two of its files depend on each other, directly or through
# others. Runs as part of every build (and on a planted fault in the tests):
#
#   cmake -DSOURCE_DIR=<tree> [-DSTAMP=<file>] -P check-layers.cmake
#
# A header and the sources of the same name (x.h, x.cpp, x_posix.cpp,
# x_win32.cpp) make one unit; an include names the unit of its header.
cmake_minimum_required(VERSION 3.21)
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "check-layers: SOURCE_DIR is not set")
endif()

set(layers platform output progress run front)
set(problems "")
set(units "")

foreach(layer IN LISTS layers)
  list(FIND layers ${layer} rank)
  file(GLOB files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp
       ${SOURCE_DIR}/${layer}/*.rc ${SOURCE_DIR}/${layer}/*.in)
  foreach(file IN LISTS files)
    string(REGEX REPLACE "(_posix|_win32)?\\.(h|cpp|rc|h\\.in)$" "" unit ${file})
    list(APPEND units ${unit})
    string(MAKE_C_IDENTIFIER ${unit} unit_id)
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" included ${line})
      string(REGEX MATCH "^([a-z_]+)/" prefix ${included})
      if(NOT prefix)
        continue()
      endif()
      string(REGEX REPLACE "/$" "" included_layer ${prefix})
      list(FIND layers ${included_layer} included_rank)
      if(included_rank LESS 0)
        continue()
      endif()
      if(included_rank GREATER rank)
        string(APPEND problems "  ${file} includes ${included}: ${included_layer}/ is above ${layer}/\n")
      endif()
      string(REGEX REPLACE "\\.h$" "" included_unit ${included})
      if(NOT included_unit STREQUAL unit)
        list(APPEND edges_${unit_id} ${included_unit})
      endif()
    endforeach()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES units)

# A unit that reaches itself through its includes is part of a cycle.
foreach(unit IN LISTS units)
  string(MAKE_C_IDENTIFIER ${unit} unit_id)
  set(seen "")
  set(queue ${edges_${unit_id}})
  while(queue)
    list(POP_FRONT queue next)
    if(next STREQUAL unit)
      string(APPEND problems "  ${unit} depends on itself through its includes\n")
      break()
    endif()
    if(next IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${next})
    string(MAKE_C_IDENTIFIER ${next} next_id)
    list(APPEND queue ${edges_${next_id}})
  endwhile()
endforeach()

if(problems)
  message(FATAL_ERROR "Includes that break the layering (front -> run -> progress -> output -> platform):\n"
                      "${problems}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
