// The about box.  At start-up it doubles as the splash: no frame, no button, and it
// goes away by itself after a moment or at the first click.
#pragma once

#include <QDialog>

class QTimer;

namespace tavrin::ui {

class AboutBox : public QDialog {
  Q_OBJECT

 public:
  enum class Mode { About, Splash };

  static constexpr int kSplashMilliseconds = 2500;

  explicit AboutBox(Mode mode, QWidget* parent = nullptr);

  Mode DisplayMode() const { return mode_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  Mode mode_;
  QTimer* splashTimer_ = nullptr;
};

}  // namespace tavrin::ui
