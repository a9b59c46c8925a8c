// "Configure Axes": the ranges and scales of the response graphs, the grid and the 3 dB
// marker.  The window edits copies; Apply writes them into the design (at the current
// zoom level) and says what has to be recomputed, Cancel leaves everything as it was.
#pragma once

#include <QDialog>
#include <vector>

#include "core/DesignState.h"

class QCheckBox;
class QLabel;
class QRadioButton;
class QSlider;

namespace tavrin::ui {

class TfmConfig : public QDialog {
  Q_OBJECT

 public:
  struct Changes {
    bool frequencyGrid = false;  // spacing or frequency range: the grid is recomputed
    bool timeGrid = false;       // time span
    bool gainUnit = false;       // dB / V/V
  };

  TfmConfig(core::DesignState& state, QWidget* parent = nullptr);

  void ApplyBtnClick();
  Changes Applied() const { return applied_; }

  // The slider ladders, for tests: the frequency at a position, the positions' count.
  double FrequencyAt(int position) const;
  int FrequencyPositions() const { return static_cast<int>(frequencies_.size()); }

 private:
  void BuildLadders();
  void LoadSliders();
  void UpdateTexts();
  double GainAt(int position) const;
  double TimeSpanAt(int position) const;
  int NearestFrequency(double f) const;

  core::DesignState& state_;
  core::IdealAxes axes_;
  core::GraphConfig graph_;
  Changes applied_;

  std::vector<double> frequencies_;  // 1..9 times powers of ten over the allowed range
  double dbTop_ = 0;                 // the dB ladder: 200 dB below it in 10 dB steps
  double vvTop_ = 1;                 // the V/V ladder: 0 .. vvTop_ in 20 steps
  int loadedGainTop_ = 0;            // the gain thumbs as the limits put them
  int loadedGainBottom_ = 0;

  QSlider* freqStart_ = nullptr;
  QSlider* freqStop_ = nullptr;
  QLabel* freqText_ = nullptr;
  QRadioButton* log_ = nullptr;
  QRadioButton* linear_ = nullptr;
  QSlider* gainBottom_ = nullptr;
  QSlider* gainTop_ = nullptr;
  QLabel* gainText_ = nullptr;
  QRadioButton* db_ = nullptr;
  QRadioButton* vv_ = nullptr;
  QSlider* time_ = nullptr;
  QLabel* timeText_ = nullptr;
  QCheckBox* grid_ = nullptr;
  QCheckBox* marker_ = nullptr;
};

}  // namespace tavrin::ui
