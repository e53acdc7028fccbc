// Program selection, names and the factory bank.
#include <cstring>

#include "frame/aeff_editor.h"
#include "instrument/aplugin.h"
#include "instrument/factory_programs.h"
#include "instrument/text_copy.h"

void APlugin::setProgram(VstInt32 program) { SelectProgram(program, BankExport::kWrite); }

void APlugin::SelectProgram(VstInt32 program, BankExport onTrigger) {
  // The engine's rate follows the host's on every request, even a refused one.
  engine.curSampleRate.store(static_cast<float>(updateSampleRate()), std::memory_order_relaxed);
  if (program < 0 || program >= kNumPrograms) return;
  curProgram = program;
  const APluginProgram& current = *programs[static_cast<std::size_t>(program)];
  for (int i = 0; i < kNumParamSlots; ++i) {
    StoreParameter(i, current.fvar[static_cast<std::size_t>(i)].load(std::memory_order_relaxed), onTrigger);
  }
  // Release every held key; the voices fall through their release.
  engine.ReleaseAll();
  RequestReset(kResetRunningSound);
  if (editorClosed.load() == 0) UpdateEditor();
}

void APlugin::setProgramName(char* name) {
  if (name == nullptr) return;
  programs[static_cast<std::size_t>(curProgram.load())]->SetName(name);
  if (editorClosed.load() == 0) UpdateEditor();
}

void APlugin::getProgramName(char* name) {
  CopyText(name, programs[static_cast<std::size_t>(curProgram.load())]->Name().data());
}

bool APlugin::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
  if (index < 0 || index >= kNumPrograms || text == nullptr) return false;
  CopyText(text, programs[static_cast<std::size_t>(index)]->Name().data());
  return true;
}

void APlugin::WriteFactoryPrograms() {
  for (int k = 0; k < kNumFactoryPrograms; ++k) {
    const FactoryProgram& factory = kFactoryPrograms[static_cast<std::size_t>(k)];
    APluginProgram& program = *programs[static_cast<std::size_t>(k)];
    for (int i = 0; i < kNumParams; ++i) {
      program.fvar[static_cast<std::size_t>(i)].store(factory.values[static_cast<std::size_t>(i)]);
    }
    program.SetName(factory.name);
    setProgram(k);
  }
}

BankSnapshot APlugin::SnapshotBank() const {
  BankSnapshot bank;
  for (std::size_t k = 0; k < bank.programs.size(); ++k) {
    const APluginProgram& program = *programs[k];
    ProgramSnapshot& copy = bank.programs[k];
    for (std::size_t i = 0; i < copy.values.size(); ++i) copy.values[i] = program.fvar[i].load(std::memory_order_relaxed);
    copy.name = program.Name();
  }
  bank.current = curProgram.load();
  return bank;
}

void APlugin::RestoreBank(const BankSnapshot& bank) {
  for (std::size_t k = 0; k < bank.programs.size(); ++k) {
    APluginProgram& program = *programs[k];
    const ProgramSnapshot& copy = bank.programs[k];
    for (std::size_t i = 0; i < copy.values.size(); ++i) {
      program.fvar[i].store(StoredValue(copy.values[i]), std::memory_order_relaxed);
    }
    program.SetName(copy.name.data());
  }
  SelectProgram(bank.current, BankExport::kSkip);
}
