// Numbers, currency and dates as the platform's US English texts.
#include "core/number_formatting.h"

#include <charconv>
#include <cmath>
#include <string>

namespace brivet::detail {

namespace {

Text Ascii(const std::string& s) { return Text(s.begin(), s.end()); }

// The exact decimal digits of a finite, non-zero |v| rounded to `precision`
// significant digits, halves away from zero; returns the decimal exponent of
// the first digit.
int RoundedDigits(double v, int precision, std::string& digits) {
  // Every double has an exact decimal form of at most 767 significant digits.
  char buf[800];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 770);
  const std::string s(buf, res.ptr);
  const size_t epos = s.find('e');
  int exp10 = std::stoi(s.substr(epos + 1));
  std::string all = s.substr(0, 1) + s.substr(2, epos - 2);
  digits = all.substr(0, precision);
  if (all[precision] >= '5') {
    int i = precision - 1;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      digits.insert(digits.begin(), '1');
      digits.pop_back();
      ++exp10;
    }
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  return exp10;
}

// Days since 1899-12-30 to a civil date (proleptic Gregorian calendar).
void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  // Days since 0000-03-01, split into 400-year eras of 146097 days.
  const int64_t z = days + 693899;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

// Like the C library's %.<precision>G, with the exponent as E+nn.
Text RealText(double v, int precision) {
  if (v == 0) return u"0";  // also negative zero
  if (std::isnan(v)) return u"NaN";
  if (std::isinf(v)) return v > 0 ? u"INF" : u"-INF";
  std::string digits;
  const int e = RoundedDigits(v, precision, digits);
  std::string out = v < 0 ? "-" : "";
  if (e < -4 || e >= precision) {
    out += digits[0];
    if (digits.size() > 1) out.append(1, '.').append(digits, 1);
    const int ae = e < 0 ? -e : e;
    out += e < 0 ? "E-" : "E+";
    if (ae < 10) out += '0';
    out += std::to_string(ae);
  } else if (e >= 0) {
    const size_t int_len = static_cast<size_t>(e) + 1;
    out.append(digits, 0, int_len);
    if (digits.size() < int_len) out.append(int_len - digits.size(), '0');
    if (digits.size() > int_len) out.append(1, '.').append(digits, int_len);
  } else {
    out.append("0.").append(static_cast<size_t>(-e - 1), '0').append(digits);
  }
  return Ascii(out);
}

Text CurrencyText(int64_t scaled) {
  const bool neg = scaled < 0;
  // Magnitude without overflow for the most negative value.
  const uint64_t mag = neg ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  std::string out = neg ? "-" : "";
  out += std::to_string(mag / 10000);
  std::string frac = std::to_string(mag % 10000);
  frac = std::string(4 - frac.size(), '0') + frac;
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  if (!frac.empty()) out += "." + frac;
  return Ascii(out);
}

// The platform's date text for locale 1033: "M/d/yyyy h:mm:ss tt", the date
// alone when the time is zero and the time alone when the day is zero. The
// time is rounded to the second, which can carry into the next day.
Text DateText(double date) {
  constexpr double kMinDate = -657434.0;  // 100-01-01
  constexpr double kMaxDate = 2958465.0;  // 9999-12-31
  if (!(date > kMinDate - 1.0 && date < kMaxDate + 1.0)) throw Error::InvalidCall();

  const double whole = std::trunc(date);
  const double partial = date - whole;
  const bool time_only = whole == 0.0;
  const bool date_only = !time_only && partial > -1e-12 && partial < 1e-12;

  // Time of day: the fraction's magnitude (negative dates count the time
  // forwards from midnight too), nudged against truncation.
  double t = std::fabs(date - whole) + 0.00000000001;
  if (t >= 1.0) t -= 0.00000000001;
  t *= 24.0;
  int hour = static_cast<int>(t);
  t -= hour;
  t *= 60.0;
  int minute = static_cast<int>(t);
  t -= minute;
  t *= 60.0;
  int second = static_cast<int>(t);
  t -= second;
  int64_t day_number = static_cast<int64_t>(whole);
  if (t > 0.5 && ++second == 60) {
    second = 0;
    if (++minute == 60) {
      minute = 0;
      if (++hour == 24) {
        hour = 0;
        ++day_number;
      }
    }
  }

  std::string out;
  if (!time_only) {
    int y, m, d;
    CivilFromDays(day_number, y, m, d);
    out = std::to_string(m) + "/" + std::to_string(d) + "/" + std::to_string(y);
  }
  if (!date_only) {
    if (!out.empty()) out += ' ';
    const int h12 = hour % 12 == 0 ? 12 : hour % 12;
    out += std::to_string(h12) + ":" + (minute < 10 ? "0" : "") + std::to_string(minute) + ":" +
           (second < 10 ? "0" : "") + std::to_string(second) + (hour < 12 ? " AM" : " PM");
  }
  return Ascii(out);
}

}  // namespace brivet::detail
