// The bar length against an exact model of extended floating point (64-bit
// mantissa, round to nearest even after each operation) and, where long double
// is that format, against the machine's own arithmetic.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>

#include "Gauges.h"

namespace {

using u128 = unsigned __int128;

// An exact binary value: mantissa * 2^exponent.
struct Exact {
  u128 mantissa;
  int exponent;
};

// The 64-bit-mantissa value nearest to v, ties to the even mantissa.
Exact RoundTo64Bits(Exact v) {
  const u128 limit = u128{1} << 64;
  int dropped = 0;
  while ((v.mantissa >> dropped) >= limit) ++dropped;
  if (dropped == 0) return v;
  const u128 kept = v.mantissa >> dropped;
  const u128 lost = v.mantissa - (kept << dropped);
  const u128 unit = u128{1} << dropped;
  u128 rounded = kept;
  if (2 * lost > unit || (2 * lost == unit && kept % 2 == 1)) rounded += 1;
  return RoundTo64Bits(Exact{rounded, v.exponent + dropped});
}

// The extended value nearest to 1/100, derived here from 2^70 / 100.
Exact Hundredth() {
  const u128 scale = u128{1} << 70;
  u128 q = scale / 100;
  if (2 * (scale % 100) >= 100) q += 1;  // no tie: 2^70 is not a multiple of 50
  return Exact{q, -70};
}

long long ModelBarLength(int p, int n) {
  const Exact c = Hundredth();
  const Exact q = RoundTo64Bits(Exact{c.mantissa * static_cast<unsigned>(p), c.exponent});
  const Exact r = RoundTo64Bits(Exact{q.mantissa * static_cast<unsigned>(n), q.exponent});
  if (r.exponent >= 0) return static_cast<long long>(r.mantissa << r.exponent);
  if (r.exponent <= -128) return 0;
  return static_cast<long long>(r.mantissa >> -r.exponent);
}

TEST(GaugeBarLength, ModelConstantLiesJustBelowOneHundredth) {
  const Exact c = Hundredth();
  ASSERT_GE(c.mantissa, u128{1} << 63);
  ASSERT_LT(c.mantissa, u128{1} << 64);
  EXPECT_LT(c.mantissa * 100, u128{1} << 70);
}

TEST(GaugeBarLength, KnownLengths) {
  struct Case {
    int p, n, expected;
  };
  const Case cases[] = {
      {5, 100, 4},     {10, 10, 0},         {20, 10, 1}, {0, 342, 0}, {50, 342, 171}, {100, 1, 1}, {100, 10, 10},
      {100, 342, 342}, {100, 65535, 65535}, {1, 100, 1}, {1, 99, 0},  {0, 0, 0},      {37, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(GaugeBarLength(c.p, c.n), c.expected) << c.p << "% of " << c.n;
}

TEST(GaugeBarLength, FullBarIsAlwaysTheWholeLength) {
  for (int n = 0; n <= 65535; ++n) ASSERT_EQ(GaugeBarLength(100, n), n) << n;
}

TEST(GaugeBarLength, MainWindowBarIsExactForEveryPercentage) {
  for (int p = 0; p <= 100; ++p) EXPECT_EQ(GaugeBarLength(p, 342), 342 * p / 100) << p;
}

TEST(GaugeBarLength, MatchesExactModelForEveryPercentageAndLength) {
  int mismatches = 0;
  for (int p = 0; p <= 100; ++p)
    for (int n = 0; n <= 65535; ++n)
      if (GaugeBarLength(p, n) != ModelBarLength(p, n) && ++mismatches <= 10)
        ADD_FAILURE() << p << "% of " << n << ": " << GaugeBarLength(p, n) << " vs model " << ModelBarLength(p, n);
  EXPECT_EQ(mismatches, 0);
}

TEST(GaugeBarLength, ModelMatchesMachineExtendedArithmetic) {
#if LDBL_MANT_DIG == 64
  // 0.01L is the extended value nearest 0.01; each product rounds to 64 bits.
  for (int p = 0; p <= 100; ++p) {
    for (int n = 0; n <= 65535; ++n) {
      volatile long double q = static_cast<long double>(p) * 0.01L;
      volatile long double r = q * static_cast<long double>(n);
      ASSERT_EQ(static_cast<long long>(r), ModelBarLength(p, n)) << p << "% of " << n;
    }
  }
#else
  GTEST_SKIP() << "long double is not the 64-bit-mantissa format here";
#endif
}

}  // namespace
