// Whether a driver's extension string names an extension: OpenGL's own
// (GL_EXTENSIONS) and the window system's (WGL's) alike. Pure: tested
// without a window or a driver.
#pragma once

// True when `name` stands in the blank-separated `extensions` list as a whole
// token: first, last, alone or in between. A null list names nothing.
bool extensionListHas(const char* extensions, const char* name);
