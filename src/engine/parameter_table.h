// The instrument's parameters, in one table that the sound engine, the
// instrument, the editor and the LV2 description all read: each index's
// identity, the name hosts show, what its value does and the symbol of its
// LV2 control port. Header-only, beside the live array whose size it
// shares, so that every part of the program can include it without
// depending on another part.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "engine/param_array.h"

// Indices 0..49 are the host's parameters; the live array and the editor's
// mirror carry one slot more (kNumParamSlots).
constexpr int kNumParams = 50;
static_assert(kNumParamSlots == kNumParams + 1);

// The parameters by name. Indices 5, 13 and 34..49 drive nothing.
enum class Param : int {
  kAttack = 0,
  kDecay = 1,
  kVowel = 2,
  kPitchInertia = 3,
  kVowelInertia = 4,
  kRelease = 6,
  kVolume = 7,
  kVibAmount = 8,
  kVibSpeed = 9,
  kTremAmount = 10,
  kTremSpeed = 11,
  kVowelPitch = 12,
  kOscType = 14,
  kStereo = 15,
  kBandWidth = 16,
  kWahAmount = 17,
  kWahSpeed = 18,
  kDelaySwitch = 19,
  kDelayLength = 20,
  kDelayFeed = 21,
  kDelayFilter = 22,
  kDelayMix = 23,
  kChorusLength = 24,
  kChorusWidth = 25,
  kChorusSpeed = 26,
  kChorusFeed = 27,
  kChorusSwitch = 28,
  kFilterFreq = 29,
  kFilterQ = 30,
  kFilterEnvelope = 31,
  kFilterRelease = 32,
  kExportTrigger = 33,
};

constexpr int ParamIndex(Param p) { return static_cast<int>(p); }

// What a parameter's value does.
enum class ParamKind {
  kUnused,          // nothing
  kContinuous,      // a quantity of the sound, 0..1
  kExcitationType,  // a choice of three (parameter_choices.h)
  kSwitch,          // on above 0.5 (parameter_choices.h)
  kExportTrigger,   // above 0.9 writes the bank export
};

struct ParameterInfo {
  const char* name = "";  // what hosts show; empty where the parameter has no name
  ParamKind kind = ParamKind::kUnused;
  // The lasting identity of its LV2 control port in sessions and presets;
  // empty where it has no port (it drives nothing, or it triggers).
  std::string_view portSymbol;
};

// By index; rows not set here are unused.
constexpr std::array<ParameterInfo, kNumParams> kParameters = [] {
  std::array<ParameterInfo, kNumParams> rows{};
  const auto set = [&rows](Param p, const char* name, ParamKind kind, std::string_view portSymbol) {
    rows[static_cast<std::size_t>(ParamIndex(p))] = {name, kind, portSymbol};
  };
  constexpr ParamKind kContinuous = ParamKind::kContinuous;
  set(Param::kAttack, "Attack", kContinuous, "attack");
  set(Param::kDecay, "Decay", kContinuous, "decay");
  set(Param::kVowel, "Vowel", kContinuous, "vowel");
  set(Param::kPitchInertia, "Pitch Inertia", kContinuous, "pitch_inertia");
  set(Param::kVowelInertia, "Vowel Inertia", kContinuous, "vowel_inertia");
  set(Param::kRelease, "Release", kContinuous, "release");
  set(Param::kVolume, "Volume", kContinuous, "volume");
  set(Param::kVibAmount, "Vib Amount", kContinuous, "vib_amount");
  set(Param::kVibSpeed, "Vib Speed", kContinuous, "vib_speed");
  set(Param::kTremAmount, "Trem Amount", kContinuous, "trem_amount");
  set(Param::kTremSpeed, "Trem Speed", kContinuous, "trem_speed");
  set(Param::kVowelPitch, "Vowel Pitch", kContinuous, "vowel_pitch");
  set(Param::kOscType, "", ParamKind::kExcitationType, "type");
  set(Param::kStereo, "", kContinuous, "stereo");
  set(Param::kBandWidth, "Band Width", kContinuous, "band_width");
  set(Param::kWahAmount, "Wah Amount", kContinuous, "wah_amount");
  set(Param::kWahSpeed, "Wah Speed", kContinuous, "wah_speed");
  set(Param::kDelaySwitch, "", ParamKind::kSwitch, "delay");
  set(Param::kDelayLength, "Delay Length", kContinuous, "delay_length");
  set(Param::kDelayFeed, "Delay Feed", kContinuous, "delay_feed");
  set(Param::kDelayFilter, "Delay Filter", kContinuous, "delay_filter");
  set(Param::kDelayMix, "Delay Mix", kContinuous, "delay_mix");
  set(Param::kChorusLength, "Chorus Length", kContinuous, "chorus_length");
  set(Param::kChorusWidth, "Chorus Width", kContinuous, "chorus_width");
  set(Param::kChorusSpeed, "Chorus Speed", kContinuous, "chorus_speed");
  set(Param::kChorusFeed, "Chorus Feed", kContinuous, "chorus_feed");
  set(Param::kChorusSwitch, "", ParamKind::kSwitch, "chorus");
  set(Param::kFilterFreq, "Filter Freq", kContinuous, "filter_freq");
  set(Param::kFilterQ, "Filter Q", kContinuous, "filter_q");
  set(Param::kFilterEnvelope, "Filter Envelope", kContinuous, "filter_envelope");
  set(Param::kFilterRelease, "Filter Release", kContinuous, "filter_release");
  set(Param::kExportTrigger, "", ParamKind::kExportTrigger, "");
  return rows;
}();

constexpr const ParameterInfo& Parameter(Param p) { return kParameters[static_cast<std::size_t>(ParamIndex(p))]; }

// The parameter at an index, or nothing outside 0..49.
constexpr const ParameterInfo* ParameterAt(int index) {
  return index >= 0 && index < kNumParams ? &kParameters[static_cast<std::size_t>(index)] : nullptr;
}

// A value as the instrument stores it: above 1 is 1, anything not at least
// 0 (NaN too) is 0.
constexpr float StoredValue(float value) { return value > 1.0f ? 1.0f : (value >= 0.0f ? value : 0.0f); }
