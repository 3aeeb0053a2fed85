#include "ledgerdb/StoredForms.h"

#include <charconv>
#include <limits>

namespace vo {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A small cursor over the text; every reader leaves it just past what it read.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  bool Take(char c) {
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }
  void SkipBlanks() {
    while (IsBlank(Peek())) ++pos_;
  }
  // Reads 1 to maxDigits digits; false when there is no digit or too many.
  bool Number(int& value, int& digits, int maxDigits) {
    value = 0;
    digits = 0;
    while (IsDigit(Peek())) {
      if (++digits > maxDigits) return false;
      value = value * 10 + (text_[pos_++] - '0');
    }
    return digits > 0;
  }
  // Takes a word, ignoring case.
  bool TakeWord(std::string_view word) {
    if (text_.size() - pos_ < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
      char c = text_[pos_ + i];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (c != word[i]) return false;
    }
    pos_ += word.size();
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

struct Fields {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

int DaysIn(int month, int year) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool Valid(const Fields& f) {
  return f.year >= 1 && f.year <= 9999 && f.month >= 1 && f.month <= 12 && f.day >= 1 &&
         f.day <= DaysIn(f.month, f.year) && f.hour <= 23 && f.minute <= 59 && f.second <= 59;
}

int WindowYear(int year, int digits) {
  if (digits > 2) return year;
  return year < 30 ? 2000 + year : 1900 + year;
}

// The optional time after a date: [blank or T] h:m[:s] [AM|PM], then the end.
bool ReadTime(Cursor& in, Fields& f) {
  if (in.AtEnd()) return true;
  if (!in.Take('T')) {
    if (!IsBlank(in.Peek())) return false;
    in.SkipBlanks();
  }
  int digits = 0;
  if (!in.Number(f.hour, digits, 2) || !in.Take(':') || !in.Number(f.minute, digits, 2)) {
    return false;
  }
  if (in.Take(':') && !in.Number(f.second, digits, 2)) return false;
  in.SkipBlanks();
  bool pm = in.TakeWord("PM");
  if (pm || in.TakeWord("AM")) {
    if (f.hour < 1 || f.hour > 12) return false;
    f.hour = f.hour % 12 + (pm ? 12 : 0);
  }
  return in.AtEnd();
}

// Three numbers separated by `separator`; their digit counts tell the order.
bool ReadSeparatedDate(Cursor& in, char separator, Fields& f) {
  int a = 0, b = 0, c = 0, da = 0, db = 0, dc = 0;
  if (!in.Number(a, da, 4) || !in.Take(separator) || !in.Number(b, db, 2) ||
      !in.Take(separator) || !in.Number(c, dc, 4)) {
    return false;
  }
  bool yearFirst = separator == '-' && dc <= 2;  // Y-M-D unless the last part is a long year
  if (yearFirst) {
    f.year = WindowYear(a, da);
    f.month = b;
    f.day = c;
  } else {
    if (da > 2) return false;
    f.month = a;
    f.day = b;
    f.year = WindowYear(c, dc);
  }
  return ReadTime(in, f);
}

StoredForm ReadPacked(std::string_view text, Fields& f) {
  uint64_t packed = 0;
  for (char c : text) {
    if (!IsDigit(c)) return StoredForm::kInvalid;
    if (packed > (std::numeric_limits<uint64_t>::max() - 9) / 10) return StoredForm::kInvalid;
    packed = packed * 10 + static_cast<uint64_t>(c - '0');
  }
  f.year = static_cast<int>(packed >> 48);
  f.month = static_cast<int>((packed >> 40) & 0xff);
  f.day = static_cast<int>((packed >> 32) & 0xff);
  f.hour = static_cast<int>((packed >> 24) & 0xff);
  f.minute = static_cast<int>((packed >> 16) & 0xff);
  f.second = static_cast<int>((packed >> 8) & 0xff);
  return StoredForm::kValue;
}

void Put(char*& out, int value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  out += width;
}

}  // namespace

StoredForm NormaliseDate(std::string_view text, std::string& normalised) {
  text = Trim(text);
  if (text.empty()) return StoredForm::kNull;

  Fields f;
  if (text.find('/') != std::string_view::npos) {
    Cursor in(text);
    if (!ReadSeparatedDate(in, '/', f)) return StoredForm::kInvalid;
  } else if (text.find('-') != std::string_view::npos) {
    Cursor in(text);
    if (!ReadSeparatedDate(in, '-', f)) return StoredForm::kInvalid;
  } else {
    StoredForm packed = ReadPacked(text, f);
    if (packed != StoredForm::kValue) return packed;
  }
  if (!Valid(f)) return StoredForm::kInvalid;

  char buffer[19];
  char* out = buffer;
  Put(out, f.year, 4);
  *out++ = '-';
  Put(out, f.month, 2);
  *out++ = '-';
  Put(out, f.day, 2);
  *out++ = ' ';
  Put(out, f.hour, 2);
  *out++ = ':';
  Put(out, f.minute, 2);
  *out++ = ':';
  Put(out, f.second, 2);
  normalised.assign(buffer, sizeof buffer);
  return StoredForm::kValue;
}

StoredForm ParseAmount(std::string_view text, int64_t& millionths) {
  text = Trim(text);
  if (text.empty()) return StoredForm::kNull;

  bool negative = false;
  if (text.front() == '(') {
    if (text.back() != ')') return StoredForm::kInvalid;
    text = Trim(text.substr(1, text.size() - 2));
    negative = true;
  }
  bool signSeen = false;
  auto takeSign = [&] {
    if (signSeen || text.empty() || (text.front() != '-' && text.front() != '+')) return;
    if (negative && text.front() == '-') return;  // "(-5)" stays invalid below
    negative = negative || text.front() == '-';
    signSeen = true;
    text.remove_prefix(1);
  };
  takeSign();
  if (!text.empty() && text.front() == '$') text.remove_prefix(1);
  takeSign();

  // Significant digits and the power of ten that scales them.
  char digits[40];
  int count = 0;
  int scale = 0;
  auto addDigit = [&](char c, bool fraction) {
    if (count == 0 && c == '0') {
      if (fraction) --scale;
      return;
    }
    if (count < static_cast<int>(sizeof digits)) {
      digits[count++] = c;
      if (fraction) --scale;
    } else if (!fraction) {
      ++scale;  // beyond 40 significant digits only the magnitude matters
    }
  };

  size_t i = 0;
  int groupDigits = 0;
  int groups = 0;
  bool anyDigit = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (IsDigit(c)) {
      addDigit(c, false);
      ++groupDigits;
      anyDigit = true;
    } else if (c == ',') {
      // Thousands groups: 1 to 3 digits first, exactly 3 after every comma.
      if (groupDigits == 0 || groupDigits > 3 || (groups > 0 && groupDigits != 3)) {
        return StoredForm::kInvalid;
      }
      ++groups;
      groupDigits = 0;
    } else {
      break;
    }
  }
  if (groups > 0 && groupDigits != 3) return StoredForm::kInvalid;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i) {
      addDigit(text[i], true);
      anyDigit = true;
    }
  }
  if (!anyDigit) return StoredForm::kInvalid;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool expNegative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) expNegative = text[i++] == '-';
    int exponent = 0;
    size_t start = i;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
      if (exponent > 1000) return StoredForm::kInvalid;
      exponent = exponent * 10 + (text[i] - '0');
    }
    if (i == start) return StoredForm::kInvalid;
    scale += expNegative ? -exponent : exponent;
  }
  if (i != text.size()) return StoredForm::kInvalid;

  // value = digits * 10^scale; millionths = digits * 10^(scale + 6).
  int shift = scale + 6;
  int kept = count + (shift < 0 ? shift : 0);  // digits left of the rounding point
  uint64_t magnitude = 0;
  constexpr uint64_t kLimit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  auto push = [&](int digit) {
    if (magnitude > (kLimit - static_cast<uint64_t>(digit)) / 10) return false;
    magnitude = magnitude * 10 + static_cast<uint64_t>(digit);
    return true;
  };
  for (int d = 0; d < kept && d < count; ++d) {
    if (!push(digits[d] - '0')) return StoredForm::kInvalid;
  }
  for (int z = 0; z < shift && count > 0; ++z) {
    if (!push(0)) return StoredForm::kInvalid;
  }
  if (kept >= 0 && kept < count && digits[kept] >= '5') {
    if (magnitude == kLimit) return StoredForm::kInvalid;
    ++magnitude;
  }
  millionths = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return StoredForm::kValue;
}

StoredForm ParseWholeNumber(std::string_view text, int64_t& value) {
  text = Trim(text);
  if (text.empty()) return StoredForm::kNull;
  bool negative = text.front() == '-';
  if (negative || text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.size() > 18) return StoredForm::kInvalid;
  int64_t result = 0;
  for (char c : text) {
    if (!IsDigit(c)) return StoredForm::kInvalid;
    result = result * 10 + (c - '0');
  }
  value = negative ? -result : result;
  return StoredForm::kValue;
}

std::string FormatMillionths(int64_t millionths) {
  uint64_t magnitude = millionths < 0 ? 0 - static_cast<uint64_t>(millionths)
                                      : static_cast<uint64_t>(millionths);
  char text[32];
  char* end = text;
  if (millionths < 0) *end++ = '-';
  end = std::to_chars(end, text + sizeof text, magnitude / 1000000).ptr;
  // The fraction's six digits, less its trailing zeros.
  unsigned fraction = static_cast<unsigned>(magnitude % 1000000);
  if (fraction != 0) {
    *end++ = '.';
    for (unsigned unit = 100000; fraction != 0; unit /= 10) {
      *end++ = static_cast<char>('0' + fraction / unit);
      fraction %= unit;
    }
  }
  return std::string(text, end);
}

}  // namespace vo
