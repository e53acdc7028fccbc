// State properties as a host keeps them between save and restore, open to
// the tests: taken from an instance, changed, given back.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/state/state.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace lv2test {

struct StateValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;
  bool operator==(const StateValue&) const = default;
};

struct StateProperties {
  std::map<std::uint32_t, StateValue> values;
  bool operator==(const StateProperties&) const = default;

  static LV2_State_Status Store(LV2_State_Handle self, std::uint32_t key, const void* value, std::size_t size,
                                std::uint32_t type, std::uint32_t) {
    const auto* bytes = static_cast<const std::uint8_t*>(value);
    static_cast<StateProperties*>(self)->values[key] = {type, {bytes, bytes + size}};
    return LV2_STATE_SUCCESS;
  }
  static const void* Retrieve(LV2_State_Handle self, std::uint32_t key, std::size_t* size, std::uint32_t* type,
                              std::uint32_t* flags) {
    auto& values = static_cast<StateProperties*>(self)->values;
    const auto it = values.find(key);
    if (it == values.end()) return nullptr;
    *size = it->second.bytes.size();
    *type = it->second.type;
    *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return it->second.bytes.data();
  }
};

// Tuple bodies of string atoms, each padded to 8 bytes.
inline std::vector<std::uint8_t> StringTuple(const std::vector<std::string>& texts, std::uint32_t stringType) {
  std::vector<std::uint8_t> bytes;
  for (const std::string& text : texts) {
    const LV2_Atom atom{static_cast<std::uint32_t>(text.size() + 1), stringType};
    const auto* header = reinterpret_cast<const std::uint8_t*>(&atom);
    bytes.insert(bytes.end(), header, header + sizeof atom);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.resize((bytes.size() + 1 + 7) / 8 * 8, 0);
  }
  return bytes;
}

inline std::vector<std::string> TupleStrings(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::string> texts;
  for (std::size_t offset = 0; offset + sizeof(LV2_Atom) <= bytes.size();) {
    LV2_Atom atom;
    std::memcpy(&atom, bytes.data() + offset, sizeof atom);
    texts.emplace_back(reinterpret_cast<const char*>(bytes.data() + offset + sizeof atom));
    offset += sizeof atom + (atom.size + 7) / 8 * 8;
  }
  return texts;
}

// The numbers of a state's number text, as texts, and back.
inline std::vector<std::string> Numbers(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::string> numbers;
  std::string text(bytes.begin(), bytes.end());
  text.resize(std::strlen(text.c_str()));
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    numbers.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return numbers;
}

inline std::vector<std::uint8_t> NumberText(const std::vector<std::string>& numbers) {
  std::string text;
  for (const std::string& number : numbers) text += (text.empty() ? "" : " ") + number;
  return {text.c_str(), text.c_str() + text.size() + 1};
}

}  // namespace lv2test
