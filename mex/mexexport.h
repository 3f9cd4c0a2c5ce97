/* mexexport.h: mark the routines the host looks up by name */
#ifndef GIVQR_MEXEXPORT_H
#define GIVQR_MEXEXPORT_H

/* On Windows the host finds them in the DLL's export table (MinGW and MSVC
 * alike); elsewhere everything else is hidden (-fvisibility=hidden) and, on
 * ELF, the version script gives these two the symbol version MEX. */
#if defined(_WIN32)
#define MEX_EXPORT __declspec(dllexport)
#elif defined(__GNUC__)
#define MEX_EXPORT __attribute__((visibility("default")))
#else
#define MEX_EXPORT
#endif

#endif
