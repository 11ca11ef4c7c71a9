// The one place that pulls in the platform's OpenGL and GLU headers. On
// Windows, <GL/gl.h> needs the calling-convention macros of <windows.h>.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include <GL/gl.h>
#include <GL/glu.h>
// The entry-point types and constants beyond 1.1 (framebuffer objects);
// Mesa's <GL/gl.h> includes it, MinGW-w64's does not.
#include <GL/glext.h>
