// What the host offers among the features it passes to instantiate.
#pragma once

#include <lv2/core/lv2.h>

#include <cstring>

namespace vyrtal::lv2 {

// The data of the feature with that URI in the host's null-terminated list
// (the last one, should it name the URI twice); null when it is not offered.
inline void* FeatureData(const LV2_Feature* const* features, const char* uri) {
  void* data = nullptr;
  for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f) {
    if ((*f)->URI != nullptr && std::strcmp((*f)->URI, uri) == 0) data = (*f)->data;
  }
  return data;
}

}  // namespace vyrtal::lv2
