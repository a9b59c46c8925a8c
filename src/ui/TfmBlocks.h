// "The building blocks": the guide of the user-defined window.  For each kind of section
// it sketches the gain of a sample section on a logarithmic frequency axis and marks what
// the entries mean on it: the pole and zero frequencies, the corner and the gain To.
#pragma once

#include <QDialog>
#include <QStringList>

#include "core/DesignState.h"

class QCustomPlot;
class QLabel;
class QRadioButton;

namespace tavrin::ui {

class TfmBlocks : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "The building blocks";

  explicit TfmBlocks(core::FrequencyUnit unit, QWidget* parent = nullptr);

  // The marks of the sketch shown, each as its label and its frequency or level.
  QStringList Marks() const { return marks_; }
  QCustomPlot* Plot() const { return plot_; }

  // Chooses a sketch as the buttons do: order 1 or 2; type 0 lowpass, 1 highpass,
  // 2 bandpass, 3 lowpass notch, 4 highpass notch, 5 notch.
  void Choose(int order, int type);

 private:
  void Redraw();

  core::FrequencyUnit unit_;
  QRadioButton* first_ = nullptr;
  QRadioButton* second_ = nullptr;
  QRadioButton* types_[6] = {};
  QCustomPlot* plot_ = nullptr;
  QLabel* note_ = nullptr;
  QStringList marks_;
};

}  // namespace tavrin::ui
