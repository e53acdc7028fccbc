#include "value_text/float_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string FormatGeneral(double value, int digits, char separator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0.0) return "0";
  if (digits < 1) digits = 1;
  if (digits > 17) digits = 17;

  // Round to the requested significant digits once, then lay the digits out.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*e", digits - 1, value);
  std::string text(buffer);
  const std::size_t e = text.find('e');
  const int exponent = std::atoi(text.c_str() + e + 1);
  std::string mantissa = text.substr(0, e);
  const bool negative = mantissa[0] == '-';
  if (negative) mantissa.erase(0, 1);
  std::string significant;
  for (char c : mantissa) {
    if (c >= '0' && c <= '9') significant += c;
  }
  while (significant.size() > 1 && significant.back() == '0') significant.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent < -5 || exponent >= digits) {
    out += significant[0];
    if (significant.size() > 1) {
      out += separator;
      out += significant.substr(1);
    }
    out += 'E';
    out += exponent < 0 ? '-' : '+';
    out += std::to_string(std::abs(exponent));
    return out;
  }
  if (exponent < 0) {
    out += '0';
    out += separator;
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out += significant;
    return out;
  }
  const auto whole = static_cast<std::size_t>(exponent) + 1;
  if (significant.size() <= whole) {
    out += significant;
    out.append(whole - significant.size(), '0');
  } else {
    out += significant.substr(0, whole);
    out += separator;
    out += significant.substr(whole);
  }
  return out;
}
