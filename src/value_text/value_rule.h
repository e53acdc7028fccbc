// The rules by which a parameter's value (0..1) reads as text.
#pragma once

enum class ValueRule {
  None,
  EnvelopeTime,
  VowelMix,
  Percent,
  Level,
  Rate2048,
  Rate4096,
  Semitones,
  QbSteps,
  Frequency,
  WetDry,
  ChorusMs,
  ExcitationType,  // "Saw", "Sqr" or "Noise"
  Switch,          // "On" or "Off"
};
