// Copying texts into buffers the host hands over.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

// Copies a zero-terminated text into the host's buffer; a null buffer gets
// nothing.
inline void CopyText(char* destination, const char* source) {
  if (destination == nullptr) return;
  std::strcpy(destination, source != nullptr ? source : "");
}

// Copies as much of a text as fits into a buffer of `capacity` bytes, the
// terminator included; a null buffer or one without room gets nothing.
inline void CopyTextCut(char* destination, std::string_view source, std::size_t capacity) {
  if (destination == nullptr || capacity == 0) return;
  const std::size_t length = std::min(source.size(), capacity - 1);
  std::memcpy(destination, source.data(), length);
  destination[length] = '\0';
}
