// The pitch bend wheel and its range, as General MIDI keyboards and
// sequencers set them: the wheel's 14-bit position (centre 8192) bends by up
// to the range either way; registered parameter 0 (controllers 101 and 100
// at 0, then data entry 6 for semitones and 38 for cents) sets the range,
// 0 to 24 semitones. Other registered and non-registered parameters are
// ignored.
#pragma once

class PitchBend {
 public:
  // 14-bit position, 0..16383.
  void SetWheel(int position) { wheel_ = position < 0 ? 0 : (position > kTop ? kTop : position); }

  // A registered or non-registered parameter number or data entry
  // controller (101, 100, 99, 98, 6, 38); answers whether the bend changed.
  bool Controller(int number, int value);

  // Reset all controllers: the wheel centred, no parameter selected. The
  // range stays.
  void Reset() {
    wheel_ = kCentre;
    selectedMsb_ = selectedLsb_ = kNullNumber;
  }

  // The bend in semitones: the full wheel up is +range, the full wheel
  // down -range.
  float Semitones() const {
    const int offset = wheel_ - kCentre;
    return offset >= 0 ? static_cast<float>(offset) / (kTop - kCentre) * range()
                       : static_cast<float>(offset) / kCentre * range();
  }
  float range() const;

 private:
  static constexpr int kCentre = 8192;
  static constexpr int kTop = 16383;
  static constexpr int kNullNumber = 127;  // 127/127 selects no parameter
  static constexpr int kMaxSemitones = 24;

  int wheel_ = kCentre;
  int semitones_ = 2, cents_ = 0;
  // The registered parameter selected by 101/100, MSB x 128 + LSB; both
  // null (no parameter) after a non-registered one is chosen.
  int selectedMsb_ = kNullNumber, selectedLsb_ = kNullNumber;
};
