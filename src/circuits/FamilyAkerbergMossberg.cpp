// Akerberg-Mossberg sections: a two-integrator loop of three op-amps.
//
// Per member, the analysis evaluator: the stage's transfer function from its component
// values, ideal op-amps.
#include "circuits/CircuitEquations.h"
#include "circuits/DesignEquations.h"
#include "core/DesignState.h"

namespace tavrin::circuits {

namespace {

using enum CoefficientForm;
using enum Order;
using enum Output;
using namespace core;

constexpr AnalysisEntry kAnalysis[] = {
    // SLP13
    MakeEntry(ptSLP, 13, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[3] / (R[2] * R[4] * R[6] * C[1] * C[2]);
                e.den[1] = 1 / (R[5] * C[2]);
                e.gain = R[6] / R[1];
                return e;
              }),
    // SHP10
    MakeEntry(ptSHP, 10, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[3] / (R[2] * R[4] * R[6] * C[1] * C[3]);
                e.den[1] = 1 / (R[5] * C[1]);
                e.gain = C[2] / C[1];
                return e;
              }),
    // SBP13
    MakeEntry(ptSBP, 13, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[3] / (R[2] * R[4] * R[6] * C[1] * C[2]);
                e.den[1] = 1 / (R[5] * C[2]);
                e.gain = R[5] / R[1];
                return e;
              }),
    // SLPN10
    MakeEntry(ptSLPN, 10, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[3] / (R[2] * R[4] * R[7] * C[1] * C[2]);
                e.den[1] = 1 / (R[5] * C[2]);
                e.num[0] = R[3] / (R[1] * R[2] * R[4] * C[1] * C[3]);
                e.gain = C[3] / C[2];
                return e;
              }),
    // SHPN09
    MakeEntry(ptSHPN, 9, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[3] / (R[2] * R[4] * R[7] * C[1] * C[2]);
                e.den[1] = 1 / (R[5] * C[2]);
                e.num[0] = R[3] / (R[1] * R[2] * R[4] * C[1] * C[3]);
                e.gain = C[3] / C[2];
                return e;
              }),
    // SN09
    MakeEntry(ptSN, 9, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[3] / (R[2] * R[4] * R[7] * C[1] * C[2]);
                e.den[1] = 1 / (R[5] * C[2]);
                e.num[0] = R[3] / (R[1] * R[2] * R[4] * C[1] * C[3]);
                e.gain = C[3] / C[2];
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> AkerbergMossbergAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> AkerbergMossbergDesigns() {
  return {};
}

}  // namespace tavrin::circuits
