# cmake -DMAP=<includes.map> -DSRC=<src folder> -P checkincludes.cmake
#
# Fails when a source of a library folder includes "folder/file.h" of a library folder that the
# map does not allow it (see layers.cmake, which writes the map from the CMake links). Each
# line of the map is "folder:allowed;allowed;...". A quoted include without a folder, or whose
# first folder is no library's, is someone else's header and is left alone.
cmake_minimum_required(VERSION 3.25)

if(NOT MAP OR NOT SRC)
  message(FATAL_ERROR "usage: cmake -DMAP=<map> -DSRC=<src> -P checkincludes.cmake")
endif()

file(STRINGS "${MAP}" Lines)
set(Folders "")
set(Tops "")
foreach(Line IN LISTS Lines)
  string(FIND "${Line}" ":" Colon)
  string(SUBSTRING "${Line}" 0 ${Colon} Folder)
  math(EXPR Start "${Colon} + 1")
  string(SUBSTRING "${Line}" ${Start} -1 Allowed)
  list(APPEND Folders "${Folder}")
  set(Allowed_${Folder} "${Allowed}")
  string(REGEX REPLACE "/.*" "" Top "${Folder}")
  list(APPEND Tops "${Top}")
endforeach()

set(Faults "")
foreach(Folder IN LISTS Folders)
  file(GLOB Sources "${SRC}/${Folder}/*.h" "${SRC}/${Folder}/*.cpp")
  foreach(Source IN LISTS Sources)
    file(STRINGS "${Source}" Includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+/[^\"]+\"")
    foreach(Include IN LISTS Includes)
      string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" Header "${Include}")
      string(REGEX REPLACE "/[^/]+$" "" HeaderFolder "${Header}")
      string(REGEX REPLACE "/.*" "" HeaderTop "${Header}")
      if(NOT HeaderTop IN_LIST Tops)
        continue()
      endif()
      file(RELATIVE_PATH Where "${SRC}" "${Source}")
      if(NOT HeaderFolder IN_LIST Folders)
        list(APPEND Faults "${Where} includes \"${Header}\": no library owns src/${HeaderFolder}")
      elseif(NOT HeaderFolder IN_LIST Allowed_${Folder})
        list(APPEND Faults
             "${Where} includes \"${Header}\", but ${Folder} does not link the ${HeaderFolder} library")
      endif()
    endforeach()
  endforeach()
endforeach()

if(Faults)
  list(JOIN Faults "\n  " Text)
  message(FATAL_ERROR "Includes across layers the links do not allow:\n  ${Text}\n"
                      "Link the library (target_link_libraries) or move the code to its layer.")
endif()
