// Ardour as the host: a session with the LV2 Vyrtal on a MIDI track, the
// test's preset (a renamed bank on another program) loaded and three
// controls moved, exported and saved; loaded again in a fresh process, it
// finds the same program, names and parameter values.
#include <gtest/gtest.h>

#include <sndfile.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "lilv_host.h"
#include "lv2/plugin_uris.h"
#include "state_properties.h"
#include "support/signal_measures.h"

namespace {

namespace fs = std::filesystem;
using lv2test::Instance;
using lv2test::StateProperties;

constexpr const char* kPresetUri = "urn:vyrtal-test:preset";

struct ArdourRun {
  int status;
  std::string output;
};

// Runs an Ardour Lua script headless, with the folder it works in. Freed
// memory is filled with a pattern, so that a use after free, in Ardour or in
// the plug-in, fails every run rather than now and then. Ardour 7.3's
// session tool has also been seen to abort on its own while it registers a
// new track's ports on a busy machine: a run that ends by a signal is made
// again from scratch, up to three times.
ArdourRun RunArdour(const fs::path& folder, const char* script, const fs::path& scratch = {}) {
  // Ardour's settings, caches and scripts stay inside the folder.
  const std::string home = (folder / "home").string();
  const std::string command = "cd '" + folder.string() + "' && HOME='" + home + "' XDG_CONFIG_HOME='" + home +
                              "/.config' XDG_DATA_HOME='" + home + "/.local/share' XDG_CACHE_HOME='" + home +
                              "/.cache' MALLOC_PERTURB_=165 VYRTAL_ARDOUR_DIR='" + folder.string() + "' LV2_PATH=\"" +
                              (folder / "lv2").string() + ":$LV2_PATH\" ardour7-lua '" + VYRTAL_ARDOUR_SCRIPTS "/" +
                              script + "' 2>&1";
  ArdourRun run{-1, {}};
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (!scratch.empty()) fs::remove_all(scratch);
    run = {-1, {}};
    if (FILE* pipe = popen(command.c_str(), "r")) {
      std::array<char, 4096> buffer{};
      while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) run.output.append(buffer.data(), n);
      run.status = pclose(pipe);
    }
    const bool killed = run.status != -1 && WIFEXITED(run.status) && WEXITSTATUS(run.status) > 128;
    if (!killed) break;
  }
  return run;
}

std::map<int, double> Parameters(const std::string& output) {
  std::map<int, double> values;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string tag;
    int index = 0;
    double value = 0.0;
    if (words >> tag >> index >> value && tag == "param") values[index] = value;
  }
  return values;
}

// The newest state Ardour saved for the plug-in.
fs::path NewestState(const fs::path& session) {
  fs::path newest;
  for (const auto& entry : fs::recursive_directory_iterator(session / "plugins")) {
    if (entry.path().filename() == "state.ttl" &&
        (newest.empty() || fs::last_write_time(entry.path()) >= fs::last_write_time(newest))) {
      newest = entry.path();
    }
  }
  return newest;
}

std::vector<float> ReadSound(const fs::path& file) {
  SF_INFO info{};
  SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
  if (sound == nullptr) return {};
  std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
  sf_readf_float(sound, samples.data(), info.frames);
  sf_close(sound);
  return samples;
}

class ArdourSession : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v ardour7-lua >/dev/null 2>&1") != 0) GTEST_SKIP() << "ardour7-lua is not installed";
    char pattern[] = "/tmp/vyrtal-ardour-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    fs::create_directories(folder / "home/.config/ardour7/scripts");
    fs::copy_file(VYRTAL_ARDOUR_SCRIPTS "/vyrtal_test_notes.lua", folder / "home/.config/ardour7/scripts/vyrtal_test_notes.lua");
    setenv("VYRTAL_BANK_EXPORT", (folder / "demo1.txt").c_str(), 1);
    setenv("VYRTAL_NOISE_SEED", "99", 1);
    ASSERT_NE(world.Plugin(), nullptr) << "the bundle is not on LV2_PATH";
  }
  void TearDown() override {
    if (!folder.empty() && !HasFailure()) fs::remove_all(folder);
  }

  // A preset whose state renames two programs and selects program 5.
  void WritePreset() {
    Instance instance(world);
    StateProperties state;
    ASSERT_EQ(instance.Save(StateProperties::Store, &state), LV2_STATE_SUCCESS);
    const std::int32_t program = 5;
    std::memcpy(state.values[Key(vyrtal::lv2::kStateProgramUri)].bytes.data(), &program, sizeof program);
    auto& names = state.values[Key(vyrtal::lv2::kStateNamesUri)].bytes;
    auto texts = lv2test::TupleStrings(names);
    texts[5] = "Dub Session";
    texts[2] = "Kept Bass";
    names = lv2test::StringTuple(texts, Key(LV2_ATOM__String));
    ASSERT_EQ(instance.Restore(StateProperties::Retrieve, &state), LV2_STATE_SUCCESS);
    LilvState* preset = instance.LilvSave();
    lilv_state_set_label(preset, "Vyrtal test preset");
    const fs::path bundle = folder / "lv2/vyrtal-test.lv2";
    fs::create_directories(bundle);
    EXPECT_EQ(lilv_state_save(world.Lilv(), world.Urids().MapFeature(), world.Urids().UnmapFeature(), preset, kPresetUri,
                              (bundle.string() + "/").c_str(), "state.ttl"),
              0);
    lilv_state_free(preset);
  }

  // What an instance restored from a state file of Ardour's saves.
  StateProperties RestoredFrom(const fs::path& file) {
    LilvState* state = lilv_state_new_from_file(world.Lilv(), world.Urids().MapFeature(), nullptr, file.c_str());
    EXPECT_NE(state, nullptr) << file;
    Instance instance(world);
    if (state != nullptr) instance.LilvRestore(state);
    lilv_state_free(state);
    EXPECT_TRUE(instance.LogMessages().empty());
    StateProperties saved;
    instance.Save(StateProperties::Store, &saved);
    return saved;
  }

  std::uint32_t Key(const char* uri) { return world.Urids().Map(uri); }

  fs::path folder;
  lv2test::World world;
};

TEST_F(ArdourSession, ReloadFindsTheSameProgramNamesAndValues) {
  WritePreset();
  const ArdourRun made = RunArdour(folder, "make_session.lua", folder / "session");
  ASSERT_EQ(made.status, 0) << made.output;
  const std::vector<float> render = ReadSound(folder / "render.wav");
  EXPECT_GT(Rms(render), 0.01) << "the export is silent";
  const fs::path savedState = NewestState(folder / "session");
  ASSERT_FALSE(savedState.empty());
  const StateProperties saved = RestoredFrom(savedState);

  const ArdourRun reloaded = RunArdour(folder, "reload_session.lua");
  ASSERT_EQ(reloaded.status, 0) << reloaded.output;
  EXPECT_EQ(Parameters(reloaded.output), Parameters(made.output));
  EXPECT_EQ(Parameters(made.output).size(), 31u);
  // Saved again after the release was moved: the reloaded instance's own state.
  const fs::path reloadedState = NewestState(folder / "session");
  ASSERT_NE(reloadedState, savedState);
  const StateProperties again = RestoredFrom(reloadedState);

  // The program and the names are those of the session; so are the values,
  // the moved controls among them, but for the release moved since.
  const std::uint32_t programKey = Key(vyrtal::lv2::kStateProgramUri), namesKey = Key(vyrtal::lv2::kStateNamesUri),
                      valuesKey = Key(vyrtal::lv2::kStateValuesUri);
  EXPECT_TRUE(again.values.at(programKey) == saved.values.at(programKey));
  EXPECT_TRUE(again.values.at(namesKey) == saved.values.at(namesKey));
  std::int32_t program = -1;
  std::memcpy(&program, again.values.at(programKey).bytes.data(), sizeof program);
  EXPECT_EQ(program, 5);
  const auto names = lv2test::TupleStrings(again.values.at(namesKey).bytes);
  EXPECT_EQ(names[5], "Dub Session");
  EXPECT_EQ(names[2], "Kept Bass");
  auto values = lv2test::Numbers(again.values.at(valuesKey).bytes);
  const auto before = lv2test::Numbers(saved.values.at(valuesKey).bytes);
  EXPECT_EQ(values.at(5 * 50 + 1), "0.75");
  EXPECT_EQ(values.at(5 * 50 + 2), "0.4");
  EXPECT_EQ(values.at(5 * 50 + 19), "1");
  EXPECT_EQ(values.at(5 * 50 + 6), "0.3");
  values.at(5 * 50 + 6) = before.at(5 * 50 + 6);
  EXPECT_EQ(values, before);
}

}  // namespace
