#include "stages/Biquad.h"

#include <numbers>

#include "core/NumberFormat.h"

namespace tavrin::stages {

namespace {

bool IsNotch(std::uint8_t t) {
  return t == core::ptSLPN || t == core::ptSHPN || t == core::ptSN;
}
bool IsFirstOrder(std::uint8_t t) {
  return t == core::ptFLP || t == core::ptFHP;
}

std::string Number(double x) {
  return core::TrimLeadingBlanks(core::FormatScientific(x, 8, 7));
}

// Coefficients that are constants of the form, not values, are shown as literals.
std::string Literal(double x, bool one, bool zero) {
  if (one) return "1.0";
  if (zero) return "0";
  return Number(x);
}

}  // namespace

std::string DesignTitle(const core::DesignState& state) {
  const core::FilterKind kind = state.spec.kind;
  if (kind == core::FilterKind::UserDefined)
    return "User Defined Filter  N=" + std::to_string(state.results[0].order);
  const int slot = state.chosenSlot >= 0 && state.chosenSlot < core::kSlotCount ? state.chosenSlot : 0;
  const char* kinds[] = {" Lowpass", " Highpass", " Bandpass", " Bandstop"};
  const bool band = kind == core::FilterKind::Bandpass || kind == core::FilterKind::Bandstop;
  const int order = state.results[static_cast<std::size_t>(slot)].order;
  return core::ApproximationName(slot) + kinds[static_cast<int>(kind)] + " Filter  N=" +
         std::to_string(band ? order / 2 : order);
}

std::string TransferTitle(const core::DesignState& state, bool printing) {
  return printing ? "Biquadratic Coefficients" : DesignTitle(state) + "  --  Biquadratic Coefficients";
}

BiquadCoefficients StageCoefficients(const core::Stage& st, core::FrequencyUnit unit) {
  const double u = unit == core::FrequencyUnit::Hz ? 2.0 * std::numbers::pi : 1.0;
  const double fp = st.wp / u, fz = st.wz / u, f1 = st.p / u;
  switch (st.type) {
    case core::ptFLP:
      return {0, 0, f1, 0, 1.0, f1};
    case core::ptFHP:
      return {0, 1.0, 0, 0, 1.0, f1};
    case core::ptSLP:
      return {0, 0, fp * fp, 1.0, fp / st.Qp, fp * fp};
    case core::ptSHP:
      return {1.0, 0, 0, 1.0, fp / st.Qp, fp * fp};
    case core::ptSBP:
      return {0, fp / st.Qp, 0, 1.0, fp / st.Qp, fp * fp};
    default:
      return {1.0, 0, fz * fz, 1.0, fp / st.Qp, fp * fp};
  }
}

std::array<std::string, kTransferRows> TransferCellTexts(const core::Stage& st, core::FrequencyUnit unit) {
  const BiquadCoefficients c = StageCoefficients(st, unit);
  const double u = unit == core::FrequencyUnit::Hz ? 2.0 * std::numbers::pi : 1.0;
  const std::uint8_t t = st.type;
  const bool first = IsFirstOrder(t);
  // Which coefficients are the constants 1 and 0 of each form.
  const bool aOne = t == core::ptSHP || IsNotch(t);
  const bool bOne = t == core::ptFHP;
  const bool bValue = t == core::ptSBP;
  const bool cValue = t == core::ptFLP || t == core::ptSLP || IsNotch(t);
  std::array<std::string, kTransferRows> cells;
  cells[0] = core::TrimLeadingBlanks(core::FormatScientific(st.To, 9, 8));
  cells[1] = Literal(c.A, aOne, !aOne);
  cells[2] = Literal(c.B, bOne, !bOne && !bValue);
  cells[3] = Literal(c.C, false, !cValue);
  cells[4] = Literal(c.D, !first, first);
  cells[5] = first ? "1.0" : Number(c.E);
  cells[6] = Number(c.F);
  cells[7] = first ? "----" : Number(st.wp / u);
  cells[8] = first ? "----" : Number(st.Qp);
  cells[9] = IsNotch(t) ? Number(st.wz / u) : "----";
  return cells;
}

std::array<std::string, kTransferRows> TransferRowLabels(core::FrequencyUnit unit) {
  const bool hz = unit == core::FrequencyUnit::Hz;
  return {"To", "A", "B", "C", "D", "E", "F", hz ? "fp" : "wp", "Qp", hz ? "fz" : "wz"};
}

std::vector<std::vector<int>> TransferBlocks(int stageCount) {
  std::vector<std::vector<int>> blocks;
  for (int s = 1; s <= stageCount; ++s) {
    if ((s - 1) % 5 == 0) blocks.emplace_back();
    blocks.back().push_back(s);
  }
  return blocks;
}

}  // namespace tavrin::stages
