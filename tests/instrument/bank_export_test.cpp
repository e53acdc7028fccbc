#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "instrument/bank_export.h"
#include "support/scoped_env.h"

namespace {

ProgramBank MakeBank() {
  ProgramBank bank;
  for (auto& program : bank) program = std::make_unique<APluginProgram>();
  return bank;
}

int CountLines(const std::string& text) {
  int lines = 0;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) lines += text[i] == '\r' && text[i + 1] == '\n';
  return lines;
}

TEST(BankExport, TextHasFiftyTwoLinesPerProgramEndedByCrLf) {
  ProgramBank bank = MakeBank();
  bank[5]->fvar[3].store(0.2f);
  bank[5]->fvar[50].store(0.7f);  // not listed: only 50 values per program
  const std::string text = BankExportText(bank, '.');
  EXPECT_EQ(CountLines(text), 832);
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
  EXPECT_NE(text.find("Programs[5].fvar[3]:=0.200000002980232;\r\n"), std::string::npos);
  EXPECT_EQ(text.find("fvar[50]"), std::string::npos);
  EXPECT_NE(text.find("StrCopy(programs[15].name,pchar(%Init%)\r\nSetProgram(15);\r\n"), std::string::npos);
  EXPECT_EQ(text.rfind("SetProgram(15);\r\n"), text.size() - 17);
}

TEST(BankExport, DecimalSeparatorIsTheOneGiven) {
  ProgramBank bank = MakeBank();
  bank[0]->fvar[0].store(0.5f);
  EXPECT_NE(BankExportText(bank, ',').find("Programs[0].fvar[0]:=0,5;"), std::string::npos);
}

TEST(BankExport, PathPrefersTheVariableThenTheDataFolders) {
  {
    ScopedEnv file("VYRTAL_BANK_EXPORT", "/tmp/x/bank.txt");
    EXPECT_EQ(BankExportPath(), "/tmp/x/bank.txt");
  }
  ScopedEnv file("VYRTAL_BANK_EXPORT", nullptr);
  {
    ScopedEnv data("XDG_DATA_HOME", "/data/home");
    EXPECT_EQ(BankExportPath(), "/data/home/Vyrtal/demo1.txt");
  }
  ScopedEnv data("XDG_DATA_HOME", nullptr);
  {
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(BankExportPath(), "/home/someone/.local/share/Vyrtal/demo1.txt");
  }
  ScopedEnv home("HOME", nullptr);
  EXPECT_EQ(BankExportPath(), "");
}

TEST(BankExport, WriteCreatesFoldersAndLeavesNoTemporaryBehind) {
  char pattern[] = "/tmp/vyrtal-bank-XXXXXX";
  const std::string folder = mkdtemp(pattern);
  ScopedEnv file("VYRTAL_BANK_EXPORT", nullptr);
  ScopedEnv data("XDG_DATA_HOME", folder.c_str());
  ProgramBank bank = MakeBank();
  WriteBankExport(bank);
  WriteBankExport(bank);  // the second replaces the first
  const std::string path = folder + "/Vyrtal/demo1.txt";
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::fseek(f, 0, SEEK_END);
  EXPECT_GT(std::ftell(f), 20000);
  std::fclose(f);
  int entries = 0;
  DIR* dir = opendir((folder + "/Vyrtal").c_str());
  while (dirent* e = readdir(dir)) entries += e->d_name[0] != '.';
  closedir(dir);
  EXPECT_EQ(entries, 1);
  std::remove(path.c_str());
  rmdir((folder + "/Vyrtal").c_str());
  rmdir(folder.c_str());
}

}  // namespace
