#include "host/progress_bar.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace vyrtal::host {
namespace {

constexpr auto kFirstDrawAfter = std::chrono::milliseconds(300);
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr int kBarWidth = 40;

}  // namespace

std::string ProgressText(double fraction, int width) {
  fraction = std::clamp(fraction, 0.0, 1.0);
  const int filled = static_cast<int>(std::floor(fraction * width));
  std::string text = "[";
  text.append(static_cast<std::size_t>(filled), '#');
  text.append(static_cast<std::size_t>(width - filled), ' ');
  const int percent = static_cast<int>(std::floor(fraction * 100.0));
  text += "] " + std::string(percent < 10 ? "  " : percent < 100 ? " " : "") + std::to_string(percent) + "%";
  return text;
}

ProgressBar::ProgressBar(std::FILE* stream, bool enabled)
    : stream_(stream), enabled_(enabled && isatty(fileno(stream)) != 0), start_(Clock::now()), lastDraw_(start_) {}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::update(std::int64_t done, std::int64_t total) {
  if (!enabled_) return;
  const auto now = Clock::now();
  if (now - start_ < kFirstDrawAfter || (drawn_ && now - lastDraw_ < kRedrawEvery)) return;
  lastDraw_ = now;
  drawn_ = true;
  const double fraction = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 0.0;
  std::fprintf(stream_, "\rrendering %s", ProgressText(fraction, kBarWidth).c_str());
  std::fflush(stream_);
}

void ProgressBar::finish() {
  if (!drawn_) return;
  std::fprintf(stream_, "\r%*s\r", kBarWidth + 20, "");
  std::fflush(stream_);
  drawn_ = false;
}

}  // namespace vyrtal::host
