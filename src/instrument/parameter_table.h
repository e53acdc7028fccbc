// The instrument's parameters as the host sees them: indices and names.
#pragma once

#include <array>

constexpr int kNumParams = 50;
constexpr int kNumPrograms = 16;

// Indices the instrument itself acts on.
constexpr int kParamExportTrigger = 33;

// Names by index; indices without a name (5, 13, 14, 15, 19, 28, 33..49)
// answer the empty string.
constexpr std::array<const char*, kNumParams> kParameterNames = {
    "Attack",       "Decay",        "Vowel",         "Pitch Inertia",  "Vowel Inertia",
    "",             "Release",      "Volume",        "Vib Amount",     "Vib Speed",
    "Trem Amount",  "Trem Speed",   "Vowel Pitch",   "",               "",
    "",             "Band Width",   "Wah Amount",    "Wah Speed",      "",
    "Delay Length", "Delay Feed",   "Delay Filter",  "Delay Mix",      "Chorus Length",
    "Chorus Width", "Chorus Speed", "Chorus Feed",   "",               "Filter Freq",
    "Filter Q",     "Filter Envelope", "Filter Release", "",           "",
    "",             "",             "",              "",               "",
    "",             "",             "",              "",               "",
    "",             "",             "",              "",               "",
};

// MIDI controllers 83..92 and the parameters they drive.
struct ControllerMapping {
  int controller;
  int parameter;
};

constexpr std::array<ControllerMapping, 10> kControllerMap = {{
    {83, 2},   // Vowel
    {84, 7},   // Volume
    {85, 12},  // Vowel Pitch
    {86, 8},   // Vib Amount
    {87, 9},   // Vib Speed
    {88, 10},  // Trem Amount
    {89, 11},  // Trem Speed
    {90, 20},  // Delay Length
    {91, 29},  // Filter Freq
    {92, 30},  // Filter Q
}};
