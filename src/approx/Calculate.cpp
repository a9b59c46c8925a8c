#include "approx/Calculate.h"

#include <cmath>

#include "approx/ArithmeticGuard.h"
#include "approx/Bessel.h"
#include "approx/BesselRootTable.h"
#include "approx/ButterworthChebyshev.h"
#include "approx/FrequencyTransform.h"
#include "approx/InverseChebyshevElliptic.h"

namespace tavrin::approx {

using core::Approximation;

bool CalculateNeedsConfirmation(const core::DesignState& state) {
  return state.designStep > 5;
}

Message ReinitializeQuestion() {
  Message m;
  m.text = "This will re-initialize your design.";
  m.kind = MessageKind::Warning;
  m.buttons = MessageButtons::OkCancel;
  return m;
}

namespace {

bool RunPrototype(core::DesignState& state, int slot, const BesselRootTable& table) {
  switch (static_cast<Approximation>(slot)) {
    case Approximation::Butterworth:
      return DesignButterworth(state);
    case Approximation::Chebyshev:
      return DesignChebyshev(state);
    case Approximation::InverseChebyshev:
      return DesignInverseChebyshev(state);
    case Approximation::Elliptic:
      return DesignElliptic(state);
    case Approximation::Bessel:
      return DesignBessel(state, table);
  }
  return false;
}

ArithmeticError ErrorAfter(const ArithmeticGuard& guard, const core::DesignState& state, int slot) {
  ArithmeticError e = guard.Raised();
  if (e == ArithmeticError::None) e = NonFiniteIn(state, slot);
  if (e == ArithmeticError::None && !std::isfinite(state.spec.asb)) e = ArithmeticError::Overflow;
  return e;
}

}  // namespace

SlotStatus DesignSlot(core::DesignState& state, int slot, const std::filesystem::path& besselTable,
                      Message* failure) {
  BesselRootTable table;
  if (static_cast<Approximation>(slot) == Approximation::Bessel && !ReadBesselRootTable(besselTable, table)) {
    if (failure) *failure = BesselTableMissingMessage();
    return SlotStatus::Failed;
  }
  return DesignSlot(state, slot, table, failure);
}

SlotStatus DesignSlot(core::DesignState& state, int slot, const BesselRootTable& besselRoots,
                      Message* failure) {
  const core::FilterSpec specBefore = state.spec;
  auto fail = [&](ArithmeticError e) {
    // What the routine half wrote goes; the slot and the requirements are as before.
    core::ClearSlot(state, slot);
    state.spec = specBefore;
    if (failure) *failure = ArithmeticErrorMessage(e);
    return SlotStatus::Failed;
  };

  bool designed = false;
  {
    ArithmeticGuard guard;
    designed = RunPrototype(state, slot, besselRoots);
    if (const ArithmeticError e = ErrorAfter(guard, state, slot); e != ArithmeticError::None) return fail(e);
  }
  if (!designed) return SlotStatus::TooHigh;
  {
    ArithmeticGuard guard;
    TransformSlot(state, slot);
    if (const ArithmeticError e = ErrorAfter(guard, state, slot); e != ArithmeticError::None) return fail(e);
  }
  return SlotStatus::Designed;
}

CalculateOutcome Calculate(core::DesignState& state, const CalculateRequest& request,
                           const CalculateHooks& hooks) {
  CalculateOutcome out;

  // The question before a design past its circuits is thrown away.
  if (CalculateNeedsConfirmation(state)) {
    if (hooks.confirm && !hooks.confirm(ReinitializeQuestion())) {
      out.status = CalculateStatus::Cancelled;
      return out;
    }
  }
  state.modified = true;

  // Parsing, then normalization into cleared slots, then validation.
  SpecOutcome spec = BuildFilterSpec(request.entries, state.spec);
  out.messages = std::move(spec.messages);
  if (!spec.parsed) {
    out.status = CalculateStatus::EntriesRefused;
    return out;
  }
  for (int slot = 0; slot < core::kSlotCount; ++slot) core::ClearSlot(state, slot);
  state.spec = spec.spec;
  state.lastSlot = core::kSlotCount - 1;  // a set of requirements fills all five slots
  if (!spec.accepted) {
    out.status = CalculateStatus::EntriesRefused;
    return out;
  }

  // The five slots, each designed and transformed.
  bool anyResult = false;
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    core::SetCurrentSlot(state, slot);
    Message failure;
    const SlotStatus s = request.besselRoots ? DesignSlot(state, slot, *request.besselRoots, &failure)
                                             : DesignSlot(state, slot, request.besselTable, &failure);
    if (s == SlotStatus::Failed) {
      out.messages.push_back(failure);
      out.status = CalculateStatus::DesignFailed;
      return out;
    }
    anyResult = anyResult || s == SlotStatus::Designed;
  }

  // Nothing to show when every slot is too high.
  if (!anyResult) {
    out.status = CalculateStatus::NoResult;
    return out;
  }

  // The results table.
  out.showResults = true;
  if (hooks.resultsReady) hooks.resultsReady();
  SummarizeSlots(state);
  if (request.buildTable) out.table = BuildResultsTable(state);

  // Next, and the ideal-response axes, once some slot can be chosen.
  bool anyAvailable = false;
  for (int slot = 0; slot < core::kSlotCount; ++slot)
    anyAvailable = anyAvailable || core::SlotHasResult(state, slot);
  out.nextEnabled = anyAvailable;
  state.nextDisabled = !anyAvailable;
  if (anyAvailable && hooks.setUpResponseAxes) hooks.setUpResponseAxes(state);

  // The overall gain.
  const GainOutcome gain = CheckOverallGain(request.entries.gain, request.entries.gainUnit);
  if (gain.error) {
    out.messages.push_back(*gain.error);
    out.status = CalculateStatus::GainRefused;
    return out;
  }
  state.spec.overallGain = gain.gain;
  if (hooks.storeGainLevel) hooks.storeGainLevel(state);

  // The ideal gain of every slot with a result.
  if (hooks.computeIdealGain) {
    for (int slot = 0; slot < core::kSlotCount; ++slot) {
      if (!core::SlotHasResult(state, slot)) continue;
      core::SetCurrentSlot(state, slot);
      hooks.computeIdealGain(state, slot);
    }
  }

  state.stepsStale = true;
  out.status = CalculateStatus::Completed;
  return out;
}

}  // namespace tavrin::approx
