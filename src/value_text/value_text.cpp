#include "value_text/value_text.h"

#include <cmath>

#include "engine/numeric.h"
#include "engine/parameter_choices.h"
#include "value_text/float_text.h"

namespace {

// Nearest integer, ties to even.
double RoundEven(double x) { return std::nearbyint(x); }

std::string IntText(std::int32_t n) { return std::to_string(n); }

}  // namespace

std::string NumberText(double x, char separator) { return FormatGeneral(x, 15, separator); }

std::string FloatStr(float x, float scale, char separator) {
  return NumberText(FloorInt(static_cast<double>(x) * scale) / static_cast<double>(scale), separator);
}

std::string dBStr(float v, float multiplier, float offset, char separator) {
  // The level is handed on as a single, so it is rounded to one before it
  // is floored to a tenth.
  return FloatStr(static_cast<float>(static_cast<double>(v) * multiplier - offset), 10.0f, separator) + "dB";
}

std::string PerStr(float v, char separator) {
  return NumberText(RoundEven(static_cast<double>(v) * 1000.0) / 10.0, separator) + "%";
}

std::string FreqStr(float v, int offMode, float exponentScale, float divisor, char separator) {
  const float f = static_cast<float>(Pow2(static_cast<double>(v) * exponentScale) * (55.0 / divisor));
  if (v == 0.0f && offMode == 1) return "Off";
  const double fd = f;
  if (fd < 10.0) return NumberText(FloorInt(fd * 100.0) / 100.0, separator) + "Hz";
  if (fd < 100.0) return NumberText(FloorInt(fd * 10.0) / 10.0, separator) + "Hz";
  if (fd < 1000.0) return IntText(FloorInt(fd)) + "Hz";
  return NumberText(FloorInt(fd / 100.0) / 10.0, separator) + "KHz";
}

std::string FilterStr(float v, char separator) {
  const float f = static_cast<float>(static_cast<double>(Pow2(static_cast<double>(v) * 10.0)) * 20.0);
  const double fd = f;
  if (fd < 1000.0) return NumberText(RoundEven(fd), separator) + "Hz";
  return NumberText(RoundEven(fd / 100.0) / 10.0, separator) + "KHz";
}

std::string WetDryStr(float v) {
  std::string wet;
  std::string dry;
  if (v < 0.5f) {
    wet = IntText(FloorInt(200.0 * v)) + "%";
    dry = "100";
  } else {
    wet = "100%";
    dry = IntText(FloorInt(200.0 - 200.0 * v));
  }
  return "W/D : " + wet + "/" + dry;
}

std::string vstr(float v) {
  const double a = static_cast<double>(v) * 4.99;
  const std::int32_t b = FloorInt(a);
  std::int32_t c = FloorInt(a + 1.0);
  if (c > 4) c = 0;
  const std::int32_t p = FloorInt((a - b) * 100.0);
  auto letter = [](std::int32_t i) { return std::string(VowelLetters[static_cast<std::size_t>(i < 0 ? 0 : (i > 4 ? 4 : i))]); };
  return letter(b) + IntText(100 - p) + "% " + letter(c) + IntText(p) + "% ";
}

std::string ValueText(ValueRule rule, float v, char separator) {
  switch (rule) {
    case ValueRule::EnvelopeTime: {
      std::int32_t i = FloorInt(static_cast<double>(v) * 49.99);
      if (i < 0) i = 0;
      if (i > 49) i = 49;
      return std::string(EnvelopeTimeNames[static_cast<std::size_t>(i)]);
    }
    case ValueRule::VowelMix:
      return vstr(v);
    case ValueRule::Percent:
      return PerStr(v, separator);
    case ValueRule::Level:
      return dBStr(v, 40.0f, 40.0f, separator);
    case ValueRule::Rate2048:
      return FreqStr(v, 1, 10.0f, 2048.0f, separator);
    case ValueRule::Rate4096:
      return FreqStr(v, 1, 10.0f, 4096.0f, separator);
    case ValueRule::Semitones:
      return IntText(FloorInt(static_cast<double>(v) * 48.0 - 24.0)) + " semi";
    case ValueRule::QbSteps:
      return NumberText(FloorInt(static_cast<double>(v) * 31.99) / 4.0, separator) + "qb";
    case ValueRule::Frequency:
      return FilterStr(v, separator);
    case ValueRule::WetDry:
      return WetDryStr(v);
    case ValueRule::ChorusMs:
      return NumberText(FloorInt(static_cast<double>(v) * 300.0) / 10.0, separator) + " ms";
    case ValueRule::ExcitationType:
      return std::string(kExcitationNames[static_cast<std::size_t>(ExcitationType(v))]);
    case ValueRule::Switch:
      return SwitchIsOn(v) ? "On" : "Off";
    case ValueRule::None:
      break;
  }
  return {};
}
