# The commands for MATLAB: .mexa64 (or the platform's own suffix) files in
# build/matlab with their help, built with MATLAB's own API and version
# script through matlab_add_mex, wherever CMake finds a MATLAB
# (-DMatlab_ROOT_DIR=... points it at one).
find_package(Matlab QUIET COMPONENTS MX_LIBRARY)
if(NOT Matlab_FOUND)
  message(STATUS "MATLAB not found: building for Octave only")
  return()
endif()
set(GIVQR_MATLAB_DIR ${CMAKE_BINARY_DIR}/matlab)
foreach(cmd IN LISTS GIVQR_COMMANDS)
  matlab_add_mex(NAME ${cmd}_matlab SRC ${GIVQR_${cmd}_MEX} OUTPUT_NAME ${cmd} LINK_TO givqr_kernels)
  target_include_directories(${cmd}_matlab PRIVATE mex)
  set_target_properties(${cmd}_matlab PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${GIVQR_MATLAB_DIR}
    RUNTIME_OUTPUT_DIRECTORY ${GIVQR_MATLAB_DIR})
endforeach()
foreach(f IN LISTS GIVQR_INST)
  configure_file(inst/${f} ${GIVQR_MATLAB_DIR}/${f} COPYONLY)
endforeach()
message(STATUS "MATLAB found (${Matlab_VERSION_STRING}): the commands for MATLAB go to ${GIVQR_MATLAB_DIR}")
