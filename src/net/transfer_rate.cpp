#include "net/transfer_rate.h"

#include <cmath>
#include <cstdio>

namespace kivo {

std::string FormatOptionalDigits(double value, int decimals) {
  if (!(value > 0)) return "";
  double scale = std::pow(10.0, decimals);
  // Halves round away from zero; the nudge keeps 1.25 from reading as 1.2499999.
  long long scaled = static_cast<long long>(std::floor(value * scale + 0.5 + 1e-9));
  long long whole = scaled / static_cast<long long>(scale);
  long long fraction = scaled % static_cast<long long>(scale);
  std::string text = whole > 0 ? std::to_string(whole) : "";
  if (fraction > 0) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*lld", decimals, fraction);
    std::string f = digits;
    while (!f.empty() && f.back() == '0') f.pop_back();
    text += "." + f;
  }
  return text;
}

std::string TransferRateText(long long bytes, double elapsed_seconds) {
  if (elapsed_seconds == 0) elapsed_seconds = 1e-05;
  double rate = std::round(static_cast<double>(bytes) / elapsed_seconds);
  if (bytes > 999999 || rate >= 10000) {
    return std::to_string(bytes / 1000000) + " Mb received at " +
           " " + FormatOptionalDigits(rate / 1000000.0, 1) + " Mb/s";
  }
  return std::to_string(bytes) + " bytes received at " + " " + FormatOptionalDigits(rate, 0) +
         " cps";
}

}  // namespace kivo
