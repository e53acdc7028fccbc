#include <gtest/gtest.h>

#include <dirent.h>
#include <locale.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "instrument/bank_export.h"
#include "instrument/decimal_separator.h"

namespace {

// Sets environment variables for one test and puts them back after.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name(name) {
    if (const char* old = std::getenv(name)) previous = old, had = true;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (had) {
      setenv(name, previous.c_str(), 1);
    } else {
      unsetenv(name);
    }
  }

 private:
  const char* name;
  std::string previous;
  bool had = false;
};

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

TEST(DecimalSeparator, ComesFromTheLocaleTheEnvironmentNames) {
  ScopedEnv all("LC_ALL", nullptr);
  ScopedEnv numeric("LC_NUMERIC", nullptr);
  {
    ScopedEnv lang("LANG", nullptr);
    EXPECT_EQ(UserDecimalSeparator(), '.');
  }
  {
    ScopedEnv lang("LANG", "C");
    EXPECT_EQ(UserDecimalSeparator(), '.');
  }
  {
    ScopedEnv lang("LANG", "xx_NOWHERE.UTF-8");
    EXPECT_EQ(UserDecimalSeparator(), '.');
  }
  ScopedEnv german("LC_ALL", "de_DE.UTF-8");
  locale_t probe = newlocale(LC_NUMERIC_MASK, "de_DE.UTF-8", static_cast<locale_t>(nullptr));
  if (probe == static_cast<locale_t>(nullptr)) GTEST_SKIP() << "de_DE.UTF-8 is not installed here";
  freelocale(probe);
  EXPECT_EQ(UserDecimalSeparator(), ',');
}

}  // namespace
