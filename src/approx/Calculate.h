// Calculate: the single entry into the approximation engine.  From the requirements
// window's entries it designs all five approximations side by side, summarizes them in
// the results table and checks the overall gain.  The window shows what the outcome
// says; the ideal-response steps are reached through hooks.
#pragma once

#include <filesystem>
#include <functional>

#include "approx/BesselRootTable.h"
#include "approx/Messages.h"
#include "approx/ResultsTable.h"
#include "approx/SpecEntry.h"
#include "core/DesignState.h"

namespace tavrin::approx {

struct CalculateRequest {
  SpecEntries entries;
  std::filesystem::path besselTable;  // BessRoot.dat, read afresh by every Calculate
  // A table the caller has already read (a batch of many Calculates reads the file once);
  // when null, the Bessel slot reads `besselTable` itself.
  const BesselRootTable* besselRoots = nullptr;
  // False when the caller shows no results table (a batch writes the roots as JSON): the
  // outcome's table is then left empty.
  bool buildTable = true;
};

// The window's parts of Calculate; every hook is optional.
struct CalculateHooks {
  // Step 1, asked while DesignStep > 5: return true for OK, false for Cancel.  Without a
  // hook Calculate goes on.
  std::function<bool(const Message&)> confirm;
  // Step 6: the results exist; the window adds and selects its results tab and lets
  // pending events be processed before the table is drawn.
  std::function<void()> resultsReady;
  // Step 9, when some slot can be chosen: default frequency range, frequency grid and
  // time axis of the ideal responses.
  std::function<void(core::DesignState&)> setUpResponseAxes;
  // Step 11, after overallGain is stored: the -3 dB level of the graphs.
  std::function<void(core::DesignState&)> storeGainLevel;
  // Step 12, once per slot with a result, with that slot current: its ideal gain over
  // the grid and, for a slot with finite zeros, the transmission-zero marks.
  std::function<void(core::DesignState&, int slot)> computeIdealGain;
};

enum class CalculateStatus {
  Cancelled,       // the re-initialize question was cancelled: nothing changed
  EntriesRefused,  // parsing or validation refused the entries
  DesignFailed,    // an arithmetic error or the Bessel table ended it; earlier slots keep their results
  NoResult,        // every slot is too high: nothing to show
  GainRefused,     // the overall gain is out of range; the results stand, Next stays enabled
  Completed,
};

struct CalculateOutcome {
  CalculateStatus status = CalculateStatus::Cancelled;
  Messages messages;         // to show, in order
  bool showResults = false;  // the results tab is to be shown with `table`
  bool nextEnabled = false;
  ResultsTable table;
};

// "This will re-initialize your design." (OK, Cancel), asked while DesignStep > 5.
bool CalculateNeedsConfirmation(const core::DesignState& state);
Message ReinitializeQuestion();

CalculateOutcome Calculate(core::DesignState& state, const CalculateRequest& request,
                           const CalculateHooks& hooks = {});

// Designs and transforms one slot under the arithmetic guard (Calculate step 4).  On
// failure the message is returned and the slot is put back as it was.
enum class SlotStatus { Designed, TooHigh, Failed };
SlotStatus DesignSlot(core::DesignState& state, int slot, const std::filesystem::path& besselTable,
                      Message* failure);
// The same with the Bessel table already read; `besselRoots` is only read for the Bessel slot.
SlotStatus DesignSlot(core::DesignState& state, int slot, const BesselRootTable& besselRoots,
                      Message* failure);

}  // namespace tavrin::approx
