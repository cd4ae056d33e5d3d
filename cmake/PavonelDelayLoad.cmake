# Delay-loaded DLL imports.
#
# The loader maps every DLL of an executable's import table before the program's first instruction, using the
# standard search order, which starts with the executable's own folder. A DLL that is not one of the system's
# KnownDLLs can therefore be planted beside the installer in the download folder. Delay-loading such a DLL moves
# its load to the first call into it, which comes after WinMain has limited the search to the system folder.
#
#   pavonel_delay_load(<target> <dll>...)     e.g. pavonel_delay_load(Pavonel crypt32 bcrypt)
#
# With MinGW-w64 this builds, at build time, a delay-import library for each DLL from the toolchain's ordinary
# import library and puts it, under the same name, in a folder searched before the toolchain's libraries: every
# -l<dll> on the target's link line (including those inherited from static libraries such as libcurl) then
# resolves to the delay-import library. The helper that binds the calls (__delayLoadHelper2) comes from the
# MinGW-w64 runtime (libmingwex), which every executable links.
#
# Only functions can be delay-loaded: exported data is left out of the delay-import library, so a reference to
# it fails at link time rather than being bound wrongly.
#
# When run as a script (cmake -P), the file makes one delay-import library:
#   cmake -DNM=<nm> -DDLLTOOL=<dlltool> -DIMPORT_LIB=<lib.a> -DDLL=<name.dll> -DDEF=<out.def> -DOUTPUT=<out.a>
#         [-DUNDERSCORE=ON] -P PavonelDelayLoad.cmake

if(CMAKE_SCRIPT_MODE_FILE AND CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  cmake_minimum_required(VERSION 3.25)
  foreach(_var NM DLLTOOL IMPORT_LIB DLL DEF OUTPUT)
    if(NOT DEFINED ${_var})
      message(FATAL_ERROR "PavonelDelayLoad: ${_var} is not set")
    endif()
  endforeach()

  execute_process(COMMAND ${NM} ${IMPORT_LIB} OUTPUT_VARIABLE _symbols RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "PavonelDelayLoad: ${NM} failed on ${IMPORT_LIB}")
  endif()
  string(REPLACE "\n" ";" _lines "${_symbols}")

  # An import library member for a function defines both the call stub (T) and the import slot (I, __imp_);
  # one for data defines only the slot.
  set(_code)
  set(_slots)
  foreach(_line IN LISTS _lines)
    if(_line MATCHES " T ([^ ]+)$")
      list(APPEND _code "${CMAKE_MATCH_1}")
    elseif(_line MATCHES " I __imp_([^ ]+)$")
      list(APPEND _slots "${CMAKE_MATCH_1}")
    endif()
  endforeach()

  set(_exports)
  foreach(_symbol IN LISTS _slots)
    if(NOT _symbol IN_LIST _code)
      continue()
    endif()
    # On i686 C symbols carry a leading underscore; the stdcall @N suffix stays in the .def (dlltool -k removes
    # it from the imported name, as in the DLL's export table).
    if(UNDERSCORE)
      string(REGEX REPLACE "^_" "" _symbol "${_symbol}")
    endif()
    list(APPEND _exports "${_symbol}")
  endforeach()
  list(REMOVE_DUPLICATES _exports)
  list(LENGTH _exports _count)
  if(_count EQUAL 0)
    message(FATAL_ERROR "PavonelDelayLoad: no functions found in ${IMPORT_LIB}")
  endif()
  list(SORT _exports)
  list(JOIN _exports "\n" _body)
  file(WRITE ${DEF} "LIBRARY ${DLL}\nEXPORTS\n${_body}\n")

  # dlltool names the library's symbols after the output path as given: run it in the output folder.
  get_filename_component(_dir ${OUTPUT} DIRECTORY)
  get_filename_component(_file ${OUTPUT} NAME)
  get_filename_component(_stem ${OUTPUT} NAME_WE)
  file(REMOVE ${OUTPUT})
  execute_process(COMMAND ${DLLTOOL} -k --input-def ${DEF} --dllname ${DLL} --output-delaylib ${_file}
                          --temp-prefix ${_stem}_tmp
                  WORKING_DIRECTORY ${_dir} RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0 OR NOT EXISTS ${OUTPUT})
    message(FATAL_ERROR "PavonelDelayLoad: ${DLLTOOL} could not make ${OUTPUT}")
  endif()
  return()
endif()

# The ordinary import library the compiler driver would use for -l<name>.
function(_pavonel_import_library name out)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${name}.a
                  OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0 OR NOT IS_ABSOLUTE "${_path}" OR NOT EXISTS "${_path}")
    message(FATAL_ERROR "pavonel_delay_load: no import library lib${name}.a in the toolchain")
  endif()
  get_filename_component(_path "${_path}" REALPATH)
  set(${out} "${_path}" PARENT_SCOPE)
endfunction()

function(pavonel_delay_load target)
  set(_names)
  foreach(_dll IN LISTS ARGN)
    string(TOLOWER "${_dll}" _name)
    string(REGEX REPLACE "\\.dll$" "" _name "${_name}")
    list(APPEND _names ${_name})
  endforeach()
  if(NOT _names)
    return()
  endif()

  if(MSVC)
    foreach(_name IN LISTS _names)
      target_link_options(${target} PRIVATE /DELAYLOAD:${_name}.dll)
    endforeach()
    target_link_libraries(${target} PRIVATE delayimp)
    return()
  endif()

  if(NOT CMAKE_DLLTOOL OR NOT CMAKE_NM)
    message(FATAL_ERROR "pavonel_delay_load: the toolchain has no dlltool or nm")
  endif()
  set(_underscore OFF)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(_underscore ON)
  endif()

  set(_script ${CMAKE_CURRENT_FUNCTION_LIST_FILE})
  set(_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_delayload)
  file(MAKE_DIRECTORY ${_dir})
  set(_libraries)
  foreach(_name IN LISTS _names)
    _pavonel_import_library(${_name} _import)
    set(_output ${_dir}/lib${_name}.a)
    add_custom_command(OUTPUT ${_output}
      COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL} -DIMPORT_LIB=${_import}
              -DDLL=${_name}.dll -DDEF=${_dir}/${_name}.def -DOUTPUT=${_output} -DUNDERSCORE=${_underscore}
              -P ${_script}
      DEPENDS ${_import} ${_script}
      COMMENT "Making the delay-import library of ${_name}.dll for ${target}"
      VERBATIM)
    list(APPEND _libraries ${_output})
  endforeach()

  add_custom_target(${target}_delayload DEPENDS ${_libraries})
  add_dependencies(${target} ${target}_delayload)
  # Searched before the toolchain's own folder, so -l<name> finds the delay-import library.
  target_link_directories(${target} BEFORE PRIVATE ${_dir})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${_libraries})
endfunction()
