// The page that follows cascading until the circuit selection window is built: it lists
// the stages in cascade order, each with its type and targets, and leads back.
#pragma once

#include <QWidget>

class QLabel;

namespace tavrin::ui {

class TfmMain;

class CircuitSelectionPlaceholder : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Select circuit schematic for each stage";

  explicit CircuitSelectionPlaceholder(TfmMain& main, QWidget* parent = nullptr);

  // Rebuilds the stage lines from the design, in the current frequency unit.
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TfmMain& main_;
  QLabel* summary_ = nullptr;
};

}  // namespace tavrin::ui
