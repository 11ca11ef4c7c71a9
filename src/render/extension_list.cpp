#include "render/extension_list.h"

#include <cstring>

bool extensionListHas(const char* extensions, const char* name) {
  if (extensions == nullptr || name == nullptr || *name == '\0') return false;
  const std::size_t length = std::strlen(name);
  // Walk the occurrences and accept one that is bounded by the list's ends or
  // blanks, so that a longer name beginning with this one does not count.
  for (const char* at = std::strstr(extensions, name); at != nullptr;
       at = std::strstr(at + 1, name)) {
    const bool startsToken = at == extensions || at[-1] == ' ';
    const char after = at[length];
    if (startsToken && (after == ' ' || after == '\0')) return true;
  }
  return false;
}
