// Constant tables of the sound engine.
#pragma once

#include <array>

// Formant frequencies in Hz (F1..F4) of the five vowels A, E, I, O, U.
// Rows 5..9 and 10..14 repeat rows 0..4; the vowel axis is cyclic, so only
// the index modulo 5 matters.
constexpr int kNumVowels = 5;
constexpr int kNumFormants = 4;
constexpr std::array<std::array<float, kNumFormants>, 15> kFormantTable = {{
    {650.0f, 1080.0f, 2650.0f, 2900.0f},
    {400.0f, 1700.0f, 2600.0f, 3200.0f},
    {290.0f, 1870.0f, 2800.0f, 3250.0f},
    {400.0f, 800.0f, 2800.0f, 3000.0f},
    {350.0f, 600.0f, 2700.0f, 2900.0f},
    {650.0f, 1080.0f, 2650.0f, 2900.0f},
    {400.0f, 1700.0f, 2600.0f, 3200.0f},
    {290.0f, 1870.0f, 2800.0f, 3250.0f},
    {400.0f, 800.0f, 2800.0f, 3000.0f},
    {350.0f, 600.0f, 2700.0f, 2900.0f},
    {650.0f, 1080.0f, 2650.0f, 2900.0f},
    {400.0f, 1700.0f, 2600.0f, 3200.0f},
    {290.0f, 1870.0f, 2800.0f, 3250.0f},
    {400.0f, 800.0f, 2800.0f, 3000.0f},
    {350.0f, 600.0f, 2700.0f, 2900.0f},
}};

// Envelope durations in 1/32 beat, selected by a 0..1 control in 50 steps:
// index 23 is one beat, index 49 is 48 beats.
constexpr int kNumEnvelopeTimes = 50;
constexpr std::array<float, kNumEnvelopeTimes> kEnvelopeTimes = {
    1,  2,  3,  4,  5,  6,  7,  8,  9,   10,  11,  12,  13,  14,  15,   16,   18,
    20, 22, 24, 26, 28, 30, 32, 34, 36,  38,  40,  42,  44,  46,  48,   52,   56,
    60, 64, 72, 80, 88, 96, 112, 128, 160, 192, 224, 256, 384, 512, 1024, 1536};
