# The commands for Octave: an oct-file per command in build/octave, the
# outputs built in Octave's own arrays (what Octave users get); the MEX files,
# as MATLAB sees them, in build/mex.  Each folder holds the help files beside
# the binaries.
find_program(MKOCTFILE mkoctfile REQUIRED)
find_program(OCTAVE_CLI octave-cli REQUIRED)
execute_process(COMMAND ${MKOCTFILE} -p OCTINCLUDEDIR
  OUTPUT_VARIABLE OCTAVE_INCLUDE_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${MKOCTFILE} -p OCTLIBDIR
  OUTPUT_VARIABLE OCTAVE_LIB_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)

set(givfact_OCT givfact/givfact_oct.cpp)
set(givfwd_OCT apply/givfwd_oct.cpp apply/apply_oct.cpp)
set(givinv_OCT apply/givinv_oct.cpp apply/apply_oct.cpp)
set(GIVQR_OCTAVE_DIR ${CMAKE_BINARY_DIR}/octave)
set(GIVQR_MEX_DIR ${CMAKE_BINARY_DIR}/mex)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/help)
foreach(dir ${GIVQR_OCTAVE_DIR} ${GIVQR_MEX_DIR})
  foreach(f IN LISTS GIVQR_HELP)
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
  add_library(${cmd}_oct MODULE ${${cmd}_OCT} ${help_h})
  target_include_directories(${cmd}_oct PRIVATE ${CMAKE_BINARY_DIR}/help)
  add_library(${cmd}_mex MODULE ${${cmd}_SOURCES} host/mexversion.cpp)
  set_target_properties(${cmd}_mex PROPERTIES SUFFIX ".mex" LIBRARY_OUTPUT_DIRECTORY ${GIVQR_MEX_DIR})
  # Octave finds an oct-file's command through its installer G<name>, which
  # Octave's headers do not mark visible: export it alone.
  set_target_properties(${cmd}_oct PROPERTIES SUFFIX ".oct"
    CXX_VISIBILITY_PRESET default LIBRARY_OUTPUT_DIRECTORY ${GIVQR_OCTAVE_DIR})
  if(GIVQR_ELF)
    foreach(k mex oct)
      set(map ${CMAKE_SOURCE_DIR}/host/${k}exports.map)
      if(k STREQUAL mex)
        set(map ${CMAKE_SOURCE_DIR}/host/exports.map)
      endif()
      target_link_options(${cmd}_${k} PRIVATE -Wl,--version-script=${map} -Wl,--no-undefined -Wl,-Bsymbolic)
      set_target_properties(${cmd}_${k} PROPERTIES LINK_DEPENDS ${map})
    endforeach()
  endif()
  foreach(t ${cmd}_oct ${cmd}_mex)
    target_include_directories(${t} PRIVATE ${OCTAVE_INCLUDE_DIR} ${OCTAVE_INCLUDE_DIR}/..)
    target_link_directories(${t} PRIVATE ${OCTAVE_LIB_DIR})
    target_link_libraries(${t} PRIVATE givqr_kernels octinterp octave)
    set_target_properties(${t} PROPERTIES OUTPUT_NAME ${cmd} PREFIX "")
  endforeach()
endforeach()
