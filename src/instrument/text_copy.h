// Copying texts into buffers the host hands over.
#pragma once

#include <cstring>

// Copies a zero-terminated text into the host's buffer; a null buffer gets
// nothing.
inline void CopyText(char* destination, const char* source) {
  if (destination == nullptr) return;
  std::strcpy(destination, source != nullptr ? source : "");
}
