// The editor's pictures: where each sits, how large it is, which parameter
// a control is bound to, its captions and the rule that turns its value
// into text.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "engine/parameter_table.h"
#include "value_text/value_rule.h"

enum class ControlKind { Dial, Slider, Lamp };

struct ControlSpec {
  Param param;
  std::string_view name;
  ControlKind kind;
  int x, y, width, height;
  std::string_view shortCaption;
  std::string_view longCaption;
  ValueRule rule;  // how the value reads as text
};

constexpr int kDialSize = 41;
constexpr int kSliderWidth = 100;
constexpr int kSliderHeight = 30;
constexpr int kLampSize = 16;

constexpr std::array<ControlSpec, 30> kControls{{
    {Param::kAttack, "Datt", ControlKind::Dial, 15, 115, 41, 41, "Attack", "Attack", ValueRule::EnvelopeTime},
    {Param::kDecay, "DDec", ControlKind::Dial, 65, 115, 41, 41, "Decay", "Decay", ValueRule::EnvelopeTime},
    {Param::kVowel, "DVowel", ControlKind::Slider, 120, 35, 100, 30, "Vowel", "Vowel (cc83)", ValueRule::VowelMix},
    {Param::kPitchInertia, "dxi", ControlKind::Slider, 120, 75, 100, 30, "Pitch Inertia", "Pitch Inertia", ValueRule::Percent},
    {Param::kVowelInertia, "Dyi", ControlKind::Slider, 15, 75, 100, 30, "Vowel Inertia", "Vowel Inertia", ValueRule::Percent},
    {Param::kRelease, "DRel", ControlKind::Dial, 120, 115, 41, 41, "Release", "Release", ValueRule::EnvelopeTime},
    {Param::kVolume, "Dvol", ControlKind::Slider, 15, 35, 100, 30, "Volume", "Volume (cc84)", ValueRule::Level},
    {Param::kVibAmount, "DViba", ControlKind::Dial, 245, 35, 41, 41, "Vib Am", "Vib Amount (cc86)", ValueRule::Percent},
    {Param::kVibSpeed, "DVibs", ControlKind::Dial, 300, 35, 41, 41, "Vib Sp", "Vib Speed (cc87)", ValueRule::Rate2048},
    {Param::kTremAmount, "Dtrema", ControlKind::Dial, 355, 35, 41, 41, "Trm Am", "Trem Amount (cc88)", ValueRule::Percent},
    {Param::kTremSpeed, "Dtrems", ControlKind::Dial, 410, 35, 41, 41, "Trm Sp", "Trem Speed (cc89)", ValueRule::Rate2048},
    {Param::kVowelPitch, "DVpitch", ControlKind::Dial, 15, 195, 41, 41, "Pitch", "Vowel Pitch (cc85)", ValueRule::Semitones},
    {Param::kStereo, "DStereo", ControlKind::Dial, 175, 115, 41, 41, "Stereo", "Stereo Amount ", ValueRule::Percent},
    {Param::kBandWidth, "DBand", ControlKind::Dial, 70, 195, 41, 41, "Band", "Band Width ", ValueRule::Percent},
    {Param::kWahAmount, "DWaha", ControlKind::Dial, 125, 195, 41, 41, "Wah Am", "Wah Amount ", ValueRule::Percent},
    {Param::kWahSpeed, "DWahs", ControlKind::Dial, 180, 195, 41, 41, "Wah Sp", "Wah Speed ", ValueRule::Rate2048},
    {Param::kDelaySwitch, "DelayOn", ControlKind::Lamp, 430, 175, 16, 16, "", "", ValueRule::Switch},
    {Param::kDelayLength, "Dlen", ControlKind::Dial, 240, 195, 41, 41, "Len", "Delay Length (cc90)", ValueRule::QbSteps},
    {Param::kDelayFeed, "DFeed", ControlKind::Dial, 295, 195, 41, 41, "Feed", "Delay Feedback", ValueRule::Percent},
    {Param::kDelayFilter, "Dfilter", ControlKind::Dial, 405, 195, 41, 41, "Filter", "Delay Low Filter", ValueRule::Frequency},
    {Param::kDelayMix, "Ddry", ControlKind::Dial, 350, 195, 41, 41, "Mix", "Delay Mix", ValueRule::WetDry},
    {Param::kChorusLength, "CLen", ControlKind::Dial, 240, 275, 41, 41, "Len", "Chorus Length ", ValueRule::ChorusMs},
    {Param::kChorusWidth, "CWidth", ControlKind::Dial, 295, 275, 41, 41, "Width", "Chorus Width ", ValueRule::Percent},
    {Param::kChorusSpeed, "CSpeed", ControlKind::Dial, 350, 275, 41, 41, "Speed", "Chorus Speed ", ValueRule::Rate4096},
    {Param::kChorusFeed, "CFeed", ControlKind::Dial, 405, 275, 41, 41, "Feed", "Chorus Feedback ", ValueRule::Percent},
    {Param::kChorusSwitch, "ChorusOn", ControlKind::Lamp, 430, 255, 16, 16, "", "", ValueRule::Switch},
    {Param::kFilterFreq, "DFilt", ControlKind::Dial, 245, 115, 41, 41, "Freq", "Filter Freq (cc91)", ValueRule::Frequency},
    {Param::kFilterQ, "Dq", ControlKind::Dial, 300, 115, 41, 41, "Q", "Filter Q (cc92)", ValueRule::Percent},
    {Param::kFilterEnvelope, "DFe", ControlKind::Dial, 355, 115, 41, 41, "Env", "Filter Env Amt", ValueRule::Percent},
    {Param::kFilterRelease, "DFr", ControlKind::Dial, 410, 115, 41, 41, "Rel", "Filter Release", ValueRule::EnvelopeTime},
}};

// The pictures that are not bound to a parameter.
enum class StripId { Imain, IType, VibLabel, FilterLabel, VowelLabel, DelayLabel, Ichorus, PrintOut, Image1 };

struct StripSpec {
  StripId id;
  std::string_view name;
  int x, y, width, height;
  std::string_view text;  // header text; empty for the others
};

constexpr std::array<StripSpec, 9> kStrips{{
    {StripId::Imain, "Imain", 15, 15, 101, 16, "Main "},
    {StripId::IType, "IType", 120, 15, 100, 16, ""},
    {StripId::VibLabel, "VibLabel", 245, 15, 206, 16, "Modulation"},
    {StripId::FilterLabel, "FilterLabel", 245, 95, 206, 16, "Lowpass Filter "},
    {StripId::VowelLabel, "VowelLabel", 15, 175, 206, 16, "Vowel / Wah"},
    {StripId::DelayLabel, "DelayLabel", 240, 175, 176, 16, "Delay Effects"},
    {StripId::Ichorus, "Ichorus", 240, 255, 181, 16, "Chorus Effects"},
    {StripId::PrintOut, "PrintOut", 15, 255, 206, 16, ""},
    {StripId::Image1, "Image1", 15, 275, 206, 41, ""},
}};

// Header strips in the order the creation step paints them.
constexpr std::array<StripId, 6> kHeaderPaintOrder{StripId::Imain,    StripId::Ichorus,    StripId::FilterLabel,
                                                   StripId::DelayLabel, StripId::VowelLabel, StripId::VibLabel};

constexpr std::array<std::string_view, 3> TypeNames{"Type: Saw", "Type: Sqr", "Type: Noise"};

// The strips whose press switches an effect, and the switch each sets.
struct SwitchStrip {
  StripId strip;
  Param parameter;
};
constexpr std::array<SwitchStrip, 2> kSwitchStrips{{{StripId::DelayLabel, Param::kDelaySwitch},
                                                    {StripId::Ichorus, Param::kChorusSwitch}}};

constexpr int kClientWidth = 463;
constexpr int kClientHeight = 325;

// The control bound to a parameter index, if any.
const ControlSpec* ControlForIndex(int index);

// How a parameter's value reads as text: by its control's rule, as the
// excitation type for the parameter the type strip selects, by no rule for
// the others.
ValueRule ValueRuleForIndex(int index);

// Picture names are matched without regard to case.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);
// The control of that name, compared without regard to case.
const ControlSpec* ControlNamed(std::string_view name);
const StripSpec& Strip(StripId id);
