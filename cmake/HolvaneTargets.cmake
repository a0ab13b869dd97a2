# The plug-in's code is built as one object library per folder, so a test can
# link only the folders it exercises. The module links them all.

set(HOLVANE_PLUGIN_LIBRARIES "" CACHE INTERNAL "")

# The Windows module carries its property list as a compiled resource.
if(WIN32)
  enable_language(RC)
endif()

# The macOS bundle is universal, for Intel and Apple-silicon hosts. Only the
# plug-in's targets are: the host, renderer and tests link libraries that are
# usually installed for one architecture.
set(HOLVANE_MACOS_ARCHITECTURES "x86_64;arm64" CACHE STRING
    "Architectures of the macOS plug-in bundle")

# One object library of the module from the sources listed (paths relative
# to the project), which never include the straightforward forms in
# reference/.
function(holvane_plugin_library name)
  set(sources "")
  foreach(source IN LISTS ARGN)
    get_filename_component(path ${source} ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
    string(FIND "${path}" "${PROJECT_SOURCE_DIR}/reference/" at)
    if(at EQUAL 0)
      message(FATAL_ERROR "${name}: ${source} is a reference form, never part of the module")
    endif()
    list(APPEND sources ${path})
  endforeach()
  add_library(${name} OBJECT ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  # Only the entry point leaves the module.
  set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                           VISIBILITY_INLINES_HIDDEN ON)
  if(APPLE)
    set_target_properties(${name} PROPERTIES OSX_ARCHITECTURES "${HOLVANE_MACOS_ARCHITECTURES}")
  endif()
  # Comparison tracing steers the fuzzer through the host's and the fuzz
  # case's branches; in the effect's pixel loops it only slows every input.
  if(HOLVANE_FUZZ)
    target_compile_options(${name} PRIVATE -fno-sanitize-coverage=trace-cmp)
  endif()
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
  target_link_libraries(Holvane PRIVATE Threads::Threads)
  if(WIN32)
    set_target_properties(Holvane PROPERTIES SUFFIX ".aex")
    target_sources(Holvane PRIVATE ${HOLVANE_PIPL_RC})
    add_dependencies(Holvane holvane_pipl_files)
    target_link_options(Holvane PRIVATE -static -static-libgcc -static-libstdc++)
  elseif(APPLE)
    # A loadable bundle (MH_BUNDLE) Holvane.plugin whose only exported symbol
    # is the entry point.
    set_target_properties(Holvane PROPERTIES BUNDLE ON BUNDLE_EXTENSION plugin
                                             OSX_ARCHITECTURES "${HOLVANE_MACOS_ARCHITECTURES}")
    target_link_options(Holvane PRIVATE
      -Wl,-exported_symbols_list,${PROJECT_SOURCE_DIR}/cmake/holvane-exports-macos.txt)
    add_dependencies(Holvane holvane_pipl_files)
    holvane_bundle_layout(holvane_bundle $<TARGET_BUNDLE_DIR:Holvane> SIGN)
    add_dependencies(holvane_bundle Holvane)
  else()
    set_target_properties(Holvane PROPERTIES SUFFIX ".so")
    target_link_options(Holvane PRIVATE
      -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/holvane-exports.map)
    # Under sanitizers the module shares the executable's run time, whose
    # allocator and checks it must use: no private copy of the C++ library,
    # and the sanitizer's symbols come from the executable.
    if(NOT HOLVANE_SANITIZE)
      target_link_options(Holvane PRIVATE -Wl,--no-undefined -static-libstdc++ -static-libgcc)
    endif()
  endif()
endfunction()

# A target that lays out the non-binary parts of Holvane.plugin in
# bundle_dir: Contents/Info.plist, Contents/PkgInfo and the property list in
# Contents/Resources/Holvane.rsrc. On a Mac it completes the built bundle
# (after every build, since the linker does not rewrite these); elsewhere it
# assembles them alone so their form can be checked.
# With SIGN the bundle is then signed ad hoc, when codesign is at hand: recent
# macOS hosts load only signed plug-ins, and an ad-hoc signature is enough on
# the machine that built it. The signature seals the resources, so it comes
# after the layout.
function(holvane_bundle_layout target bundle_dir)
  set(sign "")
  if("SIGN" IN_LIST ARGN)
    find_program(HOLVANE_CODESIGN codesign)
    if(HOLVANE_CODESIGN)
      set(sign COMMAND ${HOLVANE_CODESIGN} --force --sign - ${bundle_dir})
    endif()
  endif()
  add_custom_target(${target} ALL
    COMMAND ${CMAKE_COMMAND} -DPIPL_DIR=${HOLVANE_PIPL_DIR} -DBUNDLE_DIR=${bundle_dir}
            -P ${PROJECT_SOURCE_DIR}/cmake/HolvaneBundleLayout.cmake
    ${sign}
    COMMENT "Laying out the Holvane.plugin bundle"
    VERBATIM)
  add_dependencies(${target} holvane_pipl_files)
endfunction()

# A test executable per folder of tests/.
function(holvane_test_suite name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARGN} Threads::Threads GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "HOLVANE_MODULE=$<TARGET_FILE:Holvane>")
  target_compile_definitions(${name} PRIVATE HOLVANE_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endfunction()
