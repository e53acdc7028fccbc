// Writes interleaved WAV files with libsndfile into a temporary file beside
// the destination, renamed into place by commit(): a failed render leaves
// no output file behind.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/render_engine.h"

namespace vyrtal::host {

enum class SampleFormat { Float32, Int16, Int24 };

// "f32", "s16" or "s24"; throws HostError for anything else.
SampleFormat ParseSampleFormat(const std::string& text);

class WavWriter : public AudioSink {
 public:
  // Throws HostError when the file cannot be created.
  WavWriter(const std::string& path, int channels, int sampleRate, SampleFormat format);
  ~WavWriter() override;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  void write(const float* const* channels, VstInt32 frames) override;
  // Closes the file and moves it to its destination.
  void commit();

  // Peak and RMS of everything written, over all channels.
  float peak() const { return peak_; }
  double rms() const;

 private:
  struct SndFileCloser {
    void operator()(void* file) const;
  };

  std::string path_;
  std::string temporaryPath_;
  int channels_;
  std::unique_ptr<void, SndFileCloser> file_;
  std::vector<float> interleaved_;
  float peak_ = 0.0f;
  double sumOfSquares_ = 0.0;
  std::int64_t samples_ = 0;
  bool committed_ = false;
};

}  // namespace vyrtal::host
