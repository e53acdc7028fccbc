// A small LV2 host on lilv for the tests: finds the bundle through LV2_PATH,
// offers urid:map, log and options, makes instances, feeds them MIDI and
// tempo changes through the event port and collects what they render.
#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/log/log.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <array>
#include <cstdarg>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace lv2test {

// One URI table for every instance of a test, as a host has.
class UridTable {
 public:
  UridTable();
  LV2_URID Map(const std::string& uri);
  const char* Unmap(LV2_URID urid) const;
  LV2_URID_Map* MapFeature() { return &map; }
  LV2_URID_Unmap* UnmapFeature() { return &unmap; }

 private:
  std::map<std::string, LV2_URID> ids;
  std::vector<std::unique_ptr<std::string>> uris;
  LV2_URID_Map map{};
  LV2_URID_Unmap unmap{};
};

// The world the tests share: lilv loaded from LV2_PATH, and the plug-in.
class World {
 public:
  World();
  ~World();
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  LilvWorld* Lilv() const { return world; }
  const LilvPlugin* Plugin() const { return plugin; }  // null when not found
  LilvNode* Uri(const char* uri);                      // owned by the world
  UridTable& Urids() { return urids; }

 private:
  LilvWorld* world;
  const LilvPlugin* plugin = nullptr;
  std::vector<LilvNode*> nodes;
  UridTable urids;
};

// Something the host sends at a frame of a block.
struct TimedEvent {
  std::uint32_t frame;
  std::vector<std::uint8_t> midi;  // empty for a tempo change
  double beatsPerMinute = 0.0;
};

class Instance {
 public:
  static constexpr std::uint32_t kMaxBlock = 512;
  static constexpr double kSampleRate = 48000.0;

  // With every port connected but the second audio input, and the first
  // one only when there is input; past its end the input is silence.
  explicit Instance(World& world, std::span<const float> input = {});
  virtual ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  bool Made() const { return instance != nullptr; }
  LilvInstance* Lilv() const { return instance; }
  const std::vector<std::string>& LogMessages() const { return messages; }

  // The control port of that symbol; writes take effect at the next block.
  float& Control(const std::string& symbol);

  // Runs one block of at most kMaxBlock frames with the events given and
  // appends what it renders to `left` and `right`. The input given at
  // construction is read from the frame rendered so far.
  void Run(std::uint32_t frames, const std::vector<TimedEvent>& events);
  std::vector<float> left, right;
  // What the event sequence's unit field holds; 0 says frames.
  std::uint32_t sequenceUnit = 0;

  // The state interface, reached directly.
  LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
  LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);
  // The state as lilv takes it (properties and port values), and back.
  LilvState* LilvSave();
  void LilvRestore(const LilvState* state);

 protected:
  // The host's call of run, for tests that watch it.
  virtual void Process(std::uint32_t frames) { lilv_instance_run(instance, frames); }

 private:
  static int LogPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...);
  static int LogVprintf(LV2_Log_Handle handle, LV2_URID type, const char* format, va_list args);
  static const void* PortValue(const char* symbol, void* self, std::uint32_t* size, std::uint32_t* type);
  static void SetPortValue(const char* symbol, void* self, const void* value, std::uint32_t size, std::uint32_t type);

  World& world;
  std::span<const float> input;
  LilvInstance* instance = nullptr;
  std::vector<std::string> messages;
  LV2_Log_Log log{};
  std::int32_t blockLength = kMaxBlock;
  std::array<LV2_Options_Option, 2> options{};
  LV2_Feature mapFeature{}, unmapFeature{}, logFeature{}, optionsFeature{};
  std::array<const LV2_Feature*, 5> features{};
  std::vector<std::uint64_t> sequence;
  std::array<std::vector<float>, 2> outputs;
  std::vector<float> inputBlock;
  std::map<std::string, float> controls;
};

}  // namespace lv2test
