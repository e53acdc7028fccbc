#include "instrument/aplugin.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/control_table.h"
#include "frame/aeff_editor.h"
#include "instrument/aplugin_editor.h"
#include "instrument/bank_export.h"
#include "instrument/factory_programs.h"
#include "instrument/identity.h"
#include "instrument/text_copy.h"
#include "value_text/decimal_separator.h"
#include "value_text/value_text.h"

namespace {

constexpr VstInt32 kVendorVersion = 1;
constexpr int kNumOutputPins = 2;

// Noise seed: the clock, mixed with the instance's address so that two
// instances made in the same tick differ. VYRTAL_NOISE_SEED fixes it for tests.
std::uint32_t NoiseSeed(const void* instance) {
  if (const char* fixed = std::getenv("VYRTAL_NOISE_SEED")) {
    return static_cast<std::uint32_t>(std::strtoul(fixed, nullptr, 10));
  }
  const auto ticks = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(instance));
  const std::uint64_t mixed = (ticks ^ (address * 0x9E3779B97F4A7C15ull)) * 0xBF58476D1CE4E5B9ull;
  return static_cast<std::uint32_t>(mixed >> 32) | 1u;
}

}  // namespace

APlugin::APlugin(audioMasterCallback audioMaster) : AudioEffectX(audioMaster, kNumPrograms, kNumParams) {
  for (int i = kNumPrograms - 1; i >= 0; --i) programs[static_cast<std::size_t>(i)] = std::make_unique<APluginProgram>();
  engine.Init(&param, this);
  suspend();
  setEditor(std::make_unique<APluginEditor>(this));
  engine.SeedNoise(NoiseSeed(this));
  hasVu(false);
  setNumInputs(2);
  setNumOutputs(2);
  canMono(true);
  canProcessReplacing(true);
  isSynth(true);
  setUniqueID(FourCharCode('V', 'y', 'r', 's'));
  engine.curSampleRate.store(44100.0f);
  for (auto& program : programs) {
    for (int i = 0; i < kNumParamSlots; ++i) program->fvar[static_cast<std::size_t>(i)].store(0.0f);
  }
  WriteFactoryPrograms();
  setProgram(0);
}

APlugin::~APlugin() {
  // The editor bridge reaches into this object as it goes, so it goes first.
  setEditor(nullptr);
}

void APlugin::setParameter(VstInt32 index, float value) { StoreParameter(index, value, BankExport::kWrite); }

void APlugin::StoreParameter(VstInt32 index, float value, BankExport onTrigger) {
  if (index < 0 || index >= kNumParamSlots) return;
  value = StoredValue(value);
  const auto slot = static_cast<std::size_t>(index);
  param[slot].store(value, std::memory_order_relaxed);
  programs[static_cast<std::size_t>(curProgram.load())]->fvar[slot].store(value, std::memory_order_relaxed);
  if (index == ParamIndex(Param::kExportTrigger) && value > 0.9f) {
    param[slot].store(0.0f, std::memory_order_relaxed);
    if (onTrigger == BankExport::kWrite) WriteBankExport(programs);
  }
  UpdateEditor();
}

float APlugin::getParameter(VstInt32 index) {
  if (index < 0 || index >= kNumParams) return 0.0f;
  return param[static_cast<std::size_t>(index)].load(std::memory_order_relaxed);
}

void APlugin::getParameterLabel(VstInt32, char* label) { CopyText(label, ""); }

// The text the editor's caption strip shows for the value ("Saw", "Sqr" or
// "Noise" for the excitation type, "On" or "Off" for the two switches), and
// the empty string for parameters without one.
//
// The VST 2 interface gives display texts kVstMaxParamStrLen (8) bytes, the
// terminator included, and a host has no way to say that its buffer is
// larger. So the text is cut to 7 characters: a host that passes exactly the
// documented room is never written past. Most texts fit ("20.5KHz",
// "-39.9dB", "22.5 ms", "1/32 qb"); cut are "Always On" ("Always "), the
// semitones from -10 down ("-24 sem"), and every vowel mix (up to 10
// characters) and wet/dry text (up to 14), which show only their start.
void APlugin::getParameterDisplay(VstInt32 index, char* text) {
  try {
    const std::string display = ValueText(ValueRuleForIndex(index), getParameter(index), UserDecimalSeparator());
    CopyTextCut(text, display, kVstMaxParamStrLen);
  } catch (...) {
    // Nothing may escape into the host's C code.
    CopyTextCut(text, "", kVstMaxParamStrLen);
  }
}

void APlugin::getParameterName(VstInt32 index, char* text) {
  const ParameterInfo* parameter = ParameterAt(index);
  CopyText(text, parameter != nullptr ? parameter->name : "");
}

void APlugin::setSampleRate(float rate) {
  AudioEffectX::setSampleRate(rate);
  // Hosts set the rate and resume without selecting a program, so waiting
  // for a program change would leave every pitch and time off by the ratio
  // of the two rates. Only the rate changes; nothing is reset.
  engine.curSampleRate.store(sampleRate.load(), std::memory_order_relaxed);
}

float APlugin::getVu() { return 0.0f; }

void APlugin::suspend() { RequestReset(kClearLines); }

void APlugin::ApplyResetRequests() {
  const std::uint32_t requests = resetRequests.exchange(0, std::memory_order_acquire);
  if ((requests & kResetRunningSound) != 0) {
    engine.ResetRunningSound();
  } else if ((requests & kClearLines) != 0) {
    engine.ClearLines();
  }
}

void APlugin::resume() { wantEvents(1); }

bool APlugin::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
  if (index < 0 || index >= kNumOutputPins || properties == nullptr) return false;
  std::snprintf(properties->label, sizeof properties->label, "Vyrtal %d", static_cast<int>(index) + 1);
  properties->flags = kVstPinIsActive | kVstPinIsStereo;
  return true;
}

bool APlugin::getEffectName(char* name) {
  CopyText(name, kEffectName);
  return true;
}

bool APlugin::getVendorString(char* text) {
  CopyText(text, kVendor);
  return true;
}

bool APlugin::getProductString(char* text) {
  CopyText(text, kProduct);
  return true;
}

VstInt32 APlugin::getVendorVersion() { return kVendorVersion; }

VstInt32 APlugin::canDo(char* text) {
  if (text == nullptr) return -1;
  if (std::strcmp(text, "receiveVstEvents") == 0 || std::strcmp(text, "receiveVstMidiEvent") == 0) return 1;
  return -1;
}

void APlugin::UpdateEditor() {
  if (editor) editor->update();
}

float APlugin::QueryTempo() {
  // Hosts that keep a transport answer the time-info request; its tempo is
  // the reliable one. Older hosts answer only the tempo request, in beats per
  // minute times 10000.
  if (const VstTimeInfo* time = getTimeInfo(kVstTempoValid)) {
    if ((time->flags & kVstTempoValid) != 0 && time->tempo >= 1.0 && time->tempo < 1.0e6) {
      return static_cast<float>(time->tempo);
    }
  }
  return static_cast<float>(tempoAt(0) / 10000.0);
}

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
  // Nothing may escape into the host's C code: a failed construction is no instance.
  try {
    return new APlugin(audioMaster);
  } catch (...) {
    return nullptr;
  }
}
