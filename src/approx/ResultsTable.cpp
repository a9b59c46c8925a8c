#include "approx/ResultsTable.h"

#include <algorithm>

#include "core/NumberFormat.h"

namespace tavrin::approx {

using core::Approximation;

void SummarizeSlots(core::DesignState& state) {
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    core::ApproxResult& r = state.results[slot];
    if (r.tooHigh) continue;
    int pairs = 0;
    int singles = r.hasSingleZero ? 1 : 0;
    for (int k = 1; k <= r.zeroPairs; ++k) {
      if (state.zeroPairs[slot][k].wz2 != 0) {
        ++pairs;
      } else {
        singles += 2;
      }
    }
    r.zeroPairsShown = static_cast<std::int16_t>(pairs);
    r.singleZeros = static_cast<std::int16_t>(singles);
    // A slot without pole pairs has no pole Q; it keeps none from an earlier design.
    double q = 0;
    for (int k = 1; k <= r.polePairs; ++k) q = std::max(q, state.polePairs[slot][k].Q);
    r.largestPoleQ = q;
    state.approxSkip[slot] = r.polePairs > 0 && q > kMaxUsablePoleQ;
  }
}

namespace {

std::string Trimmed(double x, int decimals) {
  return core::TrimLeadingBlanks(core::FormatFixed(x, 1, decimals));
}

std::string QText(double q) {
  if (q >= 10) return Trimmed(q, 0);
  if (q >= 1) return Trimmed(q, 1);
  return Trimmed(q, 2);
}

}  // namespace

ResultsTable BuildResultsTable(const core::DesignState& state) {
  ResultsTable t;
  t.columnHeaders = {
      {{"Butter-", "worth"}, {"Cheby-", "shev"}, {"Inverse", "Cheby."}, {"Elliptic", ""}, {"Bessel", ""}}};
  t.rowLabels = {"Order",        "Circuit stages", "Passband ripple", "Pole pairs",
                 "Single poles", "Zero pairs",     "Single zeros",    "Max. pole Qp"};
  const std::string none = "---";
  const core::FilterSpec& spec = state.spec;
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    const core::ApproxResult& r = state.results[slot];
    const bool excluded = !r.tooHigh && state.approxSkip[slot];
    const bool available = !r.tooHigh && !excluded;
    const auto a = static_cast<Approximation>(slot);
    auto cell = [&](int row) -> ResultsCell& { return t.cells[row][slot]; };
    for (int row = 0; row < kResultsRows; ++row) cell(row).text = none;

    cell(0).text = r.tooHigh ? ">" + std::to_string(core::kMaxOrder) : std::to_string(r.order);
    if (excluded) {
      cell(7).text = ">" + std::to_string(static_cast<int>(kMaxUsablePoleQ));
      cell(7).red = true;
    }
    if (!available) continue;
    cell(1).text = std::to_string((r.order + 1) / 2);
    if (r.order != 2) {
      const bool ripple = a == Approximation::Chebyshev || a == Approximation::Elliptic;
      cell(2).text = ripple ? Trimmed(spec.apb, 1) + " dB" : "0 dB";
    }
    cell(3).text = std::to_string(r.polePairs);
    cell(4).text = std::to_string((r.hasRealPole ? 1 : 0) + (r.hasSecondRealPole ? 1 : 0));
    cell(5).text = std::to_string(r.zeroPairsShown);
    cell(6).text = std::to_string(r.singleZeros);
    const bool forcedFirstOrder = spec.forceOrder && spec.forcedOrder == 1;
    if (!forcedFirstOrder && r.polePairs > 0) cell(7).text = QText(r.largestPoleQ);
  }
  return t;
}

std::string FormatResultsTable(const ResultsTable& table) {
  std::size_t labelWidth = table.corner.size();
  for (const auto& l : table.rowLabels) labelWidth = std::max(labelWidth, l.size());
  std::array<std::size_t, core::kSlotCount> width{};
  for (int s = 0; s < core::kSlotCount; ++s) {
    width[s] = std::max(table.columnHeaders[s][0].size(), table.columnHeaders[s][1].size());
    for (int row = 0; row < kResultsRows; ++row)
      width[s] = std::max(width[s], table.cells[row][s].text.size());
  }
  auto pad = [](const std::string& s, std::size_t w) {
    return s + std::string(w > s.size() ? w - s.size() : 0, ' ');
  };
  std::string out;
  auto line = [&](const std::string& label, auto text) {
    std::string l = pad(label, labelWidth);
    for (int s = 0; s < core::kSlotCount; ++s) l += "  " + pad(text(s), width[s]);
    out += core::TrimTrailingBlanks(l) + "\n";
  };
  line(table.corner, [&](int s) { return table.columnHeaders[s][0]; });
  line("", [&](int s) { return table.columnHeaders[s][1]; });
  for (int row = 0; row < kResultsRows; ++row)
    line(table.rowLabels[row], [&](int s) { return table.cells[row][s].text; });
  return out;
}

}  // namespace tavrin::approx
