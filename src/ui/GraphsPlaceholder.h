// The page that Next of the entry window leads to until the response graphs are
// built: it names the approximations that can be chosen and leads back.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace tavrin::ui {

class TfmMain;

class GraphsPlaceholder : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "View frequency and time responses, select Approximation:";

  explicit GraphsPlaceholder(TfmMain& main, QWidget* parent = nullptr);

  // Rebuilds the list of approximations from the design.
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TfmMain& main_;
  QLabel* summary_ = nullptr;
};

}  // namespace tavrin::ui
