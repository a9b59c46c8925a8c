// make_bessroot: computes the poles of the Bessel polynomials of orders 1 to 20 and writes
// the 2400-byte root table the Bessel slot reads.
//
// The roots are those of the reverse Bessel polynomial theta_n(s) = sum a_k s^k with the
// integer coefficients a_k = (2n - k)! / (2^(n - k) k! (n - k)!), i.e. the scale of unit
// group delay at DC (the program renormalizes every order to its passband edge anyway).
// They are found with the Aberth-Ehrlich iteration in long double, polished by Newton's
// method in 113-bit quadruple precision on the exact coefficients, rounded to double, and
// then verified against the polynomial: every double root must sit within a few units in
// the last place of a true root, and the roots together must give back the coefficients.
// Any failed check stops the build.
#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "approx/BesselRootTable.h"

namespace {

__extension__ typedef __float128 Quad;
__extension__ typedef unsigned __int128 U128;

constexpr int kMaxOrder = tavrin::approx::kBesselTableOrders;

struct QComplex {
  Quad re = 0;
  Quad im = 0;
};
QComplex operator+(QComplex a, QComplex b) {
  return {a.re + b.re, a.im + b.im};
}
QComplex operator-(QComplex a, QComplex b) {
  return {a.re - b.re, a.im - b.im};
}
QComplex operator*(QComplex a, QComplex b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
QComplex operator/(QComplex a, QComplex b) {
  const Quad d = b.re * b.re + b.im * b.im;
  return {(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
}
Quad Norm2(QComplex a) {
  return a.re * a.re + a.im * a.im;
}
Quad QAbs(Quad x) {
  return x < 0 ? -x : x;
}

// Exact integer coefficients, a[k] for k = 0..n, from a_n = 1 and
// a_k = a_(k+1) (2n - k)(k + 1) / (2 (n - k)).
std::vector<U128> Coefficients(int n) {
  std::vector<U128> a(static_cast<std::size_t>(n) + 1);
  a[static_cast<std::size_t>(n)] = 1;
  for (int k = n - 1; k >= 0; --k) {
    const U128 num = a[static_cast<std::size_t>(k) + 1] * static_cast<U128>((2 * n - k) * (k + 1));
    const U128 den = static_cast<U128>(2 * (n - k));
    if (num % den != 0) {
      std::fprintf(stderr, "make_bessroot: coefficient %d of order %d is not an integer\n", k, n);
      std::exit(1);
    }
    a[static_cast<std::size_t>(k)] = num / den;
  }
  return a;
}

// p(z) and p'(z) by Horner's rule.
template <typename C, typename R>
void Evaluate(const std::vector<R>& a, C z, C& p, C& dp) {
  p = C{};
  dp = C{};
  for (std::size_t k = a.size(); k-- > 0;) {
    dp = dp * z + p;
    p = p * z + C{a[k], 0};
  }
}

using LComplex = std::complex<long double>;

std::vector<LComplex> Aberth(const std::vector<long double>& a) {
  const int n = static_cast<int>(a.size()) - 1;
  const long double radius = std::pow(a[0] / a[static_cast<std::size_t>(n)], 1.0L / n);
  std::vector<LComplex> z(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const long double angle = 2.0L * 3.141592653589793238462643383279503L * (i + 0.25L) / n + 0.4L;
    z[static_cast<std::size_t>(i)] = std::polar(radius, angle);
  }
  for (int iter = 0; iter < 2000; ++iter) {
    long double largest = 0;
    for (int i = 0; i < n; ++i) {
      LComplex p = 0, dp = 0;
      for (std::size_t k = a.size(); k-- > 0;) {
        dp = dp * z[static_cast<std::size_t>(i)] + p;
        p = p * z[static_cast<std::size_t>(i)] + a[k];
      }
      const LComplex ratio = p / dp;
      LComplex repulsion = 0;
      for (int j = 0; j < n; ++j)
        if (j != i) repulsion += 1.0L / (z[static_cast<std::size_t>(i)] - z[static_cast<std::size_t>(j)]);
      const LComplex step = ratio / (1.0L - ratio * repulsion);
      z[static_cast<std::size_t>(i)] -= step;
      largest = std::max(largest, std::abs(step) / std::abs(z[static_cast<std::size_t>(i)]));
    }
    if (largest < 1e-17L) break;
  }
  return z;
}

[[noreturn]] void Fail(int n, const std::string& what) {
  std::fprintf(stderr, "make_bessroot: order %d: %s\n", n, what.c_str());
  std::exit(1);
}

struct Root {
  double re = 0;
  double im = 0;
};

std::vector<Root> Roots(int n) {
  const std::vector<U128> exact = Coefficients(n);
  std::vector<Quad> aq;
  std::vector<long double> al;
  for (U128 c : exact) {
    aq.push_back(static_cast<Quad>(c));
    al.push_back(static_cast<long double>(c));
  }
  std::vector<LComplex> start = Aberth(al);

  std::vector<Root> roots;
  for (const LComplex& s : start) {
    QComplex z{static_cast<Quad>(s.real()), static_cast<Quad>(s.imag())};
    for (int iter = 0; iter < 50; ++iter) {
      QComplex p, dp;
      Evaluate(aq, z, p, dp);
      const QComplex step = p / dp;
      z = z - step;
      if (Norm2(step) <= Norm2(z) * static_cast<Quad>(1e-60)) break;
    }
    roots.push_back({static_cast<double>(z.re), static_cast<double>(z.im)});
  }

  // Verification of the double roots against the exact polynomial.
  for (const Root& r : roots) {
    QComplex z{r.re, r.im};
    QComplex p, dp;
    Evaluate(aq, z, p, dp);
    // The Newton correction is the distance to the true root: at most 4 units of 2^-53
    // of the root's magnitude.
    const Quad dist2 = Norm2(p / dp);
    const Quad limit =
        Norm2(z) * static_cast<Quad>(std::ldexp(4.0, -53)) * static_cast<Quad>(std::ldexp(4.0, -53));
    if (!(dist2 <= limit)) Fail(n, "a root is not accurate to double precision");
    if (!(r.re < 0)) Fail(n, "a root is not in the left half plane");
  }
  for (std::size_t i = 0; i < roots.size(); ++i)
    for (std::size_t j = i + 1; j < roots.size(); ++j)
      if (std::hypot(roots[i].re - roots[j].re, roots[i].im - roots[j].im) < 1e-6)
        Fail(n, "two roots coincide");
  // The roots multiply back to the polynomial.
  std::vector<QComplex> poly{{1, 0}};
  for (const Root& r : roots) {
    std::vector<QComplex> next(poly.size() + 1);
    for (std::size_t k = 0; k < poly.size(); ++k) {
      next[k + 1] = next[k + 1] + poly[k];
      next[k] = next[k] - poly[k] * QComplex{r.re, r.im};
    }
    poly = next;
  }
  for (int k = 0; k <= n; ++k) {
    const Quad want = aq[static_cast<std::size_t>(k)];
    const QComplex got = poly[static_cast<std::size_t>(k)];
    if (!(QAbs(got.re - want) <= want * static_cast<Quad>(1e-13)) ||
        !(QAbs(got.im) <= want * static_cast<Quad>(1e-13)))
      Fail(n, "the roots do not multiply back to the polynomial");
  }
  return roots;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_bessroot <output path>\n");
    return 2;
  }
  tavrin::approx::BesselRootTable table;
  for (int n = 1; n <= kMaxOrder; ++n) {
    std::vector<Root> roots = Roots(n);
    std::vector<Root> pairs;
    std::vector<Root> reals;
    for (const Root& r : roots) {
      if (std::fabs(r.im) <= 1e-12 * std::hypot(r.re, r.im)) {
        reals.push_back(r);
      } else if (r.im > 0) {
        pairs.push_back(r);
      }
    }
    if (reals.size() != static_cast<std::size_t>(n % 2) || pairs.size() != static_cast<std::size_t>(n / 2))
      Fail(n, "unexpected mix of real and complex roots");
    // Pair 1 is the pair nearest the imaginary axis (the highest Q), as for the other
    // approximations.
    std::sort(pairs.begin(), pairs.end(),
              [](const Root& x, const Root& y) { return x.im / -x.re > y.im / -y.re; });
    auto& row = table.rows[static_cast<std::size_t>(n)];
    std::size_t j = 0;
    if (!reals.empty()) row[j++] = {-reals[0].re, 0.0};
    for (const Root& p : pairs) row[j++] = {-p.re, p.im};
  }
  const tavrin::approx::BesselTableBytes bytes = tavrin::approx::EncodeBesselRootTable(table);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_bessroot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
