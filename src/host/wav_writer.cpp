#include "host/wav_writer.h"

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "host/host_error.h"

namespace vyrtal::host {

SampleFormat ParseSampleFormat(const std::string& text) {
  if (text == "f32") return SampleFormat::Float32;
  if (text == "s16") return SampleFormat::Int16;
  if (text == "s24") return SampleFormat::Int24;
  throw HostError("unknown sample format '" + text + "' (use f32, s16 or s24)");
}

void WavWriter::SndFileCloser::operator()(void* file) const { sf_close(static_cast<SNDFILE*>(file)); }

WavWriter::WavWriter(const std::string& path, int channels, int sampleRate, SampleFormat format)
    : path_(path), channels_(channels) {
  const std::filesystem::path destination(path);
  temporaryPath_ = (destination.parent_path() / ("." + destination.filename().string() + ".partial-" +
                                                 std::to_string(getpid())))
                       .string();
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = channels;
  switch (format) {
    case SampleFormat::Float32:
      info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
      break;
    case SampleFormat::Int16:
      info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
      break;
    case SampleFormat::Int24:
      info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
      break;
  }
  SNDFILE* file = sf_open(temporaryPath_.c_str(), SFM_WRITE, &info);
  if (file == nullptr) throw HostError("cannot write " + path + ": " + sf_strerror(nullptr));
  file_.reset(file);
  // Integer formats clip rather than wrap when a plug-in goes past full scale.
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

WavWriter::~WavWriter() {
  if (!committed_) {
    file_.reset();
    std::remove(temporaryPath_.c_str());
  }
}

void WavWriter::write(const float* const* channels, VstInt32 frames) {
  interleaved_.resize(static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels_));
  std::size_t k = 0;
  for (VstInt32 i = 0; i < frames; ++i) {
    for (int c = 0; c < channels_; ++c) {
      const float sample = channels[c][i];
      interleaved_[k++] = sample;
      peak_ = std::max(peak_, std::fabs(sample));
      sumOfSquares_ += static_cast<double>(sample) * sample;
    }
  }
  samples_ += static_cast<std::int64_t>(k);
  const auto written = sf_writef_float(static_cast<SNDFILE*>(file_.get()), interleaved_.data(), frames);
  if (written != frames) throw HostError("cannot write " + path_ + ": " + sf_strerror(static_cast<SNDFILE*>(file_.get())));
}

void WavWriter::commit() {
  file_.reset();
  if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
    std::remove(temporaryPath_.c_str());
    committed_ = true;
    throw HostError("cannot move the render into place at " + path_);
  }
  committed_ = true;
}

double WavWriter::rms() const { return samples_ > 0 ? std::sqrt(sumOfSquares_ / static_cast<double>(samples_)) : 0.0; }

}  // namespace vyrtal::host
