#include "lv2/lv2_instrument.h"

#include <lv2/options/options.h>

#include <bit>
#include <cstring>

#include "lv2/features.h"

namespace vyrtal::lv2 {

namespace {

// The largest block the host promises, else its usual one; 0 when it says neither.
VstInt32 BlockSizeOf(const LV2_Options_Option* options, const Urids& urids) {
  VstInt32 nominal = 0;
  for (const LV2_Options_Option* o = options; o != nullptr && (o->key != 0 || o->value != nullptr); ++o) {
    if (o->context != LV2_OPTIONS_INSTANCE || o->type != urids.atomInt || o->size != sizeof(std::int32_t) ||
        o->value == nullptr) {
      continue;
    }
    std::int32_t size = 0;
    std::memcpy(&size, o->value, sizeof size);
    if (size <= 0) continue;
    if (o->key == urids.maxBlockLength) return size;
    if (o->key == urids.nominalBlockLength) nominal = size;
  }
  return nominal;
}

// An event's frame inside the block, never before the frame reached: the
// host's order is trusted, its mistakes are not.
std::uint32_t FrameOf(const LV2_Atom_Event& event, std::uint32_t reached, std::uint32_t frames) {
  const std::int64_t at = event.time.frames;
  if (at <= static_cast<std::int64_t>(reached)) return reached;
  if (at >= static_cast<std::int64_t>(frames)) return frames - 1;
  return static_cast<std::uint32_t>(at);
}

bool SameBits(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

}  // namespace

std::unique_ptr<Lv2Instrument> Lv2Instrument::Create(double sampleRate, const LV2_Feature* const* features) {
  const auto* map = static_cast<const LV2_URID_Map*>(FeatureData(features, LV2_URID__map));
  if (map == nullptr || map->map == nullptr) return nullptr;
  const auto* log = static_cast<const LV2_Log_Log*>(FeatureData(features, LV2_LOG__log));
  const auto* options = static_cast<const LV2_Options_Option*>(FeatureData(features, LV2_OPTIONS__options));
  // Nothing may escape into the host's C code: a failed construction is no instance.
  try {
    const Urids urids(*map);
    return std::unique_ptr<Lv2Instrument>(new Lv2Instrument(sampleRate, BlockSizeOf(options, urids), urids, log));
  } catch (...) {
    return nullptr;
  }
}

Lv2Instrument::Lv2Instrument(double sampleRate, VstInt32 blockSize, const Urids& urids, const LV2_Log_Log* log)
    : urids(urids), log(log), host(sampleRate, blockSize), plugin(std::make_unique<APlugin>(&Lv2Host::Callback)) {
  host.Attach(plugin->getAeffect());
  plugin->open();
  plugin->setSampleRate(static_cast<float>(sampleRate));
  if (blockSize > 0) plugin->setBlockSize(blockSize);
  for (std::size_t i = 0; i < kControlPorts.size(); ++i) {
    const ControlPort& port = kControlPorts[i];
    applied[i].store(PortValue(port.range, plugin->getParameter(port.parameter)), std::memory_order_relaxed);
  }
}

Lv2Instrument::~Lv2Instrument() { plugin->close(); }

void Lv2Instrument::ConnectPort(std::uint32_t port, void* data) {
  switch (static_cast<PortIndex>(port)) {
    case PortIndex::kEvents:
      events = static_cast<const LV2_Atom_Sequence*>(data);
      return;
    case PortIndex::kInput1:
    case PortIndex::kInput2:
      inputs[port - static_cast<std::uint32_t>(PortIndex::kInput1)] = static_cast<const float*>(data);
      return;
    case PortIndex::kOutput1:
    case PortIndex::kOutput2:
      outputs[port - static_cast<std::uint32_t>(PortIndex::kOutput1)] = static_cast<float*>(data);
      return;
    default:
      if (port >= kFirstControlPort && port < kNumPorts) controls[port - kFirstControlPort] = static_cast<const float*>(data);
      return;
  }
}

void Lv2Instrument::Activate() { plugin->resume(); }

void Lv2Instrument::Deactivate() { plugin->suspend(); }

void Lv2Instrument::Run(std::uint32_t frames) {
  ApplyControls();
  const LV2_Atom_Event* next = FirstEvent();
  std::uint32_t frame = 0;
  while (frame < frames) {
    const std::uint32_t end = SegmentEnd(next, frame, frames);
    for (; next != nullptr; next = NextEvent(next)) {
      const std::uint32_t at = FrameOf(*next, frame, frames);
      if (at >= end) break;
      Deliver(*next, at - frame);
    }
    RenderSegment(frame, end);
    frame = end;
  }
}

void Lv2Instrument::ApplyControls() {
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i] == nullptr) continue;
    const float value = *controls[i];
    if (SameBits(value, applied[i].load(std::memory_order_relaxed))) continue;
    applied[i].store(value, std::memory_order_relaxed);
    const ControlPort& port = kControlPorts[i];
    plugin->setParameter(port.parameter, ParameterValue(port.range, value));
  }
}

// Events are walked by offsets inside the sequence the host declared, and
// one that would reach past its end ends the walk.
const LV2_Atom_Event* Lv2Instrument::FirstEvent() const {
  if (events == nullptr || events->atom.type != urids.atomSequence ||
      events->atom.size < sizeof(LV2_Atom_Sequence_Body)) {
    return nullptr;
  }
  // Times are read as frames, the unit of run's sequences, whatever the
  // unit field says: Ardour 7 leaves it unset, and reading it would drop a
  // block's notes whenever it held garbage.
  return NextEvent(nullptr);
}

const LV2_Atom_Event* Lv2Instrument::NextEvent(const LV2_Atom_Event* event) const {
  const auto* body = reinterpret_cast<const std::uint8_t*>(&events->body);
  const std::size_t size = events->atom.size;
  std::size_t offset = sizeof(LV2_Atom_Sequence_Body);
  if (event != nullptr) {
    offset = static_cast<std::size_t>(reinterpret_cast<const std::uint8_t*>(event) - body) + sizeof(LV2_Atom_Event) +
             lv2_atom_pad_size(event->body.size);
  }
  if (offset > size || size - offset < sizeof(LV2_Atom_Event)) return nullptr;
  const auto* next = reinterpret_cast<const LV2_Atom_Event*>(body + offset);
  if (next->body.size > size - offset - sizeof(LV2_Atom_Event)) return nullptr;
  return next;
}

// A segment runs to the next change of tempo, the end of the block or the
// longest segment, whichever comes first.
std::uint32_t Lv2Instrument::SegmentEnd(const LV2_Atom_Event* next, std::uint32_t frame, std::uint32_t frames) const {
  const std::uint32_t longest = frames - frame > kMaxSegmentFrames ? frame + kMaxSegmentFrames : frames;
  for (; next != nullptr; next = NextEvent(next)) {
    const std::uint32_t at = FrameOf(*next, frame, frames);
    if (at >= longest) break;
    double beatsPerMinute = 0.0;
    if (at > frame && TempoOf(*next, beatsPerMinute)) return at;
  }
  return longest;
}

bool Lv2Instrument::TempoOf(const LV2_Atom_Event& event, double& beatsPerMinute) const {
  if ((event.body.type != urids.atomObject && event.body.type != urids.atomBlank) ||
      event.body.size < sizeof(LV2_Atom_Object_Body)) {
    return false;
  }
  const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&event.body);
  if (object->body.otype != urids.timePosition) return false;
  const auto* objectEnd = reinterpret_cast<const std::uint8_t*>(&event.body + 1) + event.body.size;
  LV2_ATOM_OBJECT_FOREACH(object, property) {
    if (property->key != urids.timeBeatsPerMinute) continue;
    const LV2_Atom& value = property->value;
    const void* number = &value + 1;
    if (static_cast<std::size_t>(objectEnd - static_cast<const std::uint8_t*>(number)) < value.size) return false;
    if (value.type == urids.atomFloat && value.size == sizeof(float)) {
      beatsPerMinute = *static_cast<const float*>(number);
    } else if (value.type == urids.atomDouble && value.size == sizeof(double)) {
      beatsPerMinute = *static_cast<const double*>(number);
    } else if (value.type == urids.atomInt && value.size == sizeof(std::int32_t)) {
      beatsPerMinute = *static_cast<const std::int32_t*>(number);
    } else if (value.type == urids.atomLong && value.size == sizeof(std::int64_t)) {
      beatsPerMinute = static_cast<double>(*static_cast<const std::int64_t*>(number));
    } else {
      return false;
    }
    return true;
  }
  return false;
}

void Lv2Instrument::Deliver(const LV2_Atom_Event& event, std::uint32_t delta) {
  if (event.body.type == urids.midiEvent) {
    // Channel messages only: the instrument reads three bytes at most.
    const std::uint32_t size = event.body.size;
    if (size == 0 || size > 3) return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&event.body + 1);
    if (batch.Full()) {
      plugin->processEvents(batch.List());
      batch.Clear();
    }
    batch.Add(bytes[0], size > 1 ? bytes[1] : 0, size > 2 ? bytes[2] : 0, static_cast<VstInt32>(delta));
    return;
  }
  double beatsPerMinute = 0.0;
  if (TempoOf(event, beatsPerMinute)) host.SetTempo(beatsPerMinute);
}

void Lv2Instrument::RenderSegment(std::uint32_t from, std::uint32_t to) {
  if (!batch.Empty()) {
    plugin->processEvents(batch.List());
    batch.Clear();
  }
  // The instrument never writes its inputs; an unconnected one is silence.
  std::array<float*, 2> in{};
  std::array<float*, 2> out{};
  for (std::size_t c = 0; c < 2; ++c) {
    in[c] = inputs[c] != nullptr ? const_cast<float*>(inputs[c] + from) : nullptr;
    out[c] = outputs[c] != nullptr ? outputs[c] + from : spareOutputs[c].data();
  }
  plugin->processReplacing(in.data(), out.data(), static_cast<VstInt32>(to - from));
}

LV2_State_Status Lv2Instrument::Save(LV2_State_Store_Function store, LV2_State_Handle handle) {
  SavedState state;
  state.bank = plugin->SnapshotBank();
  for (std::size_t i = 0; i < applied.size(); ++i) state.controls[i] = applied[i].load(std::memory_order_relaxed);
  return SaveState(state, store, handle, urids);
}

LV2_State_Status Lv2Instrument::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
  SavedState state;
  const RestoreResult result = RestoreState(retrieve, handle, urids, state);
  if (result.status != LV2_STATE_SUCCESS) {
    LogError("the saved state was refused and the instance keeps its settings", result.problem);
    return result.status;
  }
  plugin->RestoreBank(state.bank);
  for (std::size_t i = 0; i < applied.size(); ++i) applied[i].store(state.controls[i], std::memory_order_relaxed);
  return LV2_STATE_SUCCESS;
}

void Lv2Instrument::LogError(const char* text, const char* detail) const {
  if (log == nullptr || log->printf == nullptr) return;
  log->printf(log->handle, urids.logError, "Vyrtal: %s: %s.\n", text, detail);
}

}  // namespace vyrtal::lv2
