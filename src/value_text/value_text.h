// The texts a parameter's value (0..1) reads as, in the editor's caption
// strip and for the host alike. Numbers are written in the shortest decimal
// form with the given (the user's) decimal separator; each routine only
// computes, it changes nothing.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "value_text/value_rule.h"

constexpr std::array<std::string_view, 5> VowelLetters{"A", "E", "I", "O", "U"};

constexpr std::array<std::string_view, 50> EnvelopeTimeNames{
    "Off",     "1/32 qb", "1/16 qb", "1/12 qb", "1/8 qb", "1/6 qb",  "1/4 qb",   "1/3 qb", "3/8 qb", "1/2 qb",
    "5/8 qb",  "2/3 qb",  "3/4 qb",  "7/8 qb",  "1 qb",   "5/4 qb",  "4/3 qb",   "3/2 qb", "5/3 qb", "7/4 qb",
    "2 qb",    "5/2 qb",  "3 qb",    "7/2 qb",  "4 qb",   "5 qb",    "6 qb",     "7 qb",   "8 qb",   "9 qb",
    "10 qb",   "12 qb",   "14 qb",   "16 qb",   "20 qb",  "24 qb",   "28 qb",    "32 qb",  "36 qb",  "40 qb",
    "44 qb",   "48 qb",   "56 qb",   "64 qb",   "80 qb",  "96 qb",   "128 qb",   "192 qb", "256 qb", "Always On"};

// A number as the editor writes it: shortest form, at most 15 significant
// digits, the given decimal separator.
std::string NumberText(double x, char separator);

std::string FloatStr(float x, float scale, char separator);
std::string dBStr(float v, float multiplier, float offset, char separator);
std::string PerStr(float v, char separator);
std::string FreqStr(float v, int offMode, float exponentScale, float divisor, char separator);
std::string FilterStr(float v, char separator);
std::string WetDryStr(float v);
std::string vstr(float v);

// The value text of a value read by the given rule.
std::string ValueText(ValueRule rule, float v, char separator);
