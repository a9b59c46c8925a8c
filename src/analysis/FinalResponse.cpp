#include "analysis/FinalResponse.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

#include "analysis/CircuitAnalysis.h"
#include "analysis/StagePolynomials.h"
#include "circuits/CalculationWorkflow.h"
#include "core/MathHelpers.h"
#include "core/NumberFormat.h"
#include "core/RecordParts.h"

namespace tavrin::analysis {

namespace {

using core::At;
using core::DesignState;
using core::kPi;

int StagesOf(const DesignState& s) {
  return std::clamp<int>(s.stageCount, 0, core::kMaxStages);
}

std::size_t Curve(int curve) {
  return static_cast<std::size_t>(curve - 1);
}

// The stages of the range with the component set of one curve, assembled once and then
// evaluated at every point.
struct Cascade {
  std::array<StagePolynomials, core::kMaxStages> stage{};
  int count = 0;
};

Cascade LoadCascade(const DesignState& s, int curve, const FinalSelection& selection, StageRange range) {
  Cascade c;
  for (int st = range.first; st <= range.last; ++st) {
    const core::CircuitRecord& cr = s.circuits[At(st)];
    c.stage[At(c.count++)] =
        BuildStagePolynomials(LoadCurveValues(cr, curve, selection), s.stages[At(st)], cr);
  }
  return c;
}

struct Parts {
  double reN, imN, reD, imD;
};

Parts PartsAt(const StagePolynomials& p, double w) {
  const double w2 = w * w;
  return {p.a[0] - p.a[2] * w2, p.a[1] * w - p.a[3] * w2 * w, p.b[0] - p.b[2] * w2,
          p.b[1] * w - p.b[3] * w2 * w};
}

double GainAt(const Cascade& c, double w) {
  double g = 1;
  for (int k = 0; k < c.count; ++k) {
    const StagePolynomials& p = c.stage[At(k)];
    const Parts x = PartsAt(p, w);
    g *= p.K;
    g *= std::sqrt(x.reN * x.reN + x.imN * x.imN) / std::sqrt(x.reD * x.reD + x.imD * x.imD);
  }
  return std::fabs(g);
}

// The angle of Re + j Im in (-pi/2, 3pi/2]: each stage's numerator and denominator stay
// on one branch over the whole axis, so the sum needs no unwrapping.
double Angle(double im, double re) {
  if (im > 0) {
    if (std::fabs(re) < 1e-20) return kPi / 2;
    return re > 0 ? std::atan(im / re) : std::atan(im / re) + kPi;
  }
  if (im < 0) {
    if (std::fabs(re) < 1e-20) return 3 * kPi / 2;
    return re > 0 ? std::atan(im / re) : std::atan(im / re) + kPi;
  }
  return re > 0 ? 0 : kPi;
}

double PhaseAt(const Cascade& c, double w) {
  double phi = 0;
  for (int k = 0; k < c.count; ++k) {
    const Parts x = PartsAt(c.stage[At(k)], w);
    phi += Angle(x.imN, x.reN) - Angle(x.imD, x.reD);
  }
  return phi;
}

// d(arg X)/dw of X = x0 - x2 w^2 + j (x1 w - x3 w^3), exactly from the coefficients.  A
// polynomial that vanishes at w has a zero on the axis there: its phase only jumps, it
// has no delay of its own.
double ArgumentSlope(const std::array<double, 4>& x, double w, double re, double im) {
  const double m2 = re * re + im * im;
  if (m2 == 0) return 0;
  return (2 * w * x[2] * im + (x[1] - 3 * x[3] * w * w) * re) / m2;
}

double DelayAt(const Cascade& c, double w) {
  double tau = 0;
  for (int k = 0; k < c.count; ++k) {
    const StagePolynomials& p = c.stage[At(k)];
    const Parts x = PartsAt(p, w);
    tau += ArgumentSlope(p.b, w, x.reD, x.imD) - ArgumentSlope(p.a, w, x.reN, x.imN);
  }
  return tau;
}

double GainDb(double vv) {
  return vv > 1e-20 ? 20 * core::Log10(vv) : -400.0;
}

int GridPoints(const DesignState& s) {
  return std::clamp<int>(s.gridN, 0, core::kGridCapacity - 1);
}

std::vector<int> NotchIndices(const DesignState& s, std::span<const core::FrequencyPoint> grid,
                              bool logarithmic) {
  std::vector<int> out;
  if (grid.size() < 2) return out;
  const int n = static_cast<int>(grid.size()) - 1;
  const double w0 = grid.front().rad, wn = grid.back().rad;
  const int stages = StagesOf(s);
  for (int st = 1; st <= stages; ++st) {
    const core::Stage& stage = s.stages[At(st)];
    if (!core::IsNotchType(stage.type & 0x7F)) continue;
    const double wz = stage.wz;
    if (!(wz > 0) || wz < w0 || wz > wn) continue;
    double position = 0;
    if (logarithmic) {
      const double span = core::Log10(wn) - core::Log10(w0);
      if (!(span > 0)) continue;
      position = n * (core::Log10(wz) - core::Log10(w0)) / span;
    } else {
      if (!(wn > w0)) continue;
      position = n * (wz - w0) / (wn - w0);
    }
    out.push_back(std::clamp(static_cast<int>(std::lround(position)), 0, n));
  }
  return out;
}

std::span<const core::FrequencyPoint> PointTable(const DesignState& s) {
  return {s.finalPoints.data(), static_cast<std::size_t>(GridPoints(s)) + 1};
}

bool AllStagesShown(const DesignState& s, StageRange r) {
  return r.first == 1 && r.last == s.stageCount && r.last >= r.first;
}

void FillGain(DesignState& s, const FinalSelection& selection) {
  const StageRange range = ResolveStageRange(s, selection);
  const int n = GridPoints(s);
  const std::vector<int> notches =
      AllStagesShown(s, range) ? NotchIndices(s, PointTable(s), s.finalAxes.logarithmic) : std::vector<int>{};
  for (int curve = 1; curve <= kFinalCurves; ++curve) {
    if (!CurveShown(selection, curve)) continue;
    const Cascade c = LoadCascade(s, curve, selection, range);
    for (int i = 0; i <= n; ++i)
      s.finalCurves[At(i)].gainVv[Curve(curve)] = c.count > 0 ? GainAt(c, s.finalPoints[At(i)].rad) : 0;
    for (int i : notches) s.finalCurves[At(i)].gainVv[Curve(curve)] = 0;
  }
}

PhaseRange FillPhase(DesignState& s, const FinalSelection& selection) {
  const StageRange range = ResolveStageRange(s, selection);
  const int n = GridPoints(s);
  PhaseRange r;
  bool any = false;
  for (int curve = 1; curve <= kFinalCurves; ++curve) {
    if (!CurveShown(selection, curve)) continue;
    const Cascade c = LoadCascade(s, curve, selection, range);
    for (int i = 0; i <= n; ++i) {
      const double phi = c.count > 0 ? PhaseAt(c, s.finalPoints[At(i)].rad) : 0;
      s.finalCurves[At(i)].phaseRad[Curve(curve)] = phi;
      r.smallest = any ? std::min(r.smallest, phi) : phi;
      r.largest = any ? std::max(r.largest, phi) : phi;
      any = true;
    }
  }
  return r;
}

double FillDelay(DesignState& s, const FinalSelection& selection) {
  const StageRange range = ResolveStageRange(s, selection);
  const int n = GridPoints(s);
  double largest = 0;
  for (int curve = 1; curve <= kFinalCurves; ++curve) {
    if (!CurveShown(selection, curve)) continue;
    const Cascade c = LoadCascade(s, curve, selection, range);
    double previous = 0;  // the first point has nothing before it to carry
    for (int i = 0; i <= n; ++i) {
      double tau = c.count > 0 ? DelayAt(c, s.finalPoints[At(i)].rad) : 0;
      if (!(tau <= kFinalDelayLimit)) tau = previous;
      s.finalCurves[At(i)].delay[Curve(curve)] = tau;
      previous = tau;
      if (tau < kFinalDelayLimit) largest = std::max(largest, tau);
    }
  }
  return largest;
}

std::string ValueText(double x, const char* unit) {
  return core::FormatScientific(x, 8, 7) + unit;
}

}  // namespace

const char* FinalCurveCaption(int curve) {
  switch (curve) {
    case 1:
      return " Standard C, exact R";
    case 2:
      return " Exact C substitution";
    case 3:
      return " Standard R substitution";
    case 4:
      return " User-assigned R values";
    default:
      return "";
  }
}

bool CurveShown(const FinalSelection& selection, int curve) {
  switch (curve) {
    case 1:
      return true;
    case 2:
      return selection.exactC;
    case 3:
      return selection.standardR;
    default:
      return false;
  }
}

int UserAssignedCurve(const FinalSelection& selection) {
  if (!selection.userAssigned) return 0;
  if (selection.standardR) return 3;
  return selection.exactC ? 2 : 1;
}

StageRange ResolveStageRange(const DesignState& state, const FinalSelection& selection) {
  const int count = StagesOf(state);
  if (count == 0) return {1, 0};
  int first = std::clamp(selection.firstStage, 1, count);
  int last = selection.lastStage <= 0 ? count : std::clamp(selection.lastStage, 1, count);
  if (first > last) std::swap(first, last);
  return {first, last};
}

WorkingVectors LoadCurveValues(const core::CircuitRecord& cr, int curve, const FinalSelection& selection) {
  WorkingVectors v;
  const bool user = curve == UserAssignedCurve(selection);
  for (int i = 1; i <= core::kResistors; ++i) {
    const core::ComponentEntry& r = cr.R[At(i)];
    double x = r.Value;
    if (curve == 1) {
      x = r.ExactValue;
    } else if (curve == 2 && selection.standardR && r.PreStandardValue != 0) {
      x = r.PreStandardValue;
    }
    if (user && r.UserAssigned && r.UserValue > 0 && r.Value > 0)
      x = x == r.Value ? r.UserValue : x * (r.UserValue / r.Value);
    SetResistor(v, i, x);
  }
  const bool exactCaps = curve == 2 || (curve == 3 && selection.exactC);
  for (int j = 1; j <= core::kCapacitors; ++j) {
    const core::ComponentEntry& c = cr.C[At(j)];
    SetCapacitor(v, j, exactCaps ? c.Value : c.ExactValue);
  }
  return v;
}

std::vector<core::FrequencyPoint> FinalGrid(const core::FinalAxes& axes, core::FrequencyUnit unit, int n) {
  n = std::max(n, 1);
  std::vector<core::FrequencyPoint> grid(static_cast<std::size_t>(n) + 1);
  const double fa = axes.freqStart, fb = axes.freqStop;
  const bool hz = unit == core::FrequencyUnit::Hz;
  for (int i = 0; i <= n; ++i) {
    const double f = axes.logarithmic ? fa * core::Pow10((core::Log10(fb) - core::Log10(fa)) * i / n)
                                      : fa + (fb - fa) * i / n;
    core::FrequencyPoint& p = grid[At(i)];
    p.hz = hz ? f : f / core::kTwoPi;
    p.rad = hz ? core::kTwoPi * f : f;
  }
  return grid;
}

namespace {

bool HasRange(const core::FinalAxes& axes) {
  return axes.freqStop > axes.freqStart && axes.freqStart >= 0;
}

core::FinalAxes AxesInUse(const DesignState& s) {
  if (HasRange(s.finalAxes)) return s.finalAxes;
  core::FinalAxes axes;
  axes.freqStart = s.idealAxes.freqStart;
  axes.freqStop = s.idealAxes.freqStop;
  axes.freqLimitLow = s.idealAxes.freqLimitLow;
  axes.freqLimitHigh = s.idealAxes.freqLimitHigh;
  axes.logarithmic = true;
  return axes;
}

}  // namespace

void ResetFinalAxes(DesignState& state) {
  state.finalAxes = core::FinalAxes{};
  state.finalAxes = AxesInUse(state);
}

void ComputeFinalPointTable(DesignState& state) {
  if (!HasRange(state.finalAxes)) ResetFinalAxes(state);
  const std::vector<core::FrequencyPoint> grid =
      FinalGrid(state.finalAxes, state.frequencyUnit, GridPoints(state));
  std::copy(grid.begin(), grid.end(), state.finalPoints.begin());
}

std::vector<core::FrequencyPoint> DefaultFinalGrid(const DesignState& state) {
  return FinalGrid(AxesInUse(state), state.frequencyUnit, core::kScreenGridN);
}

void ComputeFinalGain(DesignState& state, const FinalSelection& selection) {
  PredistortionNeutralisation neutral(state);
  FillGain(state, selection);
}

PhaseRange ComputeFinalPhase(DesignState& state, const FinalSelection& selection) {
  PredistortionNeutralisation neutral(state);
  return FillPhase(state, selection);
}

double ComputeFinalDelay(DesignState& state, const FinalSelection& selection) {
  PredistortionNeutralisation neutral(state);
  return FillDelay(state, selection);
}

FinalRanges ComputeFinalCurves(DesignState& state, const FinalSelection& selection) {
  PredistortionNeutralisation neutral(state);
  FillGain(state, selection);
  FinalRanges r;
  r.phase = FillPhase(state, selection);
  r.delayMax = FillDelay(state, selection);
  return r;
}

std::vector<int> NotchPointIndices(const DesignState& state) {
  return NotchIndices(state, PointTable(state), state.finalAxes.logarithmic);
}

std::vector<FinalPointLine> FinalPointValue(DesignState& state, FinalTab tab, double wRad,
                                            const FinalSelection& selection) {
  PredistortionNeutralisation neutral(state);
  const StageRange range = ResolveStageRange(state, selection);
  std::vector<FinalPointLine> lines;
  for (int curve = 1; curve <= kFinalCurves; ++curve) {
    if (!CurveShown(selection, curve)) continue;
    const Cascade c = LoadCascade(state, curve, selection, range);
    std::string text;
    switch (tab) {
      case FinalTab::Gain: {
        const double vv = c.count > 0 ? GainAt(c, wRad) : 0;
        text = state.finalGraph.gainInDb ? ValueText(GainDb(vv), "  dB") : ValueText(vv, "  V/V");
        break;
      }
      case FinalTab::Phase: {
        const double phi = c.count > 0 ? PhaseAt(c, wRad) : 0;
        text =
            state.finalGraph.phaseInDegrees ? ValueText(phi * 180 / kPi, "  deg") : ValueText(phi, "  rad");
        break;
      }
      case FinalTab::Delay:
        text = ValueText(c.count > 0 ? DelayAt(c, wRad) : 0, "  sec");
        break;
    }
    lines.push_back(FinalPointLine{curve, std::move(text)});
  }
  return lines;
}

std::vector<std::string> InvertingOutputNote(const DesignState& state) {
  std::vector<int> inverting;
  const int stages = StagesOf(state);
  for (int s = 1; s <= stages; ++s) {
    const core::CircuitRecord& cr = state.circuits[At(s)];
    const circuits::AnalysisEntry* e = FindAnalysis(state.stages[At(s)].type & 0x7F, cr.CircuitNumber);
    if (e != nullptr ? e->inverting : cr.Inverting) inverting.push_back(s);
  }
  if (inverting.size() % 2 == 0) return {};
  const bool many = inverting.size() > 1;
  std::string list;
  for (std::size_t k = 0; k < inverting.size(); ++k) {
    if (k > 0) list += ",";
    list += std::to_string(inverting[k]);
  }
  return {"Note:  There is an additional 180 degrees phase shift",
          std::string("due to the inverting output") + (many ? "s" : "") + " of stage" + (many ? "s" : "") +
              " " + list + "."};
}

bool AnyStagePredistorts(const DesignState& state) {
  const int stages = StagesOf(state);
  for (int s = 1; s <= stages; ++s)
    if (state.circuits[At(s)].Predistort) return true;
  return false;
}

namespace {

// One stage's component values of one recomputation, kept while the next one runs.
struct StageValues {
  std::array<double, core::kResistors + 1> R{};
  std::array<double, core::kCapacitors + 1> C{};
};
using FilterValues = std::array<StageValues, core::kMaxStages + 1>;

// Every stage designed afresh without predistortion on the capacitors `caps` (taken from
// the design as held), through the calculation's own recomputation.  The stages leave
// adjustment mode and the capacitors are not snapped or rescaled: the design is built on
// exactly these capacitors, so resistors and capacitors belong together.
void RecomputeUndistorted(DesignState& s, const FilterValues& caps) {
  for (int st = 1; st <= StagesOf(s); ++st) {
    core::CircuitRecord& cr = s.circuits[At(st)];
    cr.Predistort = false;
    cr.AdjustPending = false;
    cr.ExactTaken = false;
    core::StageComponentSetEntry& memory = s.componentSet[At(st)];
    for (int j = 1; j <= core::kCapacitors; ++j)
      memory.Value[At(j)] = memory.ExactValue[At(j)] = caps[At(st)].C[At(j)];
  }
  s.allCapsStandard = false;
  s.neutralisingPredistortion = true;
  circuits::ComputeAllStages(s, false);
}

}  // namespace

PredistortionNeutralisation::PredistortionNeutralisation(DesignState& state) : state_(state) {
  if (!AnyStagePredistorts(state)) return;
  // The whole design is kept: the recomputation touches every stage's components, gains,
  // capacitor memory, ratings and levels, and all of it must come back as it was.
  saved_ = std::make_unique<DesignState>(state);
  try {
    const DesignState& held = *saved_;
    const int stages = StagesOf(held);
    // The capacitors in force (curves 2 and 3) and those before any capacitor adjustment
    // (curve 1).  Each set gets its own undetuned design: re-solving the resistors of an
    // adjusted stage from the design before the adjustment would carry the detuning over.
    FilterValues inForce{};
    FilterValues beforeAdjustment{};
    bool adjusted = false;
    for (int st = 1; st <= stages; ++st) {
      for (int j = 1; j <= core::kCapacitors; ++j) {
        const core::ComponentEntry& c = held.circuits[At(st)].C[At(j)];
        inForce[At(st)].C[At(j)] = c.Value;
        beforeAdjustment[At(st)].C[At(j)] = c.ExactValue;
        adjusted = adjusted || c.ExactValue != c.Value;
      }
    }
    FilterValues exact{};
    if (adjusted) {
      RecomputeUndistorted(state, beforeAdjustment);
      for (int st = 1; st <= stages; ++st) {
        const core::CircuitRecord& cr = state.circuits[At(st)];
        for (int i = 1; i <= core::kResistors; ++i) exact[At(st)].R[At(i)] = cr.R[At(i)].ExactValue;
        for (int j = 1; j <= core::kCapacitors; ++j) exact[At(st)].C[At(j)] = cr.C[At(j)].Value;
      }
      state = held;
    }
    RecomputeUndistorted(state, inForce);
    for (int st = 1; st <= stages; ++st) {
      core::CircuitRecord& cr = state.circuits[At(st)];
      const core::CircuitRecord& before = held.circuits[At(st)];
      for (int i = 1; i <= core::kResistors; ++i) {
        core::ComponentEntry& r = cr.R[At(i)];
        if (adjusted) r.ExactValue = exact[At(st)].R[At(i)];
        // A resistor the user assigned keeps its factor against the computed value.
        const core::ComponentEntry& b = before.R[At(i)];
        if (r.UserAssigned && b.UserValue > 0 && b.Value > 0) r.UserValue = r.Value * (b.UserValue / b.Value);
      }
      for (int j = 1; j <= core::kCapacitors; ++j)
        cr.C[At(j)].ExactValue = adjusted ? exact[At(st)].C[At(j)] : cr.C[At(j)].Value;
    }
  } catch (...) {
    state = std::move(*saved_);
    saved_.reset();
    throw;
  }
}

PredistortionNeutralisation::~PredistortionNeutralisation() {
  if (!saved_) return;
  saved_->finalPoints = state_.finalPoints;
  saved_->finalCurves = state_.finalCurves;
  state_ = std::move(*saved_);
}

std::vector<FinalResponsePoint> FinalResponsePoints(DesignState& state, int curve, int firstStage,
                                                    int lastStage, std::span<const core::FrequencyPoint> grid,
                                                    bool neutralisePredistortion) {
  std::optional<PredistortionNeutralisation> neutral;
  if (neutralisePredistortion) neutral.emplace(state);
  FinalSelection selection;
  selection.exactC = true;
  selection.standardR = true;
  selection.userAssigned = true;
  selection.firstStage = firstStage;
  selection.lastStage = lastStage;
  const Cascade c =
      LoadCascade(state, std::clamp(curve, 1, kFinalCurves), selection, ResolveStageRange(state, selection));
  std::vector<FinalResponsePoint> out;
  out.reserve(grid.size());
  for (const core::FrequencyPoint& p : grid) {
    FinalResponsePoint r;
    r.hz = p.hz;
    r.rad = p.rad;
    r.vv = c.count > 0 ? GainAt(c, p.rad) : 0;
    r.db = GainDb(r.vv);
    r.phaseDeg = (c.count > 0 ? PhaseAt(c, p.rad) : 0) * 180 / kPi;
    r.delay = c.count > 0 ? DelayAt(c, p.rad) : 0;
    out.push_back(r);
  }
  return out;
}

}  // namespace tavrin::analysis
