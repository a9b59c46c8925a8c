// The tolerance template of a filter kind: where the gain must stay in the passband and
// where it must not be in the stopband, with the response of a filter that meets it.  The
// labels carry the values the user has typed, so the picture reads as the design's own.
#pragma once

#include <QWidget>

#include "core/DesignState.h"

namespace tavrin::ui {

class TolerancePicture : public QWidget {
  Q_OBJECT

 public:
  // The texts written beside the symbols ("0.5 dB", "1 kHz"); empty ones are left out.
  struct Values {
    QString apb;
    QString asb;
    QString pass;
    QString stop;
    QString center;
  };

  explicit TolerancePicture(QWidget* parent = nullptr);

  void SetKind(core::FilterKind kind);
  core::FilterKind Kind() const { return kind_; }
  // Symbols in f (Hz display) or w (rad/s display).
  void SetRadians(bool radians);
  // With a forced order the stopband is not part of the requirement: drawn faint.
  void SetStopbandFaint(bool faint);
  void SetValues(const Values& values);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  core::FilterKind kind_ = core::FilterKind::Lowpass;
  bool radians_ = false;
  bool stopbandFaint_ = false;
  Values values_;
};

}  // namespace tavrin::ui
