#include "lv2/bank_state.h"

#include <lv2/atom/atom.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace vyrtal::lv2 {

namespace {

constexpr std::uint32_t kPlainPortable = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
constexpr std::size_t kLongestName = APluginProgram::kNameSize - 1;
constexpr std::size_t kBankValues = kNumPrograms * kNumParams;

std::size_t Padded(std::size_t size) { return (size + 7u) & ~std::size_t{7u}; }

void Append(std::vector<std::uint8_t>& bytes, const void* data, std::size_t size) {
  const auto* first = static_cast<const std::uint8_t*>(data);
  bytes.insert(bytes.end(), first, first + size);
}

// Numbers as one string atom: each in the shortest text that reads back as
// the same float, separated by spaces. Hosts write float atoms with eight
// decimals, which would change small values.
std::vector<std::uint8_t> NumberText(std::span<const float> values) {
  std::vector<std::uint8_t> bytes;
  std::array<char, 32> number{};
  for (const float value : values) {
    if (!bytes.empty()) bytes.push_back(' ');
    const auto result = std::to_chars(number.data(), number.data() + number.size(), value);
    Append(bytes, number.data(), static_cast<std::size_t>(result.ptr - number.data()));
  }
  bytes.push_back('\0');
  return bytes;
}

// A tuple body: one string atom per program, each padded to 8 bytes.
std::vector<std::uint8_t> NameTuple(const BankSnapshot& bank, const Urids& urids) {
  std::vector<std::uint8_t> bytes;
  for (const ProgramSnapshot& program : bank.programs) {
    const std::size_t length = strnlen(program.name.data(), kLongestName);
    const LV2_Atom atom{static_cast<std::uint32_t>(length + 1), urids.atomString};
    Append(bytes, &atom, sizeof atom);
    Append(bytes, program.name.data(), length);
    bytes.resize(Padded(bytes.size() + 1), 0);
  }
  return bytes;
}

struct Property {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::uint32_t type = 0;
};

Property Fetch(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, LV2_URID key) {
  Property property;
  std::uint32_t flags = 0;
  property.data = static_cast<const std::uint8_t*>(retrieve(handle, key, &property.size, &property.type, &flags));
  return property;
}

// Exactly out.size() numbers and nothing else, in a terminated string.
bool ReadNumbers(const Property& property, const Urids& urids, std::span<float> out) {
  if (property.type != urids.atomString || property.size == 0 || property.data[property.size - 1] != '\0') {
    return false;
  }
  const char* text = reinterpret_cast<const char*>(property.data);
  const char* end = text + property.size - 1;
  for (float& value : out) {
    while (text != end && *text == ' ') ++text;
    const auto result = std::from_chars(text, end, value);
    if (result.ec != std::errc()) return false;
    text = result.ptr;
  }
  return text == end;
}

bool ReadNames(const Property& property, const Urids& urids, BankSnapshot& bank) {
  if (property.type != urids.atomTuple) return false;
  std::size_t offset = 0;
  for (ProgramSnapshot& program : bank.programs) {
    LV2_Atom atom;
    if (property.size - offset < sizeof atom) return false;
    std::memcpy(&atom, property.data + offset, sizeof atom);
    offset += sizeof atom;
    // A string atom holds its text and the terminator.
    if (atom.type != urids.atomString || atom.size == 0 || atom.size > property.size - offset) return false;
    const auto* text = reinterpret_cast<const char*>(property.data + offset);
    const std::size_t length = atom.size - 1;
    if (length > kLongestName || text[length] != '\0' || strnlen(text, length) != length) return false;
    program.name.fill('\0');
    std::memcpy(program.name.data(), text, length);
    offset = std::min(property.size, offset + Padded(atom.size));
  }
  return true;
}

bool AllWithin(std::span<const float> values, float low, float high) {
  for (float v : values) {
    if (!(v >= low && v <= high)) return false;
  }
  return true;
}

bool AllFinite(std::span<const float> values) {
  for (float v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

RestoreResult Refused(LV2_State_Status status, const char* problem) { return {status, problem}; }

}  // namespace

LV2_State_Status SaveState(const SavedState& state, LV2_State_Store_Function store, LV2_State_Handle handle,
                           const Urids& urids) {
  if (store == nullptr) return LV2_STATE_ERR_UNKNOWN;
  std::array<float, kBankValues> values{};
  for (std::size_t k = 0; k < state.bank.programs.size(); ++k) {
    const auto& programValues = state.bank.programs[k].values;
    std::copy(programValues.begin(), programValues.end(), values.begin() + static_cast<std::ptrdiff_t>(k * kNumParams));
  }
  const std::int32_t program = state.bank.current;
  const std::vector<std::uint8_t> valueBytes = NumberText(values);
  const std::vector<std::uint8_t> nameBytes = NameTuple(state.bank, urids);
  const std::vector<std::uint8_t> controlBytes = NumberText(state.controls);

  for (const LV2_State_Status status : {
           store(handle, urids.stateProgram, &program, sizeof program, urids.atomInt, kPlainPortable),
           store(handle, urids.stateValues, valueBytes.data(), valueBytes.size(), urids.atomString, kPlainPortable),
           store(handle, urids.stateNames, nameBytes.data(), nameBytes.size(), urids.atomTuple, kPlainPortable),
           store(handle, urids.stateControls, controlBytes.data(), controlBytes.size(), urids.atomString,
                 kPlainPortable)}) {
    if (status != LV2_STATE_SUCCESS) return status;
  }
  return LV2_STATE_SUCCESS;
}

RestoreResult RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, const Urids& urids,
                           SavedState& state) {
  if (retrieve == nullptr) return Refused(LV2_STATE_ERR_NO_PROPERTY, "the host offered nothing to read");
  const Property program = Fetch(retrieve, handle, urids.stateProgram);
  const Property values = Fetch(retrieve, handle, urids.stateValues);
  const Property names = Fetch(retrieve, handle, urids.stateNames);
  const Property controls = Fetch(retrieve, handle, urids.stateControls);
  if (program.data == nullptr || values.data == nullptr || names.data == nullptr || controls.data == nullptr) {
    return Refused(LV2_STATE_ERR_NO_PROPERTY, "a part of it is missing");
  }

  SavedState read;
  std::int32_t current = -1;
  if (program.type != urids.atomInt || program.size != sizeof current) {
    return Refused(LV2_STATE_ERR_BAD_TYPE, "the current program is not an integer");
  }
  std::memcpy(&current, program.data, sizeof current);
  if (current < 0 || current >= kNumPrograms) {
    return Refused(LV2_STATE_ERR_UNKNOWN, "the current program is not one of the bank's");
  }
  read.bank.current = current;

  std::array<float, kBankValues> bankValues{};
  if (!ReadNumbers(values, urids, bankValues)) {
    return Refused(LV2_STATE_ERR_BAD_TYPE, "the program values are not one number for each parameter of each program");
  }
  if (!AllWithin(bankValues, 0.0f, 1.0f)) {
    return Refused(LV2_STATE_ERR_UNKNOWN, "a program value lies outside 0 to 1");
  }
  for (std::size_t k = 0; k < read.bank.programs.size(); ++k) {
    const auto first = bankValues.begin() + static_cast<std::ptrdiff_t>(k * kNumParams);
    std::copy(first, first + kNumParams, read.bank.programs[k].values.begin());
  }

  if (!ReadNames(names, urids, read.bank)) {
    return Refused(LV2_STATE_ERR_BAD_TYPE, "the program names are not one text of at most 60 characters for each program");
  }
  if (!ReadNumbers(controls, urids, read.controls) || !AllFinite(read.controls)) {
    return Refused(LV2_STATE_ERR_BAD_TYPE, "the control values are not one number for each control port");
  }
  state = read;
  return {LV2_STATE_SUCCESS, nullptr};
}

}  // namespace vyrtal::lv2
