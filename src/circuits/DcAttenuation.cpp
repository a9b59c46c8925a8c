#include "circuits/DcAttenuation.h"

#include <cmath>

#include "core/NumberFormat.h"

namespace tavrin::circuits {

namespace {

struct DividerRow {
  int stageType;
  int number;
  DcDivider divider;
};

constexpr DividerRow kDividers[] = {
    {core::ptSLPN, 1, {3, 6}},
    {core::ptSLPN, 2, {3, 4}},
    {core::ptSLPN, 3, {5, 6}},
};

}  // namespace

std::optional<DcDivider> DcInputDivider(int stageType, int circuitNumber) {
  for (const DividerRow& row : kDividers) {
    if (row.stageType == stageType && row.number == circuitNumber) return row.divider;
  }
  return std::nullopt;
}

double DcAttenuationFactor(const core::CircuitRecord& cr, int stageType, int circuitNumber) {
  const std::optional<DcDivider> d = DcInputDivider(stageType, circuitNumber);
  if (!d) return 0;
  const double series = cr.R[static_cast<std::size_t>(d->series)].Value;
  const double shunt = cr.R[static_cast<std::size_t>(d->shunt)].Value;
  if (!(series >= 0) || !(shunt > 0) || !std::isfinite(series) || !std::isfinite(shunt)) return 0;
  return (series + shunt) / shunt;
}

std::string DcAttenuationMessage(const core::CircuitRecord& cr, int stageType, int circuitNumber) {
  const std::optional<DcDivider> d = DcInputDivider(stageType, circuitNumber);
  const double factor = DcAttenuationFactor(cr, stageType, circuitNumber);
  if (!d || factor <= 0) return {};
  const std::string db = core::TrimLeadingBlanks(core::FormatFixed(20.0 * std::log10(factor), 1, 2));
  return "DC input attenuated " + db + "dB by resistors R" + std::to_string(d->series) + " and R" +
         std::to_string(d->shunt) + ".";
}

}  // namespace tavrin::circuits
