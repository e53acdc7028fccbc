// The instrument: parameters, programs, MIDI and the sound engine behind the
// effect frame.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/param_array.h"
#include "engine/sound_engine.h"
#include "engine/tempo_source.h"
#include "frame/audio_effect_x.h"
#include "instrument/aplugin_program.h"
#include "instrument/bank_snapshot.h"
#include "instrument/event_queue.h"
#include "instrument/pitch_bend.h"

class APlugin : public AudioEffectX, private TempoSource {
 public:
  explicit APlugin(audioMasterCallback audioMaster);
  ~APlugin() override;

  // Parameters.
  void setParameter(VstInt32 index, float value) override;
  float getParameter(VstInt32 index) override;
  void getParameterLabel(VstInt32 index, char* label) override;
  void getParameterDisplay(VstInt32 index, char* text) override;
  void getParameterName(VstInt32 index, char* text) override;

  // Rendering.
  void process(float** inputs, float** outputs, VstInt32 sampleFrames) override;
  void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;

  // Programs.
  void setProgram(VstInt32 program) override;
  void setProgramName(char* name) override;
  void getProgramName(char* name) override;
  bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

  // The bank as a host keeps it. Taking it changes nothing. Restoring it
  // replaces every program's values and name, then selects the current
  // program as setProgram does, but without writing the bank export.
  BankSnapshot SnapshotBank() const;
  void RestoreBank(const BankSnapshot& bank);

  // MIDI.
  VstInt32 processEvents(VstEvents* events) override;

  // The engine follows the host's rate as soon as the host sets it.
  void setSampleRate(float rate) override;

  // Identity and host answers.
  float getVu() override;
  void suspend() override;
  void resume() override;
  bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
  bool getEffectName(char* name) override;
  bool getVendorString(char* text) override;
  bool getProductString(char* text) override;
  VstInt32 getVendorVersion() override;
  VstInt32 canDo(char* text) override;

  // Read access for the editor bridge and tests.
  const ParamArray& Params() const { return param; }
  VoiceView Voice(int v) const { return engine.voice(v); }
  int LastVoice() const { return engine.lastVoice(); }
  void SeedNoise(std::uint32_t seed) { engine.SeedNoise(seed); }

  // 1 while the editor window is closed; written only by the editor bridge.
  std::atomic<std::uint8_t> editorClosed{0};

 private:
  // Whether a value above 0.9 at the export trigger writes the bank export.
  enum class BankExport { kWrite, kSkip };

  float QueryTempo() override;
  void StoreParameter(VstInt32 index, float value, BankExport onTrigger);
  void SelectProgram(VstInt32 program, BankExport onTrigger);
  void Render(float** inputs, float** outputs, VstInt32 sampleFrames, bool replace);
  void HandleMidi(const unsigned char* data);
  void UpdateEditor();
  void WriteFactoryPrograms();
  // Program change and suspend come on the host's other thread: they ask
  // for the engine's buffers to be cleared, and the audio thread does it
  // before it next touches them.
  static constexpr std::uint32_t kClearLines = 1;          // delay, chorus and stereo lines
  static constexpr std::uint32_t kResetRunningSound = 2;  // the lines, history slots and voice low-passes
  void RequestReset(std::uint32_t what) { resetRequests.fetch_or(what, std::memory_order_release); }
  void ApplyResetRequests();

  ParamArray param{};
  std::array<std::unique_ptr<APluginProgram>, kNumPrograms> programs;
  EventQueue pending;
  PitchBend pitchBend;
  std::atomic<std::uint32_t> resetRequests{0};
  SoundEngine engine;
};
