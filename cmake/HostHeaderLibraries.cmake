# CLI11 and nlohmann-json are header-only, and the same headers serve every target system. A
# cross build takes them from the build machine (Debian's libcli11-dev and nlohmann-json3-dev),
# copying only those two folders, so that no other header of the build machine's system can be
# picked up by mistake.
set(QUORVANE_HOST_INCLUDE_DIR /usr/include CACHE PATH "Where the build machine keeps CLI/ and nlohmann/")
set(quorvane_host_headers "${PROJECT_BINARY_DIR}/host-headers")
foreach(folder CLI nlohmann)
  if(NOT EXISTS "${QUORVANE_HOST_INCLUDE_DIR}/${folder}")
    message(FATAL_ERROR "${QUORVANE_HOST_INCLUDE_DIR}/${folder} is missing: install libcli11-dev and nlohmann-json3-dev")
  endif()
  file(COPY "${QUORVANE_HOST_INCLUDE_DIR}/${folder}" DESTINATION "${quorvane_host_headers}")
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
target_include_directories(CLI11::CLI11 INTERFACE "${quorvane_host_headers}")
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
target_include_directories(nlohmann_json::nlohmann_json INTERFACE "${quorvane_host_headers}")
