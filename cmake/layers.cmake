# The layers of src/ as the CMake links state them, kept honest at build time.
#
# Every library includes from src/, so nothing in the compiler stops a library from including
# a header of a library it does not link. zelvane_check_layers() closes that gap: it writes,
# for each library folder, the folders whose headers it may include (its own, those of the
# libraries it links, and what those export in turn through their PUBLIC links), and adds a
# build step that every library waits for and that fails on any #include "folder/file.h" the
# map does not allow (cmake/checkincludes.cmake). The step reruns whenever a source under src/
# changes or appears, so a cross-layer include fails the very next build.
#
# It also fails the configuration when a library that must not draw reaches Qt Widgets, or one
# that needs no pictures reaches Qt Gui, through any of its links, private ones included.

# The folder under src/ that Target's sources live in, or "" for a target outside src/.
function(zelvane_layer_folder Target OutVar)
  get_target_property(Dir ${Target} SOURCE_DIR)
  file(RELATIVE_PATH Rel "${PROJECT_SOURCE_DIR}/src" "${Dir}")
  if(Rel MATCHES "^\\.\\." OR Rel STREQUAL "")
    set(Rel "")
  endif()
  set(${OutVar} "${Rel}" PARENT_SCOPE)
endfunction()

# The libraries Target hands on to whoever links it: its INTERFACE links without the link-only
# ones, which a static library records for its PRIVATE links; then theirs, recursively.
function(zelvane_exported_links Target OutVar)
  set(Result "")
  set(Pending ${Target})
  while(Pending)
    list(POP_FRONT Pending Current)
    get_target_property(Links ${Current} INTERFACE_LINK_LIBRARIES)
    if(NOT Links)
      continue()
    endif()
    foreach(Link IN LISTS Links)
      if(Link MATCHES "^\\$<LINK_ONLY:" OR NOT TARGET "${Link}" OR Link IN_LIST Result)
        continue()
      endif()
      list(APPEND Result ${Link})
      list(APPEND Pending ${Link})
    endforeach()
  endwhile()
  set(${OutVar} ${Result} PARENT_SCOPE)
endfunction()

# Everything that ends up on Target's link line: its own links and, recursively, the INTERFACE
# links of each, the link-only ones included.
function(zelvane_linked_closure Target OutVar)
  set(Result "")
  get_target_property(Pending ${Target} LINK_LIBRARIES)
  if(NOT Pending)
    set(Pending "")
  endif()
  while(Pending)
    list(POP_FRONT Pending Link)
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" Link "${Link}")
    if(NOT TARGET "${Link}" OR Link IN_LIST Result)
      continue()
    endif()
    list(APPEND Result ${Link})
    get_target_property(More ${Link} INTERFACE_LINK_LIBRARIES)
    if(More)
      list(APPEND Pending ${More})
    endif()
  endwhile()
  set(${OutVar} ${Result} PARENT_SCOPE)
endfunction()

# The static libraries defined in Dir and the folders below it.
function(zelvane_libraries_under Dir OutVar)
  get_property(Targets DIRECTORY "${Dir}" PROPERTY BUILDSYSTEM_TARGETS)
  set(Result "")
  foreach(Target IN LISTS Targets)
    get_target_property(Type ${Target} TYPE)
    if(Type STREQUAL "STATIC_LIBRARY")
      list(APPEND Result ${Target})
    endif()
  endforeach()
  get_property(Subdirs DIRECTORY "${Dir}" PROPERTY SUBDIRECTORIES)
  foreach(Sub IN LISTS Subdirs)
    zelvane_libraries_under("${Sub}" SubTargets)
    list(APPEND Result ${SubTargets})
  endforeach()
  set(${OutVar} ${Result} PARENT_SCOPE)
endfunction()

# Fails the configuration when one of Libraries reaches Module (Qt6::Widgets, Qt6::Gui) through
# any link; Why says what those libraries are.
function(zelvane_forbid_link Module Why)
  foreach(Library IN LISTS ARGN)
    zelvane_linked_closure(${Library} Linked)
    if("${Module}" IN_LIST Linked)
      message(FATAL_ERROR "${Library} ${Why} but links ${Module} through: ${Linked}")
    endif()
  endforeach()
endfunction()

# Sets Owner_<library> to the library's folder under src/, one library per folder. A macro, so
# that the owners are seen by the caller and by the functions it calls.
macro(zelvane_layer_owners Libraries)
  set(LayerFolders "")
  foreach(Library IN LISTS ${Libraries})
    zelvane_layer_folder(${Library} Folder)
    if(Folder STREQUAL "")
      continue()
    endif()
    if(Folder IN_LIST LayerFolders)
      message(FATAL_ERROR "src/${Folder} holds more than one library")
    endif()
    list(APPEND LayerFolders "${Folder}")
    set(Owner_${Library} "${Folder}")
  endforeach()
endmacro()

# For each library of ARGN with an owner: in MapVar a line "folder:allowed;allowed;...", the folders it
# may include from; in LinksVar a line "folder -> linked folders".
function(zelvane_layer_map MapVar LinksVar)
  set(Map "")
  set(Diagram "")
  foreach(Library IN LISTS ARGN)
    if(NOT DEFINED Owner_${Library})
      continue()
    endif()
    set(Allowed "${Owner_${Library}}")
    set(Direct "")
    get_target_property(Links ${Library} LINK_LIBRARIES)
    foreach(Link IN LISTS Links)
      if(NOT TARGET "${Link}" OR NOT DEFINED Owner_${Link})
        continue()
      endif()
      list(APPEND Direct "${Owner_${Link}}")
      zelvane_exported_links(${Link} Exported)
      foreach(Reached IN ITEMS ${Link} ${Exported})
        if(DEFINED Owner_${Reached})
          list(APPEND Allowed "${Owner_${Reached}}")
        endif()
      endforeach()
    endforeach()
    list(REMOVE_DUPLICATES Allowed)
    string(APPEND Map "${Owner_${Library}}:${Allowed}\n")
    list(JOIN Direct ", " DirectText)
    string(APPEND Diagram "${Owner_${Library}} -> ${DirectText}\n")
  endforeach()
  set(${MapVar} "${Map}" PARENT_SCOPE)
  set(${LinksVar} "${Diagram}" PARENT_SCOPE)
endfunction()

# The build step every library of ARGN waits for: the check over src/, rerun when a source changes or
# appears, or the map changes.
function(zelvane_add_include_check MapFile Script)
  file(GLOB_RECURSE Sources CONFIGURE_DEPENDS
       "${PROJECT_SOURCE_DIR}/src/*.h" "${PROJECT_SOURCE_DIR}/src/*.cpp")
  set(Stamp "${CMAKE_BINARY_DIR}/layers/includes.checked")
  add_custom_command(
    OUTPUT "${Stamp}"
    COMMAND ${CMAKE_COMMAND} -DMAP=${MapFile} -DSRC=${PROJECT_SOURCE_DIR}/src
            -P "${Script}"
    COMMAND ${CMAKE_COMMAND} -E touch "${Stamp}"
    DEPENDS ${Sources} "${MapFile}" "${Script}"
    COMMENT "Checking that every #include stays within the libraries linked"
    VERBATIM)
  add_custom_target(zelvane_include_check DEPENDS "${Stamp}")
  foreach(Library IN LISTS ARGN)
    add_dependencies(${Library} zelvane_include_check)
  endforeach()
endfunction()

# The check's own proof: with settings' links taken away, the same tree must fail on the one
# header settings includes from below.
function(zelvane_add_include_check_test Map Script)
  set(BrokenMap "${CMAKE_BINARY_DIR}/layers/includes-without-settings-links.map")
  string(REGEX REPLACE "(^|\n)settings:[^\n]*" "\\1settings:settings" Broken "${Map}")
  file(CONFIGURE OUTPUT "${BrokenMap}" CONTENT "${Broken}" @ONLY)
  add_test(NAME include_check_fails_on_unlinked_include
           COMMAND ${CMAKE_COMMAND} -DMAP=${BrokenMap} -DSRC=${PROJECT_SOURCE_DIR}/src
                   -P "${Script}")
  set_tests_properties(include_check_fails_on_unlinked_include PROPERTIES
    PASS_REGULAR_EXPRESSION "settings/settings.h includes \"base/fonttypes.h\"")
endfunction()

# Call once at the end of src/CMakeLists.txt, when every library and link is known.
# NO_WIDGETS names the libraries that do not draw and so must not link Qt Widgets; NO_GUI those
# that hold no picture, font or colour of Qt's either and so must not link Qt Gui.
function(zelvane_check_layers)
  cmake_parse_arguments(ARG "" "" "NO_WIDGETS;NO_GUI" ${ARGN})
  zelvane_forbid_link(Qt6::Widgets "does not draw" ${ARG_NO_WIDGETS} ${ARG_NO_GUI})
  zelvane_forbid_link(Qt6::Gui "needs no Qt Gui" ${ARG_NO_GUI})

  zelvane_libraries_under("${CMAKE_CURRENT_SOURCE_DIR}" Libraries)
  zelvane_layer_owners(Libraries)
  zelvane_layer_map(Map Links ${Libraries})
  # Written only when changed, so that a new configuration alone does not rerun the check.
  set(MapFile "${CMAKE_BINARY_DIR}/layers/includes.map")
  file(CONFIGURE OUTPUT "${MapFile}" CONTENT "${Map}" @ONLY)
  # What each library folder links: the layer diagram as the links draw it, for reading.
  file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/layers/links.txt" CONTENT "${Links}" @ONLY)

  set(Script "${PROJECT_SOURCE_DIR}/cmake/checkincludes.cmake")
  zelvane_add_include_check("${MapFile}" "${Script}" ${Libraries})
  zelvane_add_include_check_test("${Map}" "${Script}")
endfunction()
