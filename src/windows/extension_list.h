// Whether a driver's extension string names an extension. Pure: tested
// without a window or a driver.
#pragma once

namespace win32 {

// True when `name` stands in the blank-separated `extensions` list as a whole
// token: first, last, alone or in between. A null list names nothing.
bool extensionListHas(const char* extensions, const char* name);

}  // namespace win32
