// State: an instance restored from another's saved state reads and sounds
// as that one; a damaged state is refused with a message and changes nothing.
#include <gtest/gtest.h>

#include <lv2/atom/atom.h>

#include <cmath>
#include <functional>

#include "lilv_host.h"
#include "lv2/plugin_uris.h"
#include "phrase.h"
#include "state_properties.h"
#include "support/loaded_plugin.h"
#include "support/signal_measures.h"

namespace {

using lv2test::Instance;
using lv2test::StateProperties;
using lv2test::StateValue;

class Lv2State : public ::testing::Test {
 protected:
  void SetUp() override { setenv("VYRTAL_NOISE_SEED", "4242", 1); }
  void TearDown() override { unsetenv("VYRTAL_NOISE_SEED"); }

  StateProperties Saved(Instance& instance) {
    StateProperties state;
    EXPECT_EQ(instance.Save(StateProperties::Store, &state), LV2_STATE_SUCCESS);
    return state;
  }
  std::uint32_t Key(const char* uri) { return world.Urids().Map(uri); }
  std::uint32_t Type(const char* uri) { return world.Urids().Map(uri); }

  ScopedExportFile exportFile;
  lv2test::World world;
};

TEST_F(Lv2State, ARestoredInstanceReadsAndSoundsAsTheSavedOne) {
  const lv2test::Phrase phrase;
  Instance saved(world, phrase.input);
  ASSERT_TRUE(saved.Made());
  // Renames and a program change reach an instance through its state.
  StateProperties edited = Saved(saved);
  auto& program = edited.values[Key(vyrtal::lv2::kStateProgramUri)].bytes;
  const std::int32_t dubby = 5;
  std::memcpy(program.data(), &dubby, sizeof dubby);
  auto& names = edited.values[Key(vyrtal::lv2::kStateNamesUri)].bytes;
  std::vector<std::string> texts = lv2test::TupleStrings(names);
  texts[5] = "Dub Session";
  texts[2] = "Kept Bass";
  names = lv2test::StringTuple(texts, Type(LV2_ATOM__String));
  ASSERT_EQ(saved.Restore(StateProperties::Retrieve, &edited), LV2_STATE_SUCCESS);
  // Edits through the control ports, applied in the next block.
  saved.Control("vowel") = 0.33f;
  saved.Control("chorus") = 1.0f;
  saved.Control("chorus_speed") = 0.7f;
  saved.Run(Instance::kMaxBlock, {});

  // Saved and restored the way a host keeps it: as Turtle text.
  LilvState* state = saved.LilvSave();
  ASSERT_NE(state, nullptr);
  char* text = lilv_state_to_string(world.Lilv(), world.Urids().MapFeature(), world.Urids().UnmapFeature(), state,
                                    "urn:vyrtal-test:saved", nullptr);
  lilv_state_free(state);
  LilvState* read = lilv_state_new_from_string(world.Lilv(), world.Urids().MapFeature(), text);
  lilv_free(text);
  ASSERT_NE(read, nullptr);
  Instance restored(world, phrase.input);
  restored.LilvRestore(read);
  lilv_state_free(read);
  EXPECT_TRUE(restored.LogMessages().empty());
  restored.Run(Instance::kMaxBlock, {});

  const StateProperties before = Saved(saved), after = Saved(restored);
  for (const auto& [key, value] : before.values) {
    EXPECT_TRUE(after.values.count(key) && after.values.at(key) == value) << world.Urids().Unmap(key);
  }
  EXPECT_EQ(after.values.size(), before.values.size());
  EXPECT_EQ(lv2test::TupleStrings(after.values.at(Key(vyrtal::lv2::kStateNamesUri)).bytes)[5], "Dub Session");
  std::int32_t current = -1;
  std::memcpy(&current, after.values.at(Key(vyrtal::lv2::kStateProgramUri)).bytes.data(), sizeof current);
  EXPECT_EQ(current, 5);
  for (const char* symbol : {"vowel", "chorus", "chorus_speed", "type"}) {
    EXPECT_EQ(restored.Control(symbol), saved.Control(symbol)) << symbol;
  }

  phrase.PlayOn(saved);
  phrase.PlayOn(restored);
  EXPECT_GT(Rms(restored.left), 0.01);
  EXPECT_EQ(restored.left, saved.left);
  EXPECT_EQ(restored.right, saved.right);
}

TEST_F(Lv2State, ADamagedStateIsRefusedWithAMessageAndChangesNothing) {
  const std::uint32_t programKey = Key(vyrtal::lv2::kStateProgramUri), valuesKey = Key(vyrtal::lv2::kStateValuesUri),
                      namesKey = Key(vyrtal::lv2::kStateNamesUri), controlsKey = Key(vyrtal::lv2::kStateControlsUri);
  Instance reference(world);
  const StateProperties good = Saved(reference);
  auto setNumber = [](StateValue& value, std::size_t i, const std::string& number) {
    auto numbers = lv2test::Numbers(value.bytes);
    numbers.at(i) = number;
    value.bytes = lv2test::NumberText(numbers);
  };
  const std::vector<std::pair<const char*, std::function<void(StateProperties&)>>> damages{
      {"nothing at all", [](StateProperties& s) { s.values.clear(); }},
      {"no program", [&](StateProperties& s) { s.values.erase(programKey); }},
      {"no names", [&](StateProperties& s) { s.values.erase(namesKey); }},
      {"program of the wrong type", [&](StateProperties& s) { s.values[programKey].type = Type(LV2_ATOM__Float); }},
      {"program 16", [&](StateProperties& s) { s.values[programKey].bytes = {16, 0, 0, 0}; }},
      {"program -1", [&](StateProperties& s) { s.values[programKey].bytes = {255, 255, 255, 255}; }},
      {"values cut short", [&](StateProperties& s) { s.values[valuesKey].bytes.resize(400); }},
      {"a value too few",
       [&](StateProperties& s) {
         auto numbers = lv2test::Numbers(s.values[valuesKey].bytes);
         numbers.pop_back();
         s.values[valuesKey].bytes = lv2test::NumberText(numbers);
       }},
      {"values of the wrong type", [&](StateProperties& s) { s.values[valuesKey].type = Type(LV2_ATOM__Chunk); }},
      {"a value not a number", [&](StateProperties& s) { setNumber(s.values[valuesKey], 17, "nan"); }},
      {"a value that is no number", [&](StateProperties& s) { setNumber(s.values[valuesKey], 17, "0.5x"); }},
      {"a value above 1", [&](StateProperties& s) { setNumber(s.values[valuesKey], 799, "1.5"); }},
      {"fifteen names",
       [&](StateProperties& s) {
         auto texts = lv2test::TupleStrings(s.values[namesKey].bytes);
         texts.pop_back();
         s.values[namesKey].bytes = lv2test::StringTuple(texts, Type(LV2_ATOM__String));
       }},
      {"names cut inside a name", [&](StateProperties& s) { s.values[namesKey].bytes.resize(75); }},
      {"a name of 61 characters",
       [&](StateProperties& s) {
         auto texts = lv2test::TupleStrings(s.values[namesKey].bytes);
         texts[3] = std::string(61, 'x');
         s.values[namesKey].bytes = lv2test::StringTuple(texts, Type(LV2_ATOM__String));
       }},
      {"a name without its end", [&](StateProperties& s) { s.values[namesKey].bytes[8 + 7] = 'x'; }},
      {"controls cut short", [&](StateProperties& s) { s.values[controlsKey].bytes.resize(20); }},
      {"a control not finite", [&](StateProperties& s) { setNumber(s.values[controlsKey], 3, "inf"); }},
  };
  for (const auto& [what, damage] : damages) {
    SCOPED_TRACE(what);
    Instance instance(world);
    StateProperties damaged = good;
    // A bank unlike the factory's, so that a partial restore would show.
    std::memcpy(damaged.values[programKey].bytes.data(), "\x07\0\0\0", 4);
    setNumber(damaged.values[valuesKey], 0, "0.25");
    damage(damaged);
    EXPECT_NE(instance.Restore(StateProperties::Retrieve, &damaged), LV2_STATE_SUCCESS);
    ASSERT_EQ(instance.LogMessages().size(), 1u);
    EXPECT_NE(instance.LogMessages()[0].find("Vyrtal: the saved state was refused"), std::string::npos)
        << instance.LogMessages()[0];
    EXPECT_EQ(Saved(instance), good);
  }
}

}  // namespace
