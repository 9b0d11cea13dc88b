// Numeric constants: mathematical constants and the limits of the number types, in 80-bit
// extended precision, and the log-factorial table.
#pragma once

#include <array>
#include <cstdint>

#include "xan/platform/export.h"

namespace xan {

// Each decimal below reproduces the stored extended value exactly when rounded to that format.
inline constexpr long double uc_e = 2.7182818284590452352L;             // e
inline constexpr long double uc_etom1 = 0.3678794411714423216L;         // 1/e
inline constexpr long double uc_lg2 = 0.3010299956639811952L;           // log10 2
inline constexpr long double uc_lg5 = 0.6989700043360188048L;           // log10 5
inline constexpr long double uc_lge = 0.43429448190325182765L;          // log10 e
inline constexpr long double uc_lgPi = 0.49714987269413385437L;         // log10 pi
inline constexpr long double uc_ln10 = 2.302585092994045684L;           // ln 10
inline constexpr long double uc_ln2 = 0.6931471805599453094L;           // ln 2
inline constexpr long double uc_lnPi = 1.1447298858494001741L;          // ln pi
inline constexpr long double uc_PiH = 1.5707963267948966193L;           // pi/2
inline constexpr long double uc_PiSqr = 9.8696044010893586185L;         // pi^2
inline constexpr long double uc_Pitom1 = 0.3183098861837906715L;        // 1/pi
inline constexpr long double uc_sqrt2 = 1.4142135623730950489L;         // sqrt 2
inline constexpr long double uc_sqrt2pi = 2.5066282746310005023L;       // sqrt(2 pi)
inline constexpr long double uc_sqrt2pitom1 = 0.39894228040143267793L;  // 1/sqrt(2 pi)
inline constexpr long double uc_GoldenR = 1.6180339887498948481L;       // golden ratio

// Limits of the number types.
inline constexpr long double uc_MinReal = 2.9e-39L;  // smallest magnitude of the 6-byte real
inline constexpr long double uc_MaxReal = 1.7e38L;   // largest magnitude of the 6-byte real
inline constexpr long double uc_MinSingle = 1.5e-45L;
inline constexpr long double uc_MaxSingle = 3.4e38L;
inline constexpr long double uc_MinDouble = 5e-324L;
inline constexpr long double uc_MaxDouble = 1.6999999999999999999e308L;  // 1.7e308 rounded down
inline constexpr int64_t uc_MaxInt64 = 9223372036854775807LL;
inline constexpr long double uc_MinExtended = 0x1p-16445L;  // smallest positive (denormal) value
inline constexpr long double uc_MaxExtended = 1.1e4932L;

// Their natural logarithms.
inline constexpr long double uc_lnMinDouble = -744.4281322176367013L;
inline constexpr long double uc_lnMaxDouble = 709.7268368932282411L;     // ln 1.7e308
inline constexpr long double uc_lnMaxExtended = 11356.444988826437639L;  // ln 1.1e4932
// ln 3.6e-4951: the smallest extended value taken as 3.6e-4951, 0.0125 below ln 2^-16445.
inline constexpr long double uc_lnMinExtended = -11398.817861568058117L;
inline constexpr long double uc_lnMaxInt64 = 43.668272375276554493L;
inline constexpr long double uc_lnMinReal = -88.73610788977535333L;    // ln 2.9e-39
inline constexpr long double uc_lnMaxReal = 88.028861784835906394L;    // ln 1.7e38
inline constexpr long double uc_lnMinSingle = -103.2108640766238914L;  // ln 1.5e-45
inline constexpr long double uc_lnMaxSingle = 88.7220089653958517L;    // ln 3.4e38

// ln(n!) for n = 0..1000, each rounded to 15 significant digits: a fast lookup of log-factorials.
//   uc_LnFactorial[0] => 0,  [2] => 0.693147180559945,  [1000] => 5912.12817848816
XAN_EXPORT extern const std::array<double, 1001> uc_LnFactorial;

}  // namespace xan
