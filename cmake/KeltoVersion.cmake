# The version both programs print, as a header generated from project().
configure_file(${CMAKE_CURRENT_LIST_DIR}/KeltoVersion.h.in
  ${CMAKE_BINARY_DIR}/generated/KeltoVersion.h @ONLY)
add_library(kelto_version INTERFACE)
target_include_directories(kelto_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
