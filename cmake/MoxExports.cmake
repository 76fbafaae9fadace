# mox_stdcall_exports(TARGET DEF_FILE): a DLL whose exports a module-definition
# file names with their stdcall decoration (name@bytes). The 32-bit DLL exports
# them plain (--kill-at) while its import library keeps the decorated names the
# compiler uses for callers; the 64-bit DLL has no decoration to remove.
function(mox_stdcall_exports target def)
  if(NOT WIN32)
    return()
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_sources(${target} PRIVATE ${def})
    target_link_options(${target} PRIVATE -Wl,--kill-at)
    set(dlltool ${CMAKE_DLLTOOL})
    if(NOT dlltool)
      set(dlltool ${MINGW_PREFIX}-dlltool)
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${dlltool} -k -d ${def} -D $<TARGET_FILE_NAME:${target}>
              -l $<TARGET_LINKER_FILE:${target}>
      VERBATIM)
  else()
    get_filename_component(name ${def} NAME)
    file(READ ${def} text)
    string(REGEX REPLACE "@[0-9]+" "" text "${text}")
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name} "${text}")
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${name})
  endif()
endfunction()
