#include "lilv_host.h"

#include <lv2/atom/forge.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "lv2/control_ports.h"
#include "lv2/plugin_uris.h"

namespace lv2test {

UridTable::UridTable() {
  map.handle = this;
  map.map = [](LV2_URID_Map_Handle self, const char* uri) { return static_cast<UridTable*>(self)->Map(uri); };
  unmap.handle = this;
  unmap.unmap = [](LV2_URID_Unmap_Handle self, LV2_URID urid) { return static_cast<UridTable*>(self)->Unmap(urid); };
}

LV2_URID UridTable::Map(const std::string& uri) {
  auto [it, added] = ids.emplace(uri, static_cast<LV2_URID>(uris.size() + 1));
  if (added) uris.push_back(std::make_unique<std::string>(uri));
  return it->second;
}

const char* UridTable::Unmap(LV2_URID urid) const {
  return urid >= 1 && urid <= uris.size() ? uris[urid - 1]->c_str() : nullptr;
}

World::World() : world(lilv_world_new()) {
  lilv_world_load_all(world);
  LilvNode* uri = Uri(vyrtal::lv2::kPluginUri);
  plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
}

World::~World() {
  for (LilvNode* node : nodes) lilv_node_free(node);
  lilv_world_free(world);
}

LilvNode* World::Uri(const char* uri) {
  nodes.push_back(lilv_new_uri(world, uri));
  return nodes.back();
}

Instance::Instance(World& world, std::span<const float> input) : world(world), input(input) {
  UridTable& urids = world.Urids();
  log.handle = this;
  log.printf = LogPrintf;
  log.vprintf = LogVprintf;
  options[0] = {LV2_OPTIONS_INSTANCE, 0, urids.Map(LV2_BUF_SIZE__maxBlockLength), sizeof blockLength,
                urids.Map(LV2_ATOM__Int), &blockLength};
  mapFeature = {LV2_URID__map, urids.MapFeature()};
  unmapFeature = {LV2_URID__unmap, urids.UnmapFeature()};
  logFeature = {LV2_LOG__log, &log};
  optionsFeature = {LV2_OPTIONS__options, options.data()};
  features = {&mapFeature, &unmapFeature, &logFeature, &optionsFeature, nullptr};
  if (world.Plugin() == nullptr) return;
  instance = lilv_plugin_instantiate(world.Plugin(), kSampleRate, features.data());
  if (instance == nullptr) return;

  sequence.assign(8192, 0);
  for (auto& out : outputs) out.assign(kMaxBlock, 0.0f);
  inputBlock.assign(kMaxBlock, 0.0f);
  const LilvPlugin* plugin = world.Plugin();
  const std::uint32_t ports = lilv_plugin_get_num_ports(plugin);
  std::vector<float> defaults(ports, 0.0f);
  lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
  for (std::uint32_t i = 0; i < ports; ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
    if (lilv_port_is_a(plugin, port, world.Uri(LV2_CORE__ControlPort))) {
      float& value = controls[lilv_node_as_string(lilv_port_get_symbol(plugin, port))];
      value = defaults[i];
      lilv_instance_connect_port(instance, i, &value);
    }
  }
  using vyrtal::lv2::PortIndex;
  lilv_instance_connect_port(instance, static_cast<std::uint32_t>(PortIndex::kEvents), sequence.data());
  lilv_instance_connect_port(instance, static_cast<std::uint32_t>(PortIndex::kInput1),
                             input.empty() ? nullptr : inputBlock.data());
  lilv_instance_connect_port(instance, static_cast<std::uint32_t>(PortIndex::kInput2), nullptr);
  lilv_instance_connect_port(instance, static_cast<std::uint32_t>(PortIndex::kOutput1), outputs[0].data());
  lilv_instance_connect_port(instance, static_cast<std::uint32_t>(PortIndex::kOutput2), outputs[1].data());
  lilv_instance_activate(instance);
}

Instance::~Instance() {
  if (instance == nullptr) return;
  lilv_instance_deactivate(instance);
  lilv_instance_free(instance);
}

float& Instance::Control(const std::string& symbol) { return controls.at(symbol); }

void Instance::Run(std::uint32_t frames, const std::vector<TimedEvent>& events) {
  UridTable& urids = world.Urids();
  LV2_Atom_Forge forge;
  lv2_atom_forge_init(&forge, urids.MapFeature());
  lv2_atom_forge_set_buffer(&forge, reinterpret_cast<std::uint8_t*>(sequence.data()),
                            sequence.size() * sizeof(std::uint64_t));
  LV2_Atom_Forge_Frame frame;
  lv2_atom_forge_sequence_head(&forge, &frame, sequenceUnit);
  for (const TimedEvent& event : events) {
    lv2_atom_forge_frame_time(&forge, event.frame);
    if (!event.midi.empty()) {
      lv2_atom_forge_atom(&forge, static_cast<std::uint32_t>(event.midi.size()), urids.Map(LV2_MIDI__MidiEvent));
      lv2_atom_forge_write(&forge, event.midi.data(), static_cast<std::uint32_t>(event.midi.size()));
    } else {
      LV2_Atom_Forge_Frame object;
      lv2_atom_forge_object(&forge, &object, 0, urids.Map(LV2_TIME__Position));
      lv2_atom_forge_key(&forge, urids.Map(LV2_TIME__beatsPerMinute));
      lv2_atom_forge_float(&forge, static_cast<float>(event.beatsPerMinute));
      lv2_atom_forge_pop(&forge, &object);
    }
  }
  lv2_atom_forge_pop(&forge, &frame);
  const std::span<const float> rest = input.subspan(std::min(left.size(), input.size()));
  const std::size_t copied = std::min<std::size_t>(frames, rest.size());
  std::copy_n(rest.begin(), copied, inputBlock.begin());
  std::fill(inputBlock.begin() + static_cast<std::ptrdiff_t>(copied), inputBlock.end(), 0.0f);
  Process(frames);
  left.insert(left.end(), outputs[0].begin(), outputs[0].begin() + frames);
  right.insert(right.end(), outputs[1].begin(), outputs[1].begin() + frames);
}

LV2_State_Status Instance::Save(LV2_State_Store_Function store, LV2_State_Handle handle) {
  const auto* state = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance, LV2_STATE__interface));
  return state->save(lilv_instance_get_handle(instance), store, handle, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                     features.data());
}

LV2_State_Status Instance::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
  const auto* state = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance, LV2_STATE__interface));
  return state->restore(lilv_instance_get_handle(instance), retrieve, handle, 0, features.data());
}

LilvState* Instance::LilvSave() {
  return lilv_state_new_from_instance(world.Plugin(), instance, world.Urids().MapFeature(), nullptr, nullptr, nullptr,
                                      nullptr, PortValue, this, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                                      features.data());
}

void Instance::LilvRestore(const LilvState* state) {
  lilv_state_restore(state, instance, SetPortValue, this, 0, features.data());
}

int Instance::LogPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int written = LogVprintf(handle, type, format, args);
  va_end(args);
  return written;
}

int Instance::LogVprintf(LV2_Log_Handle handle, LV2_URID, const char* format, va_list args) {
  std::array<char, 1024> text{};
  const int written = std::vsnprintf(text.data(), text.size(), format, args);
  static_cast<Instance*>(handle)->messages.emplace_back(text.data());
  return written;
}

const void* Instance::PortValue(const char* symbol, void* self, std::uint32_t* size, std::uint32_t* type) {
  auto* host = static_cast<Instance*>(self);
  const auto it = host->controls.find(symbol);
  if (it == host->controls.end()) return nullptr;
  *size = sizeof(float);
  *type = host->world.Urids().Map(LV2_ATOM__Float);
  return &it->second;
}

void Instance::SetPortValue(const char* symbol, void* self, const void* value, std::uint32_t size, std::uint32_t type) {
  auto* host = static_cast<Instance*>(self);
  const auto it = host->controls.find(symbol);
  if (it == host->controls.end() || size != sizeof(float) || type != host->world.Urids().Map(LV2_ATOM__Float)) return;
  std::memcpy(&it->second, value, sizeof(float));
}

}  // namespace lv2test
