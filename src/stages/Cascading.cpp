#include "stages/Cascading.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "stages/Criteria.h"
#include "stages/Pairing.h"

namespace tavrin::stages {

using core::DesignState;
using core::Stage;

namespace {

constexpr double kTieWidth = 1e-5;
constexpr double kPassMinBound = 1e6;

std::size_t At(int i) {
  return static_cast<std::size_t>(i);
}

// Where the passband minimum is taken.  The window's ends fall on evaluation frequencies
// (a highpass window starts at wp, grid point 175 of 0 .. 2 wp), but a grid point is
// start + i x step, which meets the edge only up to its last bit.  So each end reaches a
// few parts in 10^12 of the window's size further: a point on an edge counts whichever
// way its rounding fell, and no grid point a step away ever comes near.
class PassWindow {
 public:
  explicit PassWindow(const DesignState& state)
      : stop_(state.spec.kind == core::FilterKind::Bandstop),
        start_(state.passWindowStart),
        end_(state.passWindowEnd),
        low_(state.passEdgeLow),
        high_(state.passEdgeHigh) {
    const double size = std::max({std::abs(start_), std::abs(end_), std::abs(low_), std::abs(high_)});
    slack_ = kEdgeSlack * size;
  }

  bool Contains(double w) const {
    if (stop_) return Within(w, start_, low_) || Within(w, high_, end_);
    return Within(w, start_, end_);
  }

 private:
  static constexpr double kEdgeSlack = 1e-12;

  bool Within(double w, double from, double to) const { return w >= from - slack_ && w <= to + slack_; }

  bool stop_;
  double start_, end_, low_, high_;
  double slack_ = 0;
};

double FlatnessOf(const DesignState& state, int s) {
  const double f = state.stages[At(s)].flatness;
  return std::isnan(f) ? HUGE_VAL : f;
}

Selection Select(const std::vector<double>& flatness) {
  return PickFlattest(flatness);
}

// Fills the free positions of the cascade by maximum flatness, looking one position ahead
// (and further while ties persist) to separate tied candidates.
class FlatnessFill {
 public:
  FlatnessFill(DesignState& state, std::vector<int>& order, int from, int to)
      : state_(state), order_(order), end_(to) {
    for (int pos = from; pos <= to; ++pos) unplaced_.push_back(order[At(pos)]);
    std::sort(unplaced_.begin(), unplaced_.end());
  }

  void Run(int from) {
    int pos = from;
    while (pos <= end_) {
      const std::vector<int> path = Decide(pos);
      for (int s : path) {
        order_[At(pos++)] = s;
        unplaced_.erase(std::find(unplaced_.begin(), unplaced_.end(), s));
      }
      Apply(path, Prev(pos - static_cast<int>(path.size())));
    }
  }

 private:
  struct Trial {
    std::vector<int> path;
    int stage;
  };

  int Prev(int pos) const { return pos > 1 ? order_[At(pos - 1)] : 0; }

  void Apply(const std::vector<int>& path, int prev) {
    for (int s : path) {
      EvaluateStage(state_, s, prev != 0 ? prev : s);
      prev = s;
    }
  }

  std::vector<int> Candidates(const std::vector<int>& without) const {
    std::vector<int> out;
    for (int s : unplaced_)
      if (std::find(without.begin(), without.end(), s) == without.end()) out.push_back(s);
    return out;
  }

  std::vector<int> Decide(int pos) {
    const int prev = Prev(pos);
    const std::vector<int> cands = Candidates({});
    std::vector<double> f;
    for (int s : cands) {
      EvaluateStage(state_, s, prev != 0 ? prev : s);
      f.push_back(FlatnessOf(state_, s));
    }
    const Selection sel = Select(f);
    if (sel.ties.size() < 2 || pos >= end_) return {cands[At(sel.best)]};
    const std::size_t n = sel.ties.size();
    return Lookahead({cands[At(sel.ties[n - 2])]}, {cands[At(sel.ties[n - 1])]}, pos, prev);
  }

  // Both tied paths are extended by one position; the best extension over both decides.
  std::vector<int> Lookahead(const std::vector<int>& a, const std::vector<int>& b, int pos, int prev) {
    const int nextPos = pos + static_cast<int>(a.size());
    std::vector<Trial> trials;
    std::vector<double> f;
    for (const std::vector<int>* path : {&a, &b}) {
      Apply(*path, prev);
      for (int s : Candidates(*path)) {
        EvaluateStage(state_, s, path->back());
        trials.push_back(Trial{*path, s});
        f.push_back(FlatnessOf(state_, s));
      }
    }
    if (trials.empty()) return a;
    const Selection sel = Select(f);
    auto extended = [&](int i) {
      std::vector<int> p = trials[At(i)].path;
      p.push_back(trials[At(i)].stage);
      return p;
    };
    if (sel.ties.size() >= 2 && nextPos < end_) {
      const std::size_t n = sel.ties.size();
      return Lookahead(extended(sel.ties[n - 2]), extended(sel.ties[n - 1]), pos, prev);
    }
    return extended(sel.best);
  }

  DesignState& state_;
  std::vector<int>& order_;
  int end_;
  std::vector<int> unplaced_;
};

// The stage of `type` with the lowest (first list) or highest (last list) Qp.
int FindByType(const DesignState& state, std::uint8_t type, bool lowest, int skip) {
  int found = 0;
  double bound = lowest ? 1000.0 : 0.0;
  for (int s = 1; s <= state.stageCount; ++s) {
    const Stage& st = state.stages[At(s)];
    if (s == skip || st.type != type) continue;
    if (lowest ? st.Qp < bound : st.Qp > bound) {
      bound = st.Qp;
      found = s;
    }
  }
  return found;
}

int FindByCriteria(const DesignState& state, const core::StageCriteria& criteria, bool first, int skip) {
  for (int priority = 1; priority <= 4; ++priority)
    for (int entry = 0; entry < 4; ++entry) {
      const core::StageCriterion& c = criteria[At(entry)];
      if (!c.enabled || c.priority != priority) continue;
      const std::uint8_t type = first ? FirstCriterionType(entry) : LastCriterionType(entry);
      const int s = FindByType(state, type, first, skip);
      if (s != 0) return s;
    }
  return 0;
}

void SwapStages(DesignState& state, int a, int b) {
  std::swap(state.stages[At(a)], state.stages[At(b)]);
  std::swap(state.stageResponses[At(a)], state.stageResponses[At(b)]);
  std::swap(state.cascadeResponses[At(a)], state.cascadeResponses[At(b)]);
}

}  // namespace

Selection PickFlattest(const std::vector<double>& flatness) {
  Selection sel;
  double bestValue = 0;
  for (int i = 0; i < static_cast<int>(flatness.size()); ++i) {
    const double f = flatness[At(i)];
    if (sel.best < 0 || f < bestValue - kTieWidth) {
      sel.best = i;
      bestValue = f;
      sel.ties = {i};
    } else if (std::abs(f - bestValue) <= kTieWidth) {
      sel.ties.push_back(i);
    }
  }
  return sel;
}

void SetEvaluationWindow(DesignState& state) {
  const core::FilterSpec& spec = state.spec;
  const int n = core::kEvalPoints - 1;
  double start = 0;
  double step = 0;
  state.passEdgeLow = 0;
  state.passEdgeHigh = 0;
  switch (spec.kind) {
    case core::FilterKind::Lowpass:
    case core::FilterKind::Highpass:
      state.passWindowStart = spec.kind == core::FilterKind::Lowpass ? 0.0 : spec.wpb;
      state.passWindowEnd = spec.kind == core::FilterKind::Lowpass ? spec.wpb : 2.0 * spec.wpb;
      state.passEdgeHigh = 2.0 * spec.wpb;
      step = 2.0 * spec.wpb / n;
      break;
    default: {
      const double half = spec.bp / 2.0;
      const double root = std::sqrt(spec.w0 * spec.w0 + half * half);
      state.passEdgeLow = root - half;
      state.passEdgeHigh = root + half;
      const bool stop = spec.kind == core::FilterKind::Bandstop;
      state.passWindowStart = stop ? 0.0 : state.passEdgeLow;
      state.passWindowEnd = stop ? 2.0 * spec.w0 : state.passEdgeHigh;
      start = state.passWindowStart - half;
      step = 2.0 * spec.bp / n;
      break;
    }
  }
  for (int i = 0; i <= n; ++i) state.evalFrequencies[At(i)] = start + i * step;
}

double StageMagnitude(const Stage& st, double w) {
  w = std::abs(w);
  const double d = std::sqrt((st.wp * st.wp - w * w) * (st.wp * st.wp - w * w) +
                             (st.wp * w / st.Qp) * (st.wp * w / st.Qp));
  switch (st.type) {
    case core::ptFLP:
      return 1.0 / std::sqrt(w * w + st.p * st.p);
    case core::ptFHP:
      return w / std::sqrt(w * w + st.p * st.p);
    case core::ptSLP:
      return 1.0 / d;
    case core::ptSHP:
      return w * w / d;
    case core::ptSBP:
      return w / d;
    default:
      return std::abs(st.wz * st.wz - w * w) / d;
  }
}

void EvaluateStage(DesignState& state, int s, int prev) {
  Stage& st = state.stages[At(s)];
  core::StageResponseRecord& m = state.stageResponses[At(s)];
  core::StageResponseRecord& c = state.cascadeResponses[At(s)];
  const core::StageResponseRecord* before = prev != s ? &state.cascadeResponses[At(prev)] : nullptr;
  m.peak = 0;
  c.peak = 0;
  c.passMin = kPassMinBound;
  const PassWindow window(state);
  for (int i = 0; i < core::kEvalPoints; ++i) {
    const double w = state.evalFrequencies[At(i)];
    m.m[At(i)] = StageMagnitude(st, w);
    c.m[At(i)] = before != nullptr ? before->m[At(i)] * m.m[At(i)] : m.m[At(i)];
    m.peak = std::max(m.peak, m.m[At(i)]);
    c.peak = std::max(c.peak, c.m[At(i)]);
    if (window.Contains(w)) c.passMin = std::min(c.passMin, c.m[At(i)]);
  }
  st.flatness = c.peak / c.passMin;
  st.k = before != nullptr ? before->peak / c.peak : 1.0 / c.peak;
  for (int i = 0; i < core::kEvalPoints; ++i) {
    m.m[At(i)] *= st.k;
    c.m[At(i)] *= st.k;
  }
  m.peak *= st.k;
  c.peak *= st.k;
  c.passMin *= st.k;
  m.passMin = c.passMin;
  switch (st.type) {
    case core::ptFLP:
      st.To = st.k / st.p;
      break;
    case core::ptSLP:
      st.To = st.k / (st.wp * st.wp);
      break;
    case core::ptSBP:
      st.To = st.k * st.Qp / st.wp;
      break;
    default:
      st.To = st.k;
      break;
  }
}

void RecomputeCascade(DesignState& state) {
  for (int s = 1; s <= state.stageCount; ++s) EvaluateStage(state, s, s == 1 ? 1 : s - 1);
}

void AutoCascade(DesignState& state) {
  const int S = state.stageCount;
  state.stepsStale = true;
  state.firstStageFixed = false;
  state.lastStageFixed = false;
  std::vector<int> order(At(S + 1));
  for (int i = 0; i <= S; ++i) order[At(i)] = i;
  if (S == 0) return;
  auto position = [&](int s) {
    return static_cast<int>(std::find(order.begin(), order.end(), s) - order.begin());
  };

  const int first = FindByCriteria(state, state.firstStageCriteria, true, 0);
  if (first != 0) {
    std::swap(order[1], order[At(position(first))]);
    state.firstStageFixed = true;
  }
  // A stage that already leads the cascade cannot also close it.
  if (!(state.firstStageFixed && S == 1)) {
    const int last = FindByCriteria(state, state.lastStageCriteria, false, state.firstStageFixed ? first : 0);
    if (last != 0) {
      std::swap(order[At(S)], order[At(position(last))]);
      state.lastStageFixed = true;
    }
  }
  const int from = state.firstStageFixed ? 2 : 1;
  const int to = state.lastStageFixed ? S - 1 : S;

  if (state.useQ) {
    std::vector<int> rest(order.begin() + from, order.begin() + to + 1);
    std::stable_sort(rest.begin(), rest.end(), [&](int a, int b) {
      const Stage& x = state.stages[At(a)];
      const Stage& y = state.stages[At(b)];
      if (x.Qp != y.Qp) return x.Qp < y.Qp;
      if (x.wp != y.wp) return x.wp < y.wp;
      return a < b;
    });
    std::copy(rest.begin(), rest.end(), order.begin() + from);
  } else if (from <= to) {
    if (state.firstStageFixed) EvaluateStage(state, order[1], order[1]);
    FlatnessFill fill(state, order, from, to);
    fill.Run(from);
  }

  std::array<Stage, core::kMaxStages + 1> stages = state.stages;
  auto responses = state.stageResponses;
  auto cascades = state.cascadeResponses;
  for (int pos = 1; pos <= S; ++pos) {
    state.stages[At(pos)] = stages[At(order[At(pos)])];
    state.stageResponses[At(pos)] = responses[At(order[At(pos)])];
    state.cascadeResponses[At(pos)] = cascades[At(order[At(pos)])];
    state.cascadeOrder[At(pos)] = static_cast<std::int16_t>(order[At(pos)]);
  }
  RecomputeCascade(state);
}

bool MoveStageUp(DesignState& state, int s) {
  if (s < 2 || s > state.stageCount) return false;
  SwapStages(state, s - 1, s);
  RecomputeCascade(state);
  state.modified = true;
  state.stepsStale = true;
  return true;
}

bool MoveStageDown(DesignState& state, int s) {
  if (s < 1 || s >= state.stageCount) return false;
  return MoveStageUp(state, s + 1);
}

void PairAndCascade(DesignState& state) {
  SetEvaluationWindow(state);
  BuildRootLists(state);
  AutoPair(state);
  AutoCascade(state);
}

}  // namespace tavrin::stages
