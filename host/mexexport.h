/* mexexport.h: mark the routines the host looks up by name */
#ifndef GIVQR_MEXEXPORT_H
#define GIVQR_MEXEXPORT_H

/* Everything else is hidden (-fvisibility=hidden); the version script gives
 * these two the symbol version MEX. */
#define MEX_EXPORT __attribute__((visibility("default")))

#endif
