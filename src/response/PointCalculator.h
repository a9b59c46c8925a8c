// The exact value of a response at one frequency or instant, for each approximation
// drawn, computed without disturbing the curves on the graph.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/DesignState.h"

namespace tavrin::response {

enum class ResponseTab { Gain, Phase, Delay, Step, Impulse };

struct PointOptions {
  bool viewAll = true;         // every approximation with a result, else the chosen one
  bool gainInDb = true;
  bool phaseInDegrees = true;
  // A user-defined filter computes its gain section by section into grid point 0 of slot 0.
  std::function<void(core::DesignState&)> userDefinedGain;
};

struct PointLine {
  int slot = 0;
  std::string text;
};

// `value` is a frequency in the current display unit for the frequency tabs, or a time in
// units of 10^e seconds (e the time axis exponent) for the step and impulse tabs.
std::vector<PointLine> EvaluatePoint(core::DesignState& state, ResponseTab tab, double value,
                                     const PointOptions& options);

// The point under pixel column x of a plot spanning [left, left + width).
double FrequencyAtPixel(double x, double left, double width, double start, double stop, bool logarithmic);
double TimeAtPixel(double x, double left, double width, double span);

// How a picked point is written into the calculator's entry field.
std::string FrequencyEntryText(double f);
std::string TimeEntryText(double t);

// The calculator's group caption for a tab.
std::string PointCaption(const core::DesignState& state, ResponseTab tab);

}  // namespace tavrin::response
