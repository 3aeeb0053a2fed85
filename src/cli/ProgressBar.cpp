#include "cli/ProgressBar.h"

#include <algorithm>
#include <string>

void ProgressBar::Report(const VoServices::ImportProgress& progress, void* userData) {
  static_cast<ProgressBar*>(userData)->Draw(progress);
}

void ProgressBar::Draw(const VoServices::ImportProgress& progress) {
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const double fraction =
      progress.totalBytes == 0
          ? 0
          : std::min(1.0, static_cast<double>(progress.bytesRead) / static_cast<double>(progress.totalBytes));
  const int filled = static_cast<int>(fraction * kWidth);
  const std::string bar = std::string(static_cast<size_t>(filled), '#') +
                          std::string(static_cast<size_t>(kWidth - filled), '.');
  const double linesPerSecond = seconds > 0 ? static_cast<double>(progress.linesRead) / seconds : 0;
  // \r returns to the start of the line; \033[K erases what a longer line left.
  std::fprintf(out_, "\r[%s] %3d%%  %llu lines  %.0f lines/s\033[K", bar.c_str(),
               static_cast<int>(fraction * 100), static_cast<unsigned long long>(progress.linesRead),
               linesPerSecond);
  std::fflush(out_);
  drawn_ = true;
}

void ProgressBar::Clear() {
  if (!drawn_) return;
  std::fputs("\r\033[K", out_);
  std::fflush(out_);
  drawn_ = false;
}
