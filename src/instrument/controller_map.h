// MIDI controllers 83..92 and the parameters they drive.
#pragma once

#include <array>

#include "engine/parameter_table.h"

struct ControllerMapping {
  int controller;
  Param parameter;
};

constexpr std::array<ControllerMapping, 10> kControllerMap = {{
    {83, Param::kVowel},
    {84, Param::kVolume},
    {85, Param::kVowelPitch},
    {86, Param::kVibAmount},
    {87, Param::kVibSpeed},
    {88, Param::kTremAmount},
    {89, Param::kTremSpeed},
    {90, Param::kDelayLength},
    {91, Param::kFilterFreq},
    {92, Param::kFilterQ},
}};
