#include "instrument/pitch_bend.h"

namespace {

constexpr int kDataEntry = 6;
constexpr int kDataEntryFine = 38;
constexpr int kNonRegisteredLsb = 98;
constexpr int kNonRegisteredMsb = 99;
constexpr int kRegisteredLsb = 100;
constexpr int kRegisteredMsb = 101;
constexpr int kBendRange = 0;  // registered parameter 0

}  // namespace

bool PitchBend::Controller(int number, int value) {
  switch (number) {
    case kRegisteredMsb:
    case kRegisteredLsb:
      (number == kRegisteredMsb ? selectedMsb_ : selectedLsb_) = value;
      return false;
    case kNonRegisteredMsb:
    case kNonRegisteredLsb:
      selectedMsb_ = selectedLsb_ = kNullNumber;
      return false;
    case kDataEntry:
    case kDataEntryFine:
      if (selectedMsb_ * 128 + selectedLsb_ != kBendRange) return false;
      (number == kDataEntry ? semitones_ : cents_) = value;
      return true;
    default:
      return false;
  }
}

float PitchBend::range() const {
  const float range = static_cast<float>(semitones_) + static_cast<float>(cents_) / 100.0f;
  return range > kMaxSemitones ? static_cast<float>(kMaxSemitones) : range;
}
