// A calendar date and time of day read from the text forms found in database
// cells and broker files (M/D/Y, Y-M-D, packed decimal), with a packed 64-bit
// form that orders date-times and whose upper 32 bits identify the day.
// The all-zero value means "no date".
#pragma once

#include <cstdint>
#include <string>

namespace vo {

class DateTime {
 public:
  DateTime() = default;
  explicit DateTime(const std::string& text) { ParseText(text); }
  explicit DateTime(uint64_t packed);

  // Replaces all six fields from M/D/Y[ h:m:s], Y-M-D[ h:m:s] or packed text.
  void ParseText(const std::string& text);
  // Packed value of the looser broker forms ("1/16/09 9:30 PM", "1-16-2009").
  static uint64_t ParseLoose(const std::string& text);

  uint64_t packed() const;
  std::string ToDisplayText() const;  // MM/DD/YYYY HH:MM:SS
  std::string ToPackedText() const;   // the packed value in decimal
  bool IsZero() const { return packed() == 0; }

  uint16_t year() const { return year_; }
  uint8_t month() const { return month_; }
  uint8_t day() const { return day_; }
  uint8_t hour() const { return hour_; }
  uint8_t minute() const { return minute_; }
  uint8_t second() const { return second_; }

  // Shift in place with carries (Add) or borrows (Subtract); amounts >= 0.
  void Add(int years, int months, int days, int hours, int minutes, int seconds);
  void Subtract(int years, int months, int days, int hours, int minutes, int seconds);

  static DateTime UtcNow();
  // UTC to local standard time by the platform's base bias (no daylight saving).
  void ToLocal();
  void ToLocal(int biasMinutes);
  static DateTime Now();

  static int DaysInMonth(int month, int year);
  // HeldType value: 1 short, 2 long, 3 very long term.
  static int HeldTerm(const std::string& openText, const std::string& closeText);

 private:
  uint16_t year_ = 0;
  uint8_t month_ = 0;
  uint8_t day_ = 0;
  uint8_t hour_ = 0;
  uint8_t minute_ = 0;
  uint8_t second_ = 0;
};

}  // namespace vo
