// The "Calculation results" table: one column per approximation, one row per figure, so
// the five can be compared at a glance.  A slot that cannot be used is marked in red.
#pragma once

#include <QPixmap>
#include <QTableWidget>

#include "approx/ResultsTable.h"

namespace tavrin::ui {

class ResultsGrid : public QTableWidget {
  Q_OBJECT

 public:
  explicit ResultsGrid(QWidget* parent = nullptr);

  void SetTable(const approx::ResultsTable& table);
  // The text and colour of one figure: row 0..7, slot 0..4.
  QString CellText(int row, int slot) const;
  bool CellIsRed(int row, int slot) const;
  // The column heading of a slot, its two lines joined by a line break.
  QString Heading(int slot) const;

  // The table as a picture for the clipboard: drawn without selection or focus marks.
  QPixmap CopyPicture();

  QSize sizeHint() const override;

 private:
  void FitColumns();
  int SlotColumnWidth() const;
};

}  // namespace tavrin::ui
