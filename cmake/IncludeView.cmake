# The layers of the source tree, kept by the build: each library of ours compiles against a view
# of the tree instead of the tree itself. The view is a folder of links to every header of the
# library's own folder and to the public headers (all but *_internal.h) of the folders the
# library may use, the ones below it. An include of a folder above, or of another folder's
# private header, is then not found and the build stops there.
#
#   quorvane_include_view(TARGET OWN_FOLDER [LOWER_FOLDER...])
#
# Sets <TARGET>_INCLUDE_VIEW in the caller's scope to the view's folder, for a program built
# from the same folder (its main.cpp) to compile against the same view. Tests, benchmarks and
# tools include from the source tree itself.
function(quorvane_include_view target own)
  set(view "${PROJECT_BINARY_DIR}/include-views/${target}")
  # Made anew at each configuration, so that a header that left a folder, or became private,
  # leaves the view as well.
  file(REMOVE_RECURSE "${view}")
  foreach(folder ${own} ${ARGN})
    file(GLOB headers CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${folder}/*.h")
    file(MAKE_DIRECTORY "${view}/${folder}")
    foreach(header ${headers})
      get_filename_component(name "${header}" NAME)
      if(NOT folder STREQUAL own AND name MATCHES "_internal\\.h$")
        continue()
      endif()
      file(CREATE_LINK "${header}" "${view}/${folder}/${name}" COPY_ON_ERROR SYMBOLIC)
    endforeach()
  endforeach()
  target_include_directories(${target} PRIVATE "${view}")
  set(${target}_INCLUDE_VIEW "${view}" PARENT_SCOPE)
endfunction()
