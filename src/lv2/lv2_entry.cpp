// The LV2 entry: the descriptor hosts find through lv2_descriptor, and the
// static C functions it names, each a thin trampoline onto the adapter.
// Every one of them takes a null or never-made handle as nothing to do.
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <cstring>

#include "lv2/lv2_instrument.h"
#include "lv2/plugin_uris.h"

namespace {

using vyrtal::lv2::Lv2Instrument;

Lv2Instrument* InstanceOf(LV2_Handle handle) { return static_cast<Lv2Instrument*>(handle); }

LV2_Handle Instantiate(const LV2_Descriptor*, double sampleRate, const char*, const LV2_Feature* const* features) {
  return Lv2Instrument::Create(sampleRate, features).release();
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* data) {
  if (Lv2Instrument* instance = InstanceOf(handle)) instance->ConnectPort(port, data);
}

void Activate(LV2_Handle handle) {
  if (Lv2Instrument* instance = InstanceOf(handle)) instance->Activate();
}

void Run(LV2_Handle handle, uint32_t frames) {
  if (Lv2Instrument* instance = InstanceOf(handle)) instance->Run(frames);
}

void Deactivate(LV2_Handle handle) {
  if (Lv2Instrument* instance = InstanceOf(handle)) instance->Deactivate();
}

void Cleanup(LV2_Handle handle) { delete InstanceOf(handle); }

LV2_State_Status Save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state, uint32_t,
                      const LV2_Feature* const*) {
  Lv2Instrument* instance = InstanceOf(handle);
  return instance != nullptr ? instance->Save(store, state) : LV2_STATE_ERR_UNKNOWN;
}

LV2_State_Status Restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state, uint32_t,
                         const LV2_Feature* const*) {
  Lv2Instrument* instance = InstanceOf(handle);
  return instance != nullptr ? instance->Restore(retrieve, state) : LV2_STATE_ERR_UNKNOWN;
}

constexpr LV2_State_Interface kStateInterface{Save, Restore};

const void* ExtensionData(const char* uri) {
  if (uri != nullptr && std::strcmp(uri, LV2_STATE__interface) == 0) return &kStateInterface;
  return nullptr;
}

constexpr LV2_Descriptor kDescriptor{vyrtal::lv2::kPluginUri, Instantiate, ConnectPort, Activate, Run,
                                     Deactivate, Cleanup, ExtensionData};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}
