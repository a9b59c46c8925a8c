#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <filesystem>
#include <vector>

#include "ApproxTestSupport.h"
#include "approx/BesselRootTable.h"
#include "core/SixByteReal.h"

namespace tavrin::approx {
namespace {

// Coefficients of the reverse Bessel polynomial of order n, a_k = (2n-k)! / (2^(n-k) k! (n-k)!),
// from the three-term recurrence theta_n = (2n - 1) theta_(n-1) + s^2 theta_(n-2).
std::vector<long double> BesselPolynomial(int n) {
  std::vector<long double> prev{1}, cur{1, 1};  // theta_0 = 1, theta_1 = s + 1
  if (n == 0) return prev;
  for (int m = 2; m <= n; ++m) {
    std::vector<long double> next(static_cast<std::size_t>(m) + 1, 0);
    for (std::size_t k = 0; k < cur.size(); ++k) next[k] += (2 * m - 1) * cur[k];
    for (std::size_t k = 0; k < prev.size(); ++k) next[k + 2] += prev[k];
    prev = cur;
    cur = next;
  }
  return cur;
}

TEST(BesselRootTable, TheBuiltFileIs2400BytesOfBesselPoles) {
  const auto path = testing::BuiltBesselTable();
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), kBesselTableBytes);
  BesselRootTable table;
  ASSERT_TRUE(ReadBesselRootTable(path, table));
  EXPECT_EQ(BesselPolynomial(3), (std::vector<long double>{15, 15, 6, 1}));

  for (int n = 1; n <= kBesselTableOrders; ++n) {
    // The stored poles multiply back to the polynomial, to the six-byte reals' precision.
    const auto& row = table.rows[n];
    std::vector<std::complex<long double>> roots;
    int j = 0;
    if (n % 2 != 0) roots.emplace_back(-row[j++].sigma, 0.0L);
    for (int k = 0; k < n / 2; ++k, ++j) {
      EXPECT_GT(row[j].sigma, 0) << n;
      EXPECT_GT(row[j].omega, 0) << n;
      roots.emplace_back(-row[j].sigma, row[j].omega);
      roots.emplace_back(-row[j].sigma, -row[j].omega);
      if (k > 0) {  // pair 1 nearest the imaginary axis, Q falling
        EXPECT_LT(row[j].omega / row[j].sigma, row[j - 1].omega / row[j - 1].sigma) << n;
      }
    }
    std::vector<std::complex<long double>> poly{1};
    for (auto r : roots) {
      std::vector<std::complex<long double>> next(poly.size() + 1);
      for (std::size_t k = 0; k < poly.size(); ++k) {
        next[k + 1] += poly[k];
        next[k] -= poly[k] * r;
      }
      poly = next;
    }
    const std::vector<long double> want = BesselPolynomial(n);
    ASSERT_EQ(poly.size(), want.size());
    for (std::size_t k = 0; k < want.size(); ++k) {
      EXPECT_NEAR(static_cast<double>(poly[k].real() / want[k]), 1.0, 1e-9) << "order " << n << " k " << k;
      EXPECT_NEAR(static_cast<double>(poly[k].imag() / want[k]), 0.0, 1e-9) << "order " << n << " k " << k;
    }
    // The unused entries are left empty.
    for (int rest = (n + 1) / 2; rest < kBesselRowEntries; ++rest) EXPECT_EQ(row[rest].sigma, 0) << n;
  }
}

TEST(BesselRootTable, LayoutIsTwelveBytesPerEntryInRowsOf120) {
  BesselRootTable t;
  t.rows[3][1] = {1.5, 0.25};
  t.rows[20][9] = {-2.0, 1e30};
  const BesselTableBytes bytes = EncodeBesselRootTable(t);
  EXPECT_DOUBLE_EQ(core::DecodeSixByteReal(bytes.data() + 2 * 120 + 12), 1.5);
  EXPECT_DOUBLE_EQ(core::DecodeSixByteReal(bytes.data() + 2 * 120 + 18), 0.25);
  EXPECT_NEAR(core::DecodeSixByteReal(bytes.data() + 19 * 120 + 108 + 6), 1e30, 1e19);
  const BesselRootTable back = DecodeBesselRootTable(bytes);
  EXPECT_EQ(back.rows[3][1].sigma, 1.5);
  EXPECT_EQ(back.rows[20][9].sigma, -2.0);
}

TEST(BesselRootTable, MissingOrShortFileIsRefused) {
  BesselRootTable t;
  EXPECT_FALSE(ReadBesselRootTable("/nonexistent/BessRoot.dat", t));
  EXPECT_EQ(BesselTableMissingMessage().text,
            "Unable to open file BessRoot.dat. This file should be in the application directory");
  EXPECT_EQ(BesselTableMissingMessage().kind, MessageKind::Error);
}

}  // namespace
}  // namespace tavrin::approx
