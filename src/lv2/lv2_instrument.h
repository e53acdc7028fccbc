// The instrument behind the LV2 interface: one APlugin, driven through its
// operations as a VST 2 host drives it, with the adapter as its host. Ports
// are read in run, on the audio thread: changed controls become parameter
// changes, MIDI becomes events at their frame, the transport's tempo is
// what the instrument is told when it asks.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/state/state.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "frame/midi_event_list.h"
#include "instrument/aplugin.h"
#include "lv2/bank_state.h"
#include "lv2/control_ports.h"
#include "lv2/lv2_host.h"
#include "lv2/urids.h"

namespace vyrtal::lv2 {

class Lv2Instrument {
 public:
  // Null when the host lacks urid:map or the instrument cannot be made.
  static std::unique_ptr<Lv2Instrument> Create(double sampleRate, const LV2_Feature* const* features);
  ~Lv2Instrument();

  Lv2Instrument(const Lv2Instrument&) = delete;
  Lv2Instrument& operator=(const Lv2Instrument&) = delete;

  void ConnectPort(std::uint32_t port, void* data);
  void Activate();
  void Run(std::uint32_t frames);
  void Deactivate();
  LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
  LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

 private:
  // Blocks are rendered in segments no longer than this, so a missing output
  // can be stood in for by a buffer of this size.
  static constexpr std::uint32_t kMaxSegmentFrames = 4096;
  static constexpr std::size_t kMaxBatchedEvents = 512;

  Lv2Instrument(double sampleRate, VstInt32 blockSize, const Urids& urids, const LV2_Log_Log* log);

  void ApplyControls();
  const LV2_Atom_Event* FirstEvent() const;
  const LV2_Atom_Event* NextEvent(const LV2_Atom_Event* event) const;
  std::uint32_t SegmentEnd(const LV2_Atom_Event* next, std::uint32_t frame, std::uint32_t frames) const;
  bool TempoOf(const LV2_Atom_Event& event, double& beatsPerMinute) const;
  void Deliver(const LV2_Atom_Event& event, std::uint32_t delta);
  void RenderSegment(std::uint32_t from, std::uint32_t to);
  void LogError(const char* text, const char* detail) const;

  Urids urids;
  const LV2_Log_Log* log;
  Lv2Host host;
  std::unique_ptr<APlugin> plugin;

  const LV2_Atom_Sequence* events = nullptr;
  std::array<const float*, 2> inputs{};
  std::array<float*, 2> outputs{};
  std::array<const float*, kControlPorts.size()> controls{};
  // The control values last applied; written in run, read by save.
  std::array<std::atomic<float>, kControlPorts.size()> applied{};
  FixedMidiEventList<kMaxBatchedEvents> batch;
  std::array<std::array<float, kMaxSegmentFrames>, 2> spareOutputs{};
};

}  // namespace vyrtal::lv2
