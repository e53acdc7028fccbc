// End-to-end: the vyrtal executable with Vyrtal, the test plug-in and a
// third-party instrument, as a user runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

#include "midi_bytes.h"
#include "run_vyrtal.h"

namespace vyrtal::host::test {
namespace {

constexpr const char* kThirdPartyInstrument = "/usr/lib/vst/Kars-vst.so";
constexpr std::int64_t kNoteFrame = 22050;  // one beat at 120 BPM, 44100 Hz

class VyrtalCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ScratchDir();
    setenv("VYRTAL_BANK_EXPORT", (dir_ / "bank.txt").c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // A note from beat 1 to beat 3 at 120 BPM (format 1, tempo in its own track).
  std::string NoteFile() const {
    TrackBuilder conductor;
    conductor.tempo(0, 500000).end();
    TrackBuilder notes;
    notes.event(480, {0x90, 57, 110}).event(960, {0x80, 57, 0}).end();
    const std::string path = Path("note.mid");
    WriteFile(path, Concat({Header(1, 2, 480), conductor.chunk(), notes.chunk()}));
    return path;
  }

  void ExpectRejected(const std::vector<std::string>& args, const std::string& fragment) {
    const std::string out = Path("rejected.wav");
    std::vector<std::string> full = args;
    full.insert(full.end(), {"-o", out});
    const RunResult result = RunVyrtal(full);
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_NE(result.err.find(fragment), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_FALSE(std::filesystem::exists(out));
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
      EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << entry.path();
  }

  std::filesystem::path dir_;
};

TEST_F(VyrtalCommand, InfoDescribesVyrtal) {
  const RunResult result = RunVyrtal({"info"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("effect name  Vyrtal\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("vendor       TollarinFx\n"), std::string::npos);
  EXPECT_NE(result.out.find("'Vyrs'"), std::string::npos);
  EXPECT_NE(result.out.find("IsSynth"), std::string::npos);
  EXPECT_NE(result.out.find("inputs       2\n"), std::string::npos);
  EXPECT_NE(result.out.find("outputs      2\n"), std::string::npos);
  EXPECT_NE(result.out.find("parameters   50\n"), std::string::npos);
  EXPECT_NE(result.out.find("    49  "), std::string::npos);
  EXPECT_NE(result.out.find("programs     16\n"), std::string::npos);
  EXPECT_NE(result.out.find("     0  Default\n"), std::string::npos);
  EXPECT_NE(result.out.find("     3  Waher\n"), std::string::npos);
  EXPECT_NE(result.out.find("    15  AUUI\n"), std::string::npos);
}

TEST_F(VyrtalCommand, RendersAMidiFileWithVyrtal) {
  const std::string out = Path("vyrtal.wav");
  const RunResult result = RunVyrtal({"render", "--midi", NoteFile(), "--tail", "0.5", "-o", out});
  ASSERT_EQ(result.status, 0) << result.err;
  const Wav wav = ReadWav(out);
  EXPECT_EQ(wav.rate, 44100);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.frames(), 3 * kNoteFrame + 22050);
  EXPECT_GT(Peak(wav), 1e-3f);
  const sf_count_t onset = Onset(wav, 0, 1e-6f);
  EXPECT_GE(onset, kNoteFrame);
  EXPECT_LE(onset, kNoteFrame + 16);
}

TEST_F(VyrtalCommand, RendersEveryProgramByName) {
  for (const char* program : {"Waher", "auui", "15"}) {
    const std::string out = Path("program.wav");
    const RunResult result = RunVyrtal({"render", "--program", program, "--phrase", "note", "--tail", "0.2",
                                        "--format", "s16", "--quiet", "-o", out});
    ASSERT_EQ(result.status, 0) << program << ": " << result.err;
    EXPECT_TRUE(result.out.empty());
    EXPECT_EQ(ReadWav(out).channels, 2);
  }
}

TEST_F(VyrtalCommand, TestPluginStartsEveryNoteOnItsSample) {
  const std::string out = Path("fake.wav");
  const std::string log = Path("calls.txt");
  setenv("FAKE_SYNTH_LOG", log.c_str(), 1);
  const RunResult result = RunVyrtal({"render", "--plugin", FAKE_SYNTH_PATH, "--midi", NoteFile(), "--block",
                                      "1000", "--tail", "0", "--program", "Second", "--set", "2=0.5", "-o", out});
  unsetenv("FAKE_SYNTH_LOG");
  ASSERT_EQ(result.status, 0) << result.err;
  const Wav wav = ReadWav(out);
  EXPECT_EQ(wav.frames(), 3 * kNoteFrame);
  EXPECT_EQ(Onset(wav, 0, 0.0f), kNoteFrame);
  EXPECT_EQ(wav.samples[static_cast<std::size_t>(2 * (3 * kNoteFrame - 1))], 0.5f);
  const std::string calls = ReadText(log);
  EXPECT_EQ(calls.rfind("0\n", 0), 0u) << "effOpen first";
  EXPECT_NE(calls.find("12\n1\n"), std::string::npos) << "suspend then close: " << calls;
}

TEST_F(VyrtalCommand, RendersAThirdPartyInstrument) {
  ASSERT_TRUE(std::filesystem::exists(kThirdPartyInstrument)) << "scripts/install-deps installs it";
  const std::string out = Path("kars.wav");
  const RunResult result =
      RunVyrtal({"render", "--plugin", kThirdPartyInstrument, "--phrase", "melody", "--tail", "1", "-o", out});
  ASSERT_EQ(result.status, 0) << result.err;
  const Wav wav = ReadWav(out);
  EXPECT_EQ(wav.rate, 44100);
  EXPECT_GE(wav.channels, 1);
  EXPECT_GT(Peak(wav), 0.01f);
  const RunResult info = RunVyrtal({"info", "--plugin", kThirdPartyInstrument});
  EXPECT_EQ(info.status, 0);
  EXPECT_NE(info.out.find("IsSynth"), std::string::npos);
}

TEST_F(VyrtalCommand, BenchPrintsTheMedian) {
  const RunResult result = RunVyrtal({"bench", "--plugin", FAKE_SYNTH_PATH, "--seconds", "1", "--runs", "3"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("x real time"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("ns per frame of the thread's CPU time"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("ns of wall time"), std::string::npos) << result.out;
}

TEST_F(VyrtalCommand, RejectsBadPluginsAndChoices) {
  const std::vector<std::string> phrase{"render", "--phrase", "note", "--plugin"};
  const auto with = [&](std::initializer_list<std::string> extra) {
    std::vector<std::string> args = phrase;
    args.insert(args.end(), extra);
    return args;
  };
  ExpectRejected(with({"/nonexistent/none.so"}), "plug-in not found");
  ExpectRejected(with({NOT_A_LIBRARY_PATH}), "cannot load plug-in");
  ExpectRejected(with({FAKE_NONE_PATH}), "neither VSTPluginMain nor main");
  ExpectRejected(with({FAKE_NULL_PATH}), "returned no effect");
  ExpectRejected(with({FAKE_SYNTH_PATH, "--program", "Third"}), "no program named 'Third'");
  ExpectRejected(with({FAKE_SYNTH_PATH, "--program", "2"}), "program 2 is out of range");
  ExpectRejected(with({FAKE_SYNTH_PATH, "--set", "1=1.5"}), "outside 0..1");
  ExpectRejected(with({FAKE_SYNTH_PATH, "--set", "3=0.5"}), "no parameter 3");
  ExpectRejected({"render", "--phrase", "hum", "--plugin", FAKE_SYNTH_PATH}, "no built-in phrase named 'hum'");
  ExpectRejected({"render", "--program", "99", "--phrase", "note"}, "out of range");
}

TEST_F(VyrtalCommand, RejectsBadMidiFiles) {
  const std::string plugin = FAKE_SYNTH_PATH;
  ExpectRejected({"render", "--plugin", plugin, "--midi", Path("missing.mid")}, "MIDI file not found");
  Bytes good = Concat({Header(0, 1, 96), TrackBuilder().event(0, {0x90, 60, 100}).end(96).chunk()});
  const std::string truncated = Path("truncated.mid");
  WriteFile(truncated, Bytes(good.begin(), good.end() - 3));
  ExpectRejected({"render", "--plugin", plugin, "--midi", truncated}, "claims");
  const std::string noStatus = Path("nostatus.mid");
  WriteFile(noStatus, Concat({Header(0, 1, 96), TrackBuilder().event(0, {60, 100}).end().chunk()}));
  ExpectRejected({"render", "--plugin", plugin, "--midi", noStatus}, "running status");
  std::mt19937 random(7);
  Bytes noise(200);
  for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
  const std::string corrupt = Path("noise.mid");
  WriteFile(corrupt, noise);
  ExpectRejected({"render", "--plugin", plugin, "--midi", corrupt}, "not a MIDI file");
}

TEST_F(VyrtalCommand, HelpAndUsageErrors) {
  const RunResult help = RunVyrtal({"render", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--phrase"), std::string::npos);
  const RunResult none = RunVyrtal({});
  EXPECT_EQ(none.status, 2);
  const RunResult both = RunVyrtal({"render", "--midi", "a.mid", "--phrase", "note", "-o", Path("x.wav")});
  EXPECT_EQ(both.status, 2);
  EXPECT_FALSE(std::filesystem::exists(Path("x.wav")));
}

}  // namespace
}  // namespace vyrtal::host::test
