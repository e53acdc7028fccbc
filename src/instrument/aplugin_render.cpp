// The audio entry points. A block is rendered in pieces between the queued
// MIDI events, each event acting just before the sample at its offset; the
// engine's timing runs on its own sample counter, so the pieces join
// seamlessly.
#include "instrument/aplugin.h"

void APlugin::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
  Render(inputs, outputs, sampleFrames, false);
}

void APlugin::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
  Render(inputs, outputs, sampleFrames, true);
}

void APlugin::Render(float** inputs, float** outputs, VstInt32 sampleFrames, bool replace) {
  if (sampleFrames <= 0 || outputs == nullptr || outputs[0] == nullptr || outputs[1] == nullptr) return;
  ApplyResetRequests();
  const float* input = inputs != nullptr ? inputs[0] : nullptr;
  float* left = outputs[0];
  float* right = outputs[1];

  // Events timed beyond this block act at its start.
  int first = pending.Size();
  while (first > 0 && pending[first - 1].deltaFrames >= sampleFrames) --first;
  for (int i = first; i < pending.Size(); ++i) HandleMidi(pending[i].data.data());

  VstInt32 position = 0;
  int next = 0;
  while (position < sampleFrames) {
    while (next < first && pending[next].deltaFrames <= position) HandleMidi(pending[next++].data.data());
    const VstInt32 end = next < first ? pending[next].deltaFrames : sampleFrames;
    engine.Render(input != nullptr ? input + position : nullptr, left + position, right + position,
                  end - position, replace);
    position = end;
  }
  pending.Clear();
}
