// "Stage Transfer Functions": every stage of the design as a biquadratic function
// T(s) = To (A s² + B s + C) / (D s² + E s + F), its coefficients tabulated in rad/s or
// in hertz.  A tool window beside the design; printing draws the same table.
#pragma once

#include <QDialog>
#include <QStringList>
#include <vector>

#include "core/DesignState.h"

class QPainter;
class QRadioButton;
class QScrollArea;

namespace tavrin::ui {

// What the table shows, as text: the window draws it, printing draws it, tests read it.
struct TransferTableTexts {
  QString title;
  QString poleLabel;  // "wp" or "fp"
  QString zeroLabel;  // "wz" or "fz"
  // One block per five stages: the header ("Stage" and the stage numbers), then one row
  // per quantity, its label first.
  struct Block {
    QStringList header;
    std::vector<QStringList> rows;
  };
  std::vector<Block> blocks;
};
TransferTableTexts BuildTransferTexts(const core::DesignState& state, core::FrequencyUnit unit,
                                      bool printing);

// Draws the whole table into the rectangle: title, formula, notes, blocks, footnotes.
// Returns the height used.  Fonts are in points, so a printer gets the same layout.
int DrawTransferTable(QPainter& painter, const QRect& rect, const core::DesignState& state,
                      core::FrequencyUnit unit, bool printing);

class TfmTransfer : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Stage Transfer Functions";

  explicit TfmTransfer(const core::DesignState& state, QWidget* parent = nullptr);

  // The unit of the table; it also decides the unit of the coefficients in the ASCII file.
  core::FrequencyUnit Unit() const { return unit_; }
  void SetUnit(core::FrequencyUnit unit);
  TransferTableTexts Texts() const;
  // Redraws from the design and fits the window to the table.
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const core::DesignState& state_;
  core::FrequencyUnit unit_ = core::FrequencyUnit::RadPerSec;
  QRadioButton* radBtn_ = nullptr;
  QRadioButton* hzBtn_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  QWidget* canvas_ = nullptr;
};

}  // namespace tavrin::ui
