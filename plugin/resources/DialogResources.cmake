# The options dialog's resources, made at build time from the readable sources
# beside this file: the form stream "TFRMOPTION" from the text form, the script
# resource "FORM_DATA" (gzip-compressed without name or time, so the bytes
# depend on the sources only) and "FORM_NAME". They go into the plug-in as
# RT_RCDATA resources on Windows and as embedded resources natively.
find_program(MOX_GZIP gzip REQUIRED)
set(MOX_DIALOG_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(MOX_DIALOG_OUTPUT_DIR ${CMAKE_CURRENT_BINARY_DIR}/dialog)
file(MAKE_DIRECTORY ${MOX_DIALOG_OUTPUT_DIR})

# The generators run on the build machine: a cross build makes them in a
# native build of tools/ of its own.
set(mox_tools formstream scriptxml dialogdata embedres)
if(CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(tools_dir ${CMAKE_BINARY_DIR}/host-tools)
  set(byproducts "")
  foreach(tool ${mox_tools})
    set(MOX_TOOL_${tool} ${tools_dir}/mox_${tool})
    list(APPEND byproducts ${tools_dir}/mox_${tool})
  endforeach()
  ExternalProject_Add(mox_host_tools
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools
    BINARY_DIR ${tools_dir}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${byproducts})
  set(MOX_TOOLS_DEPENDS mox_host_tools ${byproducts})
else()
  add_subdirectory(${PROJECT_SOURCE_DIR}/tools ${CMAKE_BINARY_DIR}/tools)
  set(MOX_TOOLS_DEPENDS "")
  foreach(tool ${mox_tools})
    set(MOX_TOOL_${tool} $<TARGET_FILE:mox_${tool}>)
    list(APPEND MOX_TOOLS_DEPENDS mox_${tool})
  endforeach()
endif()
set_property(GLOBAL PROPERTY MOX_TOOL_EMBEDRES ${MOX_TOOL_embedres})
set_property(GLOBAL PROPERTY MOX_TOOLS_DEPENDS ${MOX_TOOLS_DEPENDS})

set(form_stream ${MOX_DIALOG_OUTPUT_DIR}/TFRMOPTION.bin)
set(script_xml ${MOX_DIALOG_OUTPUT_DIR}/script.xml)
set(dialog_data ${MOX_DIALOG_OUTPUT_DIR}/FORM_DATA.txt)
set(form_name ${MOX_DIALOG_OUTPUT_DIR}/FORM_NAME.bin)

add_custom_command(OUTPUT ${form_stream}
  COMMAND ${MOX_TOOL_formstream} ${MOX_DIALOG_SOURCE_DIR}/frmOption.dfm ${form_stream}
  DEPENDS ${MOX_DIALOG_SOURCE_DIR}/frmOption.dfm ${MOX_TOOLS_DEPENDS}
  COMMENT "Form stream TFRMOPTION" VERBATIM)
add_custom_command(OUTPUT ${script_xml}
  COMMAND ${MOX_TOOL_scriptxml} ${MOX_DIALOG_SOURCE_DIR}/frmOption.pas ${script_xml}
  DEPENDS ${MOX_DIALOG_SOURCE_DIR}/frmOption.pas ${MOX_TOOLS_DEPENDS}
  COMMENT "Dialog script syntax tree" VERBATIM)
add_custom_command(OUTPUT ${dialog_data} ${form_name}
  COMMAND ${MOX_TOOL_dialogdata} ${script_xml} TFRMOPTION ${dialog_data} ${form_name}
  DEPENDS ${script_xml} ${MOX_DIALOG_SOURCE_DIR}/SettingsMapLines.h ${MOX_TOOLS_DEPENDS}
  COMMENT "Dialog script resource" VERBATIM)
add_custom_command(OUTPUT ${dialog_data}.gz
  COMMAND ${MOX_GZIP} -n -9 -f -k ${dialog_data}
  DEPENDS ${dialog_data}
  COMMENT "Compressing the dialog script resource" VERBATIM)

# mox_target_rcdata(TARGET NAME=FILE...): the files become RT_RCDATA resources
# of the target under those names.
function(mox_target_rcdata target)
  set(files "")
  foreach(resource ${ARGN})
    string(REGEX REPLACE "^[^=]*=" "" file "${resource}")
    list(APPEND files ${file})
  endforeach()
  if(WIN32)
    set(script "")
    foreach(resource ${ARGN})
      string(REGEX REPLACE "=.*$" "" name "${resource}")
      string(REGEX REPLACE "^[^=]*=" "" file "${resource}")
      string(APPEND script "${name} RCDATA \"${file}\"\n")
    endforeach()
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_rcdata.rc)
    file(GENERATE OUTPUT ${rc} CONTENT "${script}")
    # Listing the files makes the target run the commands that make them.
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${files}")
    target_sources(${target} PRIVATE ${rc} ${files})
  else()
    get_property(embedres GLOBAL PROPERTY MOX_TOOL_EMBEDRES)
    get_property(tools GLOBAL PROPERTY MOX_TOOLS_DEPENDS)
    set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_rcdata.cpp)
    add_custom_command(OUTPUT ${source}
      COMMAND ${embedres} ${source} ${ARGN}
      DEPENDS ${files} ${tools}
      COMMENT "Embedding the resources of ${target}" VERBATIM)
    target_sources(${target} PRIVATE ${source})
    target_link_libraries(${target} PRIVATE moxplatform)
  endif()
endfunction()

mox_target_rcdata(simatic
  FORM_NAME=${form_name} TFRMOPTION=${form_stream} FORM_DATA=${dialog_data}.gz)
