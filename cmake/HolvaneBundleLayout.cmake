# Puts the generated descriptive files of the macOS bundle in place:
#   cmake -DPIPL_DIR=<generated files> -DBUNDLE_DIR=<...>/Holvane.plugin -P HolvaneBundleLayout.cmake
# The host opens Contents/Resources/<CFBundleExecutable>.rsrc for the property
# list, so the resource file's base name is the executable's name, Holvane.
foreach(var PIPL_DIR BUNDLE_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "HolvaneBundleLayout.cmake needs -D${var}=...")
  endif()
endforeach()

set(contents ${BUNDLE_DIR}/Contents)
file(MAKE_DIRECTORY ${contents}/Resources)
file(COPY_FILE ${PIPL_DIR}/Info.plist ${contents}/Info.plist ONLY_IF_DIFFERENT)
file(COPY_FILE ${PIPL_DIR}/PkgInfo ${contents}/PkgInfo ONLY_IF_DIFFERENT)
file(COPY_FILE ${PIPL_DIR}/Holvane.rsrc ${contents}/Resources/Holvane.rsrc ONLY_IF_DIFFERENT)
