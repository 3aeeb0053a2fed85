// Helpers for the maintenance tests: days computed from today's date, rows
// stored and read back through the process-wide connection.
#pragma once

#include <cstdio>
#include <string>

#include "support/Rows.h"
#include "values/DateTime.h"

// The day `days` away from `day` (negative: earlier).
inline vo::DateTime Shifted(vo::DateTime day, int days) {
  if (days < 0) day.Subtract(0, 0, -days, 0, 0, 0);
  else day.Add(0, 0, days, 0, 0, 0);
  return day;
}

inline vo::DateTime DayFromToday(int days) { return Shifted(vo::DateTime::Now(), days); }

// "YYYY-MM-DD hh:mm:ss", the form dates are stored and read in.
inline std::string Stored(const vo::DateTime& day, const char* time) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %s", day.year(), day.month(), day.day(), time);
  return text;
}

// "MM/DD/YYYY hh:mm:ss", the display form.
inline std::string Display(const vo::DateTime& day, const char* time) {
  char text[40];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d %s", day.month(), day.day(), day.year(), time);
  return text;
}
