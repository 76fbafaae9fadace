# The Windows version resource of the shipped binaries, so that Windows shows
# their version and purpose in the file's properties. The numbers come from the
# project's version in the top CMakeLists.txt and nowhere else.
set(MOX_PRODUCT_NAME "Simatic PLC data source")

# mox_version_resource(TARGET DESCRIPTION): gives the DLL or program TARGET a
# version resource with that description; nothing natively.
function(mox_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(numbers ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH}
              ${PROJECT_VERSION_TWEAK})
  list(TRANSFORM numbers REPLACE "^$" "0")
  list(JOIN numbers "," MOX_VERSION_NUMBERS)
  list(JOIN numbers "." MOX_VERSION_TEXT)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(MOX_VERSION_FILE_TYPE VFT_APP)
  else()
    set(MOX_VERSION_FILE_TYPE VFT_DLL)
  endif()
  set(MOX_VERSION_DESCRIPTION "${description}")
  set(MOX_VERSION_TARGET ${target})
  set(configured ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc.in)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${configured} @ONLY)
  # The file names are known only once the targets are generated.
  file(GENERATE OUTPUT ${rc} INPUT ${configured})
  target_sources(${target} PRIVATE ${rc})
endfunction()
