// The test plug-in's record of what its host did, reachable from a test
// through the effect's object field.
#pragma once

#include <vector>

#include "frame/vst2.h"

struct FakeSynthBlock {
  double samplePos;    // from audioMasterGetTime at process
  double ppqPos;
  double tempo;
  VstInt32 timeFlags;
  VstIntPtr tempoAt;   // audioMasterTempoAt
  VstInt32 frames;
};

struct FakeSynthEvent {
  double samplePos;  // of the block the event came with
  VstInt32 deltaFrames;
  unsigned char status;
  unsigned char data1;
  unsigned char data2;
};

struct FakeSynthState {
  AEffect effect;
  audioMasterCallback host;
  std::vector<VstInt32> opcodes;  // dispatcher calls, in order
  std::vector<FakeSynthBlock> blocks;
  std::vector<FakeSynthEvent> events;
  float parameters[3];
  VstInt32 program;
  double sampleRate;
  VstIntPtr blockSize;
  bool gate;
};
