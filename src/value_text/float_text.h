// Numbers as text, the way the bank export and the editor write them.
#pragma once

#include <string>

// General format with up to `digits` significant digits (1..17): plain
// decimal without trailing zeros from 0.00001 up to 10^digits, otherwise
// mantissa, "E", sign and exponent without leading zeros ("1E-6"). Zero is
// "0"; the decimal separator is the one given.
std::string FormatGeneral(double value, int digits, char separator);
