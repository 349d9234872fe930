// The transfer-rate line the request pool shows on the main window's status bar while a body
// arrives: "52000 bytes received at  26000 cps", or past a million bytes or 10,000 bytes a
// second "2 Mb received at  1.3 Mb/s". Pure functions; any thread.
#pragma once

#include <string>

namespace kivo {

// |value| (not negative) rounded to |decimals| places and written with optional digits only:
// no leading zero, trailing zeros of the fraction dropped, and the decimal point only when a
// digit follows it. 0 gives "", 0.5 with one place ".5", 2.0 "2", 1.25 "1.3".
std::string FormatOptionalDigits(double value, int decimals);

// The status-bar text for |bytes| received in |elapsed_seconds| (0 counts as 1e-05 s).
std::string TransferRateText(long long bytes, double elapsed_seconds);

}  // namespace kivo
