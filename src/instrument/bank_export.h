// The bank text export: every program's values, name and selection as
// source lines, written whenever parameter 33 is set above 0.9.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "instrument/aplugin_program.h"

using ProgramBank = std::array<std::unique_ptr<APluginProgram>, kNumPrograms>;

// The export's text: 16 programs of 52 lines, each ended by CR LF.
std::string BankExportText(const ProgramBank& programs, char separator);

// Where the export goes: VYRTAL_BANK_EXPORT when set; else on Windows
// "c:\demo1.txt", elsewhere the user's data folder (XDG_DATA_HOME or
// ~/.local/share) under Vyrtal/demo1.txt. Empty when there is nowhere to write.
std::string BankExportPath();

// Writes the export, replacing the file atomically. Failures are silent.
void WriteBankExport(const ProgramBank& programs);
