// The bundle as a host reads it: the plug-in's class, ports, names, ranges
// and factory presets, against the instrument's own tables.
#include <gtest/gtest.h>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/presets/presets.h>
#include <lv2/time/time.h>

#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "instrument/factory_programs.h"
#include "lilv_host.h"
#include "lv2/control_ports.h"
#include "lv2/port_names.h"

namespace {

using namespace vyrtal::lv2;

class Lv2Bundle : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(plugin, nullptr) << "the plug-in is not found through LV2_PATH"; }

  const LilvPort* Port(std::uint32_t index) const { return lilv_plugin_get_port_by_index(plugin, index); }
  bool PortIs(std::uint32_t index, const char* type) { return lilv_port_is_a(plugin, Port(index), world.Uri(type)); }
  bool PortHas(std::uint32_t index, const char* property) {
    return lilv_port_has_property(plugin, Port(index), world.Uri(property));
  }

  lv2test::World world;
  const LilvPlugin* plugin = world.Plugin();
};

TEST_F(Lv2Bundle, IsAnInstrumentWithEventAudioAndControlPorts) {
  EXPECT_TRUE(lilv_plugin_verify(plugin));
  EXPECT_STREQ(lilv_node_as_uri(lilv_plugin_class_get_uri(lilv_plugin_get_class(plugin))), LV2_CORE__InstrumentPlugin);
  ASSERT_EQ(lilv_plugin_get_num_ports(plugin), kNumPorts);

  EXPECT_TRUE(PortIs(0, LV2_ATOM__AtomPort) && PortIs(0, LV2_CORE__InputPort));
  EXPECT_TRUE(lilv_port_supports_event(plugin, Port(0), world.Uri(LV2_MIDI__MidiEvent)));
  EXPECT_TRUE(lilv_port_supports_event(plugin, Port(0), world.Uri(LV2_TIME__Position)));
  for (std::uint32_t i : {1u, 2u}) {
    EXPECT_TRUE(PortIs(i, LV2_CORE__AudioPort) && PortIs(i, LV2_CORE__InputPort)) << i;
    EXPECT_TRUE(PortHas(i, LV2_CORE__connectionOptional)) << i;
  }
  for (std::uint32_t i : {3u, 4u}) EXPECT_TRUE(PortIs(i, LV2_CORE__AudioPort) && PortIs(i, LV2_CORE__OutputPort)) << i;
}

TEST_F(Lv2Bundle, ControlsCarryTheInstrumentsNamesRangesAndDefaults) {
  const FactoryProgram& defaults = kFactoryPrograms[0];
  std::map<std::string, std::string> names;
  for (std::size_t i = 0; i < kControlPorts.size(); ++i) {
    const ControlPort& control = kControlPorts[i];
    const auto index = static_cast<std::uint32_t>(kFirstControlPort + i);
    SCOPED_TRACE(control.symbol);
    ASSERT_TRUE(PortIs(index, LV2_CORE__ControlPort) && PortIs(index, LV2_CORE__InputPort));
    EXPECT_EQ(lilv_node_as_string(lilv_port_get_symbol(plugin, Port(index))), control.symbol);
    LilvNode* name = lilv_port_get_name(plugin, Port(index));
    names[std::string(control.symbol)] = lilv_node_as_string(name);
    EXPECT_EQ(names[std::string(control.symbol)], ControlName(control.parameter));
    lilv_node_free(name);

    LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
    lilv_port_get_range(plugin, Port(index), &def, &min, &max);
    EXPECT_EQ(lilv_node_as_float(min), 0.0f);
    EXPECT_EQ(lilv_node_as_float(max), 1.0f);
    EXPECT_EQ(lilv_node_as_float(def),
              PortValue(control.range, defaults.values[static_cast<std::size_t>(control.parameter)]));
    lilv_node_free(def);
    lilv_node_free(min);
    lilv_node_free(max);
    EXPECT_EQ(PortHas(index, LV2_CORE__toggled), control.range == ControlRange::kToggle);
    EXPECT_EQ(PortHas(index, LV2_CORE__enumeration), control.range == ControlRange::kEnumeration);
  }
  // Parameter names where the instrument has them, the editor's captions elsewhere.
  EXPECT_EQ(names["attack"], "Attack");
  EXPECT_EQ(names["filter_envelope"], "Filter Envelope");
  EXPECT_EQ(names["type"], "Type");
  EXPECT_EQ(names["stereo"], "Stereo Amount");
  EXPECT_EQ(names["delay"], "Delay Effects");
  EXPECT_EQ(names["chorus"], "Chorus Effects");
}

TEST_F(Lv2Bundle, ExcitationChoicesDecodeToEachTypeAndCoverTheFactoryPrograms) {
  const auto index = static_cast<std::uint32_t>(kFirstControlPort + 12);
  ASSERT_EQ(kControlPorts[12].parameter, ParamIndex(Param::kOscType));
  LilvScalePoints* points = lilv_port_get_scale_points(plugin, Port(index));
  ASSERT_EQ(lilv_scale_points_size(points), 3u);
  std::map<std::string, float> choices;
  LILV_FOREACH(scale_points, i, points) {
    const LilvScalePoint* point = lilv_scale_points_get(points, i);
    choices[lilv_node_as_string(lilv_scale_point_get_label(point))] = lilv_node_as_float(lilv_scale_point_get_value(point));
  }
  lilv_scale_points_free(points);
  // The type is the whole part of value x 2.99.
  const std::map<std::string, int> types{{"Saw", 0}, {"Sqr", 1}, {"Noise", 2}};
  std::set<float> values;
  for (const auto& [label, type] : types) {
    ASSERT_TRUE(choices.count(label)) << label;
    EXPECT_EQ(static_cast<int>(std::floor(static_cast<double>(choices[label]) * 2.99 + 1e-7)), type) << label;
    values.insert(choices[label]);
  }
  for (const FactoryProgram& program : kFactoryPrograms) EXPECT_TRUE(values.count(program.values[14])) << program.name;
}

TEST_F(Lv2Bundle, SixteenPresetsAreTheFactoryPrograms) {
  LilvNodes* presets = lilv_plugin_get_related(plugin, world.Uri(LV2_PRESETS__Preset));
  ASSERT_EQ(lilv_nodes_size(presets), kFactoryPrograms.size());
  std::map<std::string, std::map<std::string, float>> found;
  LILV_FOREACH(nodes, i, presets) {
    const LilvNode* preset = lilv_nodes_get(presets, i);
    lilv_world_load_resource(world.Lilv(), preset);
    LilvState* state = lilv_state_new_from_world(world.Lilv(), world.Urids().MapFeature(), preset);
    ASSERT_NE(state, nullptr);
    auto& values = found[lilv_state_get_label(state)];
    lilv_state_emit_port_values(
        state,
        [](const char* symbol, void* out, const void* value, std::uint32_t size, std::uint32_t) {
          if (size == sizeof(float)) std::memcpy(&(*static_cast<std::map<std::string, float>*>(out))[symbol], value, size);
        },
        &values);
    lilv_state_free(state);
  }
  lilv_nodes_free(presets);
  for (const FactoryProgram& program : kFactoryPrograms) {
    SCOPED_TRACE(program.name);
    ASSERT_TRUE(found.count(program.name));
    const auto& values = found[program.name];
    ASSERT_EQ(values.size(), kControlPorts.size());
    for (const ControlPort& control : kControlPorts) {
      EXPECT_EQ(values.at(std::string(control.symbol)),
                PortValue(control.range, program.values[static_cast<std::size_t>(control.parameter)]))
          << control.symbol;
    }
  }
}

}  // namespace
