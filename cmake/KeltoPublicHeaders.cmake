# kelto_public_headers(<target> [FOLDER <folder>] [FILES <header>...])
#
# Publishes a target's headers, and only them, under the names every include
# uses ("playlist/PlaylistFiles.h"): the target gets an include folder of its
# own, build/include/<target>, holding one symbolic link named after its
# source folder. No target sees the repository root, so an include across a
# link that the list files do not make fails to compile; the links are the
# layering.
#
# FOLDER is the source folder relative to the project root (default: the
# calling one). With FILES the include folder holds links to those headers of
# FOLDER instead of the folder itself: for a library that shares its folder
# with another (platform/ holds platform/widgets/, mciservice/ holds the
# GStreamer handles) and publishes only its own part.
#
# Libraries publish their headers to whoever links them; a program (a test)
# sees its own folder only.
function(kelto_public_headers target)
  cmake_parse_arguments(ARG "" "FOLDER" "FILES" ${ARGN})
  if(NOT ARG_FOLDER)
    file(RELATIVE_PATH ARG_FOLDER ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  # Made afresh at each configure: a link left from an earlier one would
  # publish what the list files no longer say. The removal takes the links,
  # never what they point at.
  file(REMOVE_RECURSE ${root})
  if(ARG_FILES)
    file(MAKE_DIRECTORY ${root}/${ARG_FOLDER})
    foreach(header IN LISTS ARG_FILES)
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${ARG_FOLDER}/${header} ${root}/${ARG_FOLDER}/${header}
        SYMBOLIC)
    endforeach()
  else()
    get_filename_component(parent ${root}/${ARG_FOLDER} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${ARG_FOLDER} ${root}/${ARG_FOLDER} SYMBOLIC)
  endif()

  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  elseif(type STREQUAL "EXECUTABLE")
    target_include_directories(${target} PRIVATE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
