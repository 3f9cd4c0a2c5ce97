# The commands for Octave: an oct-file per command in build/octave, the
# outputs built in Octave's own arrays (what Octave users get); the same
# commands as MEX files built against Octave's libraries, in build/mex.  Each
# folder holds the help files beside the binaries.
find_program(MKOCTFILE mkoctfile REQUIRED)
find_program(OCTAVE_CLI octave-cli REQUIRED)
execute_process(COMMAND ${MKOCTFILE} -p OCTINCLUDEDIR
  OUTPUT_VARIABLE OCTAVE_INCLUDE_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${MKOCTFILE} -p OCTLIBDIR
  OUTPUT_VARIABLE OCTAVE_LIB_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)

set(GIVQR_OCTAVE_DIR ${CMAKE_BINARY_DIR}/octave)
set(GIVQR_MEX_DIR ${CMAKE_BINARY_DIR}/mex)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/help)
foreach(dir ${GIVQR_OCTAVE_DIR} ${GIVQR_MEX_DIR})
  foreach(f IN LISTS GIVQR_INST)
    configure_file(inst/${f} ${dir}/${f} COPYONLY)
  endforeach()
endforeach()

# octave_module(TARGET KIND NAME DIR SOURCES...): the command NAME as an
# oct-file (KIND oct) or a MEX file (KIND mex) in DIR, from SOURCES and the
# kernels, exporting only what Octave looks up.
function(octave_module target kind name dir)
  add_library(${target} MODULE ${ARGN})
  if(kind STREQUAL oct)
    set(kind_dir octave)
  else()
    set(kind_dir mex)
  endif()
  if(kind STREQUAL oct)
    # the oct-file carries its help itself, made from the help file; Octave
    # finds its command through its installer G<name>, which Octave's
    # headers do not mark visible: export it alone
    target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/help)
    set_target_properties(${target} PROPERTIES SUFFIX ".oct" CXX_VISIBILITY_PRESET default)
  else()
    set_target_properties(${target} PROPERTIES SUFFIX ".mex")
  endif()
  if(GIVQR_ELF)
    if(kind STREQUAL oct)
      set(map ${CMAKE_SOURCE_DIR}/octave/octexports.map)
    else()
      set(map ${CMAKE_SOURCE_DIR}/mex/mexexports.map)
    endif()
    target_link_options(${target} PRIVATE -Wl,--version-script=${map} -Wl,--no-undefined -Wl,-Bsymbolic)
    set_target_properties(${target} PROPERTIES LINK_DEPENDS ${map})
  endif()
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/${kind_dir} ${OCTAVE_INCLUDE_DIR} ${OCTAVE_INCLUDE_DIR}/..)
  target_link_directories(${target} PRIVATE ${OCTAVE_LIB_DIR})
  target_link_libraries(${target} PRIVATE givqr_kernels octinterp octave)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${name} PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${dir})
endfunction()

foreach(cmd IN LISTS GIVQR_COMMANDS)
  set(help_h ${CMAKE_BINARY_DIR}/help/${cmd}_help.h)
  add_custom_command(OUTPUT ${help_h}
    COMMAND sh ${CMAKE_SOURCE_DIR}/tools/help2h.sh ${cmd}
      ${CMAKE_SOURCE_DIR}/inst/${cmd}.m > ${help_h}
    DEPENDS inst/${cmd}.m tools/help2h.sh VERBATIM)
  octave_module(${cmd}_oct oct ${cmd} ${GIVQR_OCTAVE_DIR} ${GIVQR_${cmd}_OCT} ${help_h})
  octave_module(${cmd}_mex mex ${cmd} ${GIVQR_MEX_DIR} ${GIVQR_${cmd}_MEX})
endforeach()
