// A one-line progress bar on a terminal for renders that take a while.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vyrtal::host {

class ProgressBar {
 public:
  // Draws on stream only when enabled and the stream is a terminal.
  ProgressBar(std::FILE* stream, bool enabled);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void update(std::int64_t done, std::int64_t total);
  // Erases the bar.
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  std::FILE* stream_;
  bool enabled_;
  bool drawn_ = false;
  Clock::time_point start_;
  Clock::time_point lastDraw_;
};

// The bar's text for a fraction done, e.g. "[#####     ]  50%".
std::string ProgressText(double fraction, int width);

}  // namespace vyrtal::host
