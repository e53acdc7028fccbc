#include "value_text/value_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Row {
  float v;
  const char* envelope;
  const char* vowel;
  const char* percent;
  const char* level;
  const char* rate2048;
  const char* rate4096;
  const char* frequency;
  const char* wetDry;
  const char* semitones;
  const char* qb;
  const char* chorus;
};

const std::vector<Row> kRows = {
    {0.0f, "Off", "A100% E0% ", "0%", "-40dB", "Off", "Off", "20Hz", "W/D : 0%/100", "-24 semi", "0qb", "0 ms"},
    {0.25f, "3/4 qb", "E76% I24% ", "25%", "-30dB", "0.15Hz", "0.07Hz", "113Hz", "W/D : 50%/100", "-12 semi",
     "1.75qb", "7.5 ms"},
    {0.5f, "4 qb", "I51% O49% ", "50%", "-20dB", "0.85Hz", "0.42Hz", "640Hz", "W/D : 100%/100", "0 semi", "3.75qb",
     "15 ms"},
    {0.75f, "32 qb", "O26% U74% ", "75%", "-10dB", "4.86Hz", "2.43Hz", "3.6KHz", "W/D : 100%/50", "12 semi",
     "5.75qb", "22.5 ms"},
    {1.0f, "Always On", "U1% A99% ", "100%", "0dB", "27.5Hz", "13.7Hz", "20.5KHz", "W/D : 100%/0", "24 semi", "7.75qb",
     "30 ms"},
};

class ValueTextRow : public ::testing::TestWithParam<Row> {};

TEST_P(ValueTextRow, EveryRuleGivesItsText) {
  const Row& r = GetParam();
  EXPECT_EQ(ValueText(ValueRule::EnvelopeTime, r.v, '.'), r.envelope);
  EXPECT_EQ(ValueText(ValueRule::VowelMix, r.v, '.'), r.vowel);
  EXPECT_EQ(ValueText(ValueRule::Percent, r.v, '.'), r.percent);
  EXPECT_EQ(ValueText(ValueRule::Level, r.v, '.'), r.level);
  EXPECT_EQ(ValueText(ValueRule::Rate2048, r.v, '.'), r.rate2048);
  EXPECT_EQ(ValueText(ValueRule::Rate4096, r.v, '.'), r.rate4096);
  EXPECT_EQ(ValueText(ValueRule::Frequency, r.v, '.'), r.frequency);
  EXPECT_EQ(ValueText(ValueRule::WetDry, r.v, '.'), r.wetDry);
  EXPECT_EQ(ValueText(ValueRule::Semitones, r.v, '.'), r.semitones);
  EXPECT_EQ(ValueText(ValueRule::QbSteps, r.v, '.'), r.qb);
  EXPECT_EQ(ValueText(ValueRule::ChorusMs, r.v, '.'), r.chorus);
}

INSTANTIATE_TEST_SUITE_P(SampleValues, ValueTextRow, ::testing::ValuesIn(kRows));

TEST(ValueText, OneThirdIsRoundedToOneDecimal) { EXPECT_EQ(PerStr(1.0f / 3.0f, '.'), "33.3%"); }

TEST(ValueText, LevelFloorsTowardsMinusInfinity) { EXPECT_EQ(dBStr(0.9f, 40.0f, 40.0f, '.'), "-4.1dB"); }

TEST(ValueText, LevelIsRoundedToASingleBeforeItIsFloored) {
  // 0.0025 as a single gives -39.9000000022 dB; as a single that level is
  // -39.9000015, a hair below the tenth.
  EXPECT_EQ(dBStr(0.0025f, 40.0f, 40.0f, '.'), "-40dB");
  EXPECT_EQ(ValueText(ValueRule::Level, 0.0025f, '.'), "-40dB");
  EXPECT_EQ(FloatStr(-39.9f, 10.0f, '.'), "-40");
}

TEST(ValueText, SmallestRateAboveZero) {
  const float tiny = 1e-30f;
  EXPECT_EQ(FreqStr(tiny, 1, 10.0f, 2048.0f, '.'), "0.02Hz");
  EXPECT_EQ(FreqStr(tiny, 1, 10.0f, 4096.0f, '.'), "0.01Hz");
  EXPECT_EQ(FreqStr(0.0f, 0, 10.0f, 2048.0f, '.'), "0.02Hz");
}

TEST(ValueText, RatesInHundredsAndThousands) {
  // Large divisors are not used by the editor, but the ranges must hold.
  EXPECT_EQ(FreqStr(1.0f, 1, 10.0f, 55.0f, '.'), "1KHz");
  EXPECT_EQ(FreqStr(1.0f, 1, 10.0f, 110.0f, '.'), "512Hz");
}

TEST(ValueText, VowelMixWrapsFromUToA) { EXPECT_EQ(vstr(1.0f), "U1% A99% "); }

TEST(ValueText, LocaleSeparatorIsUsed) {
  EXPECT_EQ(PerStr(1.0f / 3.0f, ','), "33,3%");
  EXPECT_EQ(ValueText(ValueRule::Frequency, 0.75f, ','), "3,6KHz");
  EXPECT_EQ(ValueText(ValueRule::QbSteps, 1.0f, ','), "7,75qb");
  EXPECT_EQ(FloatStr(-4.1f, 10.0f, ','), "-4,1");
}

TEST(ValueText, ChoicesReadAsWords) {
  EXPECT_EQ(ValueText(ValueRule::ExcitationType, 0.0f, '.'), "Saw");
  EXPECT_EQ(ValueText(ValueRule::ExcitationType, 0.34f, '.'), "Sqr");
  EXPECT_EQ(ValueText(ValueRule::ExcitationType, 0.67f, '.'), "Noise");
  EXPECT_EQ(ValueText(ValueRule::ExcitationType, 1.0f, '.'), "Noise");
  EXPECT_EQ(ValueText(ValueRule::Switch, 0.5f, '.'), "Off");
  EXPECT_EQ(ValueText(ValueRule::Switch, 0.51f, '.'), "On");
  EXPECT_EQ(ValueText(ValueRule::None, 0.5f, '.'), "");
}

TEST(ValueText, TablesHaveTheirEnds) {
  EXPECT_EQ(EnvelopeTimeNames.front(), "Off");
  EXPECT_EQ(EnvelopeTimeNames[14], "1 qb");
  EXPECT_EQ(EnvelopeTimeNames.back(), "Always On");
  EXPECT_EQ(VowelLetters[0], "A");
  EXPECT_EQ(VowelLetters[4], "U");
}

TEST(ValueText, EveryRuleIsDefinedAcrossTheRange) {
  for (int i = 0; i <= 1000; ++i) {
    const float v = static_cast<float>(i) / 1000.0f;
    for (ValueRule rule : {ValueRule::EnvelopeTime, ValueRule::VowelMix, ValueRule::Percent, ValueRule::Level,
                           ValueRule::Rate2048, ValueRule::Rate4096, ValueRule::Semitones, ValueRule::QbSteps,
                           ValueRule::Frequency, ValueRule::WetDry, ValueRule::ChorusMs}) {
      const std::string text = ValueText(rule, v, '.');
      EXPECT_FALSE(text.empty());
      EXPECT_EQ(text.find("E-"), std::string::npos) << text;
      EXPECT_EQ(text.find("000000"), std::string::npos) << text;
    }
  }
}

}  // namespace
