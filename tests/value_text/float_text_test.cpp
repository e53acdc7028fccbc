#include <gtest/gtest.h>

#include "value_text/float_text.h"

namespace {

struct Case {
  double value;
  int digits;
  char separator;
  const char* text;
};

// Singles widened to double print their exact value to 15 digits.
const Case kCases[] = {
    {0.0, 15, '.', "0"},
    {1.0, 15, '.', "1"},
    {static_cast<double>(0.2f), 15, '.', "0.200000002980232"},
    {static_cast<double>(0.39f), 15, '.', "0.389999985694885"},
    {static_cast<double>(0.95f), 15, '.', "0.949999988079071"},
    {static_cast<double>(0.5f), 15, '.', "0.5"},
    {static_cast<double>(0.75376886f), 15, '.', "0.753768861293793"},
    {static_cast<double>(0.2f), 15, ',', "0,200000002980232"},
    {0.00001, 15, '.', "0.00001"},
    {0.000001, 15, '.', "1E-6"},
    {static_cast<double>(1e-7f), 15, '.', "1.0000000116861E-7"},
    {-0.25, 15, '.', "-0.25"},
    {7.75, 15, '.', "7.75"},
    {20.5, 15, '.', "20.5"},
    {30.0, 15, '.', "30"},
    {1234.0, 15, '.', "1234"},
    {1.5e20, 15, '.', "1.5E+20"},
    {0.85, 15, ',', "0,85"},
};

TEST(FormatGeneral, WritesTheShortestGeneralForm) {
  for (const Case& c : kCases) {
    EXPECT_EQ(FormatGeneral(c.value, c.digits, c.separator), c.text) << c.value;
  }
}

}  // namespace
