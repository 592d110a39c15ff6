# mistlefold_folder_library(NAME [DEPENDS folder...])
# Makes the folder src/NAME the shared library mistlefold_NAME, linked to the folders it may use
# and to nothing else, so that a dependency against the folders' order fails to build:
# - its include root (build/include/NAME) holds only a link named NAME to the folder, so that
#   "NAME/X.h" is found in this library and in those that link it, and nowhere else;
# - it is linked with --no-undefined, so that a call into a folder it does not link is an error.
# The libraries are shared: the office module, loaded at run time, and the program must use one
# copy of the types and singletons they share. They are installed beside the program.
function(mistlefold_folder_library name)
  cmake_parse_arguments(F "" "" "DEPENDS" ${ARGN})
  set(target mistlefold_${name})
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} SYMBOLIC)

  add_library(${target} SHARED)
  target_include_directories(${target} PUBLIC ${root})
  list(TRANSFORM F_DEPENDS PREPEND mistlefold_)
  target_link_libraries(${target} PUBLIC ${F_DEPENDS})
  target_link_options(${target} PRIVATE LINKER:--no-undefined)
  install(TARGETS ${target} LIBRARY DESTINATION ${MISTLEFOLD_LIBDIR})
endfunction()
