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

foreach(cmd IN LISTS GIVQR_COMMANDS)
  # the oct-file carries its help itself, made from the help file
  set(help_h ${CMAKE_BINARY_DIR}/help/${cmd}_help.h)
  add_custom_command(OUTPUT ${help_h}
    COMMAND sh ${CMAKE_SOURCE_DIR}/tools/help2h.sh ${cmd}
      ${CMAKE_SOURCE_DIR}/inst/${cmd}.m > ${help_h}
    DEPENDS inst/${cmd}.m tools/help2h.sh VERBATIM)
  add_library(${cmd}_oct MODULE ${GIVQR_${cmd}_OCT} ${help_h})
  target_include_directories(${cmd}_oct PRIVATE ${CMAKE_BINARY_DIR}/help)
  add_library(${cmd}_mex MODULE ${GIVQR_${cmd}_MEX})
  set_target_properties(${cmd}_mex PROPERTIES SUFFIX ".mex" LIBRARY_OUTPUT_DIRECTORY ${GIVQR_MEX_DIR})
  # Octave finds an oct-file's command through its installer G<name>, which
  # Octave's headers do not mark visible: export it alone.
  set_target_properties(${cmd}_oct PROPERTIES SUFFIX ".oct"
    CXX_VISIBILITY_PRESET default LIBRARY_OUTPUT_DIRECTORY ${GIVQR_OCTAVE_DIR})
  foreach(k mex oct)
    if(GIVQR_ELF)
      set(map ${CMAKE_SOURCE_DIR}/host/${k}exports.map)
      target_link_options(${cmd}_${k} PRIVATE -Wl,--version-script=${map} -Wl,--no-undefined -Wl,-Bsymbolic)
      set_target_properties(${cmd}_${k} PROPERTIES LINK_DEPENDS ${map})
    endif()
    target_include_directories(${cmd}_${k} PRIVATE host ${OCTAVE_INCLUDE_DIR} ${OCTAVE_INCLUDE_DIR}/..)
    target_link_directories(${cmd}_${k} PRIVATE ${OCTAVE_LIB_DIR})
    target_link_libraries(${cmd}_${k} PRIVATE givqr_kernels octinterp octave)
    set_target_properties(${cmd}_${k} PROPERTIES OUTPUT_NAME ${cmd} PREFIX "")
  endforeach()
endforeach()
