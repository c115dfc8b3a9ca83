# quib_sources(<out-var> <folder>...): the C++ sources and headers of the given
# folders (not recursive), picked up again whenever a file is added.
function(quib_sources out)
  set(files)
  foreach(folder IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS
      ${CMAKE_SOURCE_DIR}/${folder}/*.cpp
      ${CMAKE_SOURCE_DIR}/${folder}/*.h)
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()
