#include "host/wav_writer.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <filesystem>

#include "host/host_error.h"

namespace vyrtal::host {
namespace {

std::filesystem::path TempDir() {
  auto dir = std::filesystem::temp_directory_path() / ("vyrtal-wav-test-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  return dir;
}

void WriteRamp(WavWriter& writer) {
  float left[100];
  float right[100];
  for (int i = 0; i < 100; ++i) {
    left[i] = static_cast<float>(i) / 200.0f;
    right[i] = -left[i];
  }
  const float* channels[2] = {left, right};
  writer.write(channels, 100);
}

TEST(WavWriter, WritesAndCommits) {
  const auto dir = TempDir();
  const std::string path = (dir / "out.wav").string();
  {
    WavWriter writer(path, 2, 48000, SampleFormat::Int24);
    WriteRamp(writer);
    EXPECT_FALSE(std::filesystem::exists(path));
    writer.commit();
    EXPECT_NEAR(writer.peak(), 99.0f / 200.0f, 1e-6);
  }
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(info.samplerate, 48000);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.frames, 100);
  EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24);
  float frames[200];
  EXPECT_EQ(sf_readf_float(file, frames, 100), 100);
  EXPECT_NEAR(frames[2 * 50], 0.25f, 1e-5);
  EXPECT_NEAR(frames[2 * 50 + 1], -0.25f, 1e-5);
  sf_close(file);
  std::filesystem::remove_all(dir);
}

TEST(WavWriter, LeavesNothingWithoutCommit) {
  const auto dir = TempDir();
  {
    WavWriter writer((dir / "never.wav").string(), 1, 44100, SampleFormat::Float32);
    float samples[4] = {};
    const float* channels[1] = {samples};
    writer.write(channels, 4);
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir));
  std::filesystem::remove_all(dir);
}

TEST(WavWriter, RejectsUnwritablePathsAndFormats) {
  EXPECT_THROW(WavWriter("/nonexistent/dir/out.wav", 2, 44100, SampleFormat::Int16), HostError);
  EXPECT_THROW(ParseSampleFormat("mp3"), HostError);
  EXPECT_EQ(ParseSampleFormat("s16"), SampleFormat::Int16);
}

}  // namespace
}  // namespace vyrtal::host
