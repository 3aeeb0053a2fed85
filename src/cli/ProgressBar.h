// The progress bar of a long import, drawn on one line of a terminal and
// redrawn in place: percent of the file's bytes read, lines read and lines a
// second. The host draws it only when its standard error is a terminal.
#pragma once

#include <chrono>
#include <cstdio>

#include "voservices/ImportOptions.h"

class ProgressBar {
 public:
  explicit ProgressBar(std::FILE* out) : out_(out), start_(std::chrono::steady_clock::now()) {}
  // Leaves the terminal line empty when a bar was drawn.
  ~ProgressBar() { Clear(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // An ImportProgressFunction; userData is the ProgressBar.
  static void Report(const VoServices::ImportProgress& progress, void* userData);
  void Draw(const VoServices::ImportProgress& progress);
  // Erases the bar so that the next output starts on a clean line.
  void Clear();

 private:
  static constexpr int kWidth = 30;

  std::FILE* out_;
  std::chrono::steady_clock::time_point start_;
  bool drawn_ = false;
};
