#include "instrument/aplugin_program.h"

APluginProgram::APluginProgram() { SetName("Init"); }

void APluginProgram::SetName(const char* text) {
  std::size_t n = 0;
  if (text != nullptr) {
    while (n < kNameSize - 1 && text[n] != '\0') {
      name[n].store(text[n], std::memory_order_relaxed);
      ++n;
    }
  }
  name[n].store('\0', std::memory_order_relaxed);
}

std::array<char, APluginProgram::kNameSize> APluginProgram::Name() const {
  std::array<char, kNameSize> text{};
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    text[i] = name[i].load(std::memory_order_relaxed);
    if (text[i] == '\0') break;
  }
  return text;
}
