#include "instrument/aplugin_program.h"

APluginProgram::APluginProgram() { SetName("Init"); }

void APluginProgram::SetName(const char* text) {
  std::size_t n = 0;
  if (text != nullptr) {
    while (n < kNameSize - 1 && text[n] != '\0') {
      name[n] = text[n];
      ++n;
    }
  }
  name[n] = '\0';
}
