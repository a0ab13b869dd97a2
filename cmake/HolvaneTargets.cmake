# The plug-in's code is built as one object library per folder, so a test can
# link only the folders it exercises. The module links them all.

set(HOLVANE_PLUGIN_LIBRARIES "" CACHE INTERNAL "")

function(holvane_plugin_library name)
  set(sources "")
  foreach(dir IN LISTS ARGN)
    file(GLOB dir_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${dir_sources})
  endforeach()
  if(NOT sources)
    return()
  endif()
  add_library(${name} OBJECT ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  # Only the entry point leaves the module.
  set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                           VISIBILITY_INLINES_HIDDEN ON)
  set(HOLVANE_PLUGIN_LIBRARIES ${HOLVANE_PLUGIN_LIBRARIES} ${name} CACHE INTERNAL "")
endfunction()

function(holvane_plugin_module)
  if(NOT HOLVANE_PLUGIN_LIBRARIES)
    return()
  endif()
  add_library(Holvane MODULE)
  foreach(lib IN LISTS HOLVANE_PLUGIN_LIBRARIES)
    target_sources(Holvane PRIVATE $<TARGET_OBJECTS:${lib}>)
  endforeach()
  set_target_properties(Holvane PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden
                                           VISIBILITY_INLINES_HIDDEN ON)
  if(WIN32)
    set_target_properties(Holvane PROPERTIES SUFFIX ".aex")
    target_sources(Holvane PRIVATE ${HOLVANE_PIPL_RC})
    target_link_options(Holvane PRIVATE -static -static-libgcc -static-libstdc++)
  elseif(APPLE)
    set_target_properties(Holvane PROPERTIES BUNDLE ON BUNDLE_EXTENSION plugin)
  else()
    set_target_properties(Holvane PROPERTIES SUFFIX ".so")
    target_link_options(Holvane PRIVATE
      -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/holvane-exports.map
      -Wl,--no-undefined -static-libstdc++ -static-libgcc)
  endif()
endfunction()

# A test executable per folder of tests/.
function(holvane_test_suite name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "HOLVANE_MODULE=$<TARGET_FILE:Holvane>;HOLVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
