#include "ui/TfmTransfer.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "stages/Biquad.h"

namespace tavrin::ui {

namespace {

QString Text(const std::string& s) {
  return QString::fromStdString(s);
}

QFont PointFont(const char* family, double points, bool bold = false) {
  QFont f(QString::fromLatin1(family));
  f.setStyleHint(QString::fromLatin1(family) == QLatin1String("serif") ? QFont::Serif : QFont::SansSerif);
  f.setPointSizeF(points);
  f.setBold(bold);
  return f;
}

const QColor kInk(0x2c, 0x3e, 0x50);
const QColor kTitleInk(0x1d, 0x4f, 0x91);
const QColor kGrid(0xc0, 0xc6, 0xcc);
const QColor kHeaderFill(0xe8, 0xee, 0xf5);
const QColor kMuted(0x5f, 0x6e, 0x80);

// Lays the table out from the top-left corner and draws it when a painter is given;
// returns the size it takes on the device.
QSize Render(QPainter* p, const QPaintDevice* device, QPoint origin, const core::DesignState& state,
             core::FrequencyUnit unit, bool printing) {
  const TransferTableTexts texts = BuildTransferTexts(state, unit, printing);
  const QFont titleFont = PointFont("sans", 12.5, true);
  const QFont bodyFont = PointFont("sans", 10);
  const QFont boldFont = PointFont("sans", 10, true);
  const QFont mathFont = PointFont("serif", 12.5);
  const QFont superFont = PointFont("serif", 8.5);
  const QFontMetrics tm(titleFont, device), bm(bodyFont, device), bb(boldFont, device), mm(mathFont, device),
      sm(superFont, device);
  const int unitPx = bm.height();  // every gap is a fraction of one line
  const int left = origin.x() + unitPx;
  int y = origin.y() + unitPx * 3 / 4;
  int right = left;

  auto text = [&](const QFont& font, const QFontMetrics& fm, int x, int baseline, const QString& s,
                  const QColor& ink = kInk) {
    if (p) {
      p->setFont(font);
      p->setPen(ink);
      p->drawText(QPoint(x, baseline), s);
    }
    right = std::max(right, x + fm.horizontalAdvance(s));
    return x + fm.horizontalAdvance(s);
  };

  // 1. Title.
  y += tm.ascent();
  text(titleFont, tm, left, y, texts.title, kTitleInk);
  y += tm.descent() + unitPx;

  // 2. T(s) = To * (As² + Bs + C) / (Ds² + Es + F).
  const QString numerator = QStringLiteral("As² + Bs + C"), denominator = QStringLiteral("Ds² + Es + F");
  const int fractionWidth =
      std::max(mm.horizontalAdvance(numerator), mm.horizontalAdvance(denominator)) + unitPx;
  const int mid = y + mm.height();
  int x = text(mathFont, mm, left, mid + mm.ascent() / 2 - mm.descent() / 2, QStringLiteral("T(s) = To * "));
  text(mathFont, mm, x + (fractionWidth - mm.horizontalAdvance(numerator)) / 2, mid - mm.descent() - 2,
       numerator);
  text(mathFont, mm, x + (fractionWidth - mm.horizontalAdvance(denominator)) / 2, mid + mm.ascent() + 1,
       denominator);
  if (p) {
    p->setPen(QPen(kInk, std::max(1.0, mm.lineWidth() * 1.0)));
    p->drawLine(x, mid, x + fractionWidth, mid);
  }
  right = std::max(right, x + fractionWidth);
  y = mid + mm.height() + unitPx * 3 / 4;

  // 3. How the pole and zero follow from the coefficients, with a superscript one half.
  const int noteColumn = left + bm.horizontalAdvance(QStringLiteral("For 2nd order stage:")) + unitPx;
  auto root = [&](int at, int baseline, const QString& label, const QString& coefficient) {
    int end = text(mathFont, mm, at, baseline, label + QStringLiteral(" = ") + coefficient);
    return text(superFont, sm, end + 1, baseline - mm.ascent() / 2, QStringLiteral("½"));
  };
  y += mm.ascent();
  text(bodyFont, bm, left, y, QStringLiteral("For 2nd order stage:"));
  x = root(noteColumn, y, texts.poleLabel, QStringLiteral("F"));
  text(mathFont, mm, x, y, QStringLiteral("        Qp = ") + texts.poleLabel + QStringLiteral("/E"));
  y += mm.height() + 2;
  text(bodyFont, bm, left, y, QStringLiteral("For notch stage:"));
  root(noteColumn, y, texts.zeroLabel, QStringLiteral("C"));
  y += mm.descent() + unitPx;

  // 4. The blocks of five stages.
  const int rowHeight = bm.height() + unitPx / 3;
  const int labelWidth = bb.horizontalAdvance(QStringLiteral("Stage  →")) + unitPx;
  const int cellWidth = bm.horizontalAdvance(QStringLiteral("-8.8888888E+88")) + unitPx;
  for (const TransferTableTexts::Block& block : texts.blocks) {
    const int columns = static_cast<int>(block.header.size()) - 1;
    const int tableWidth = labelWidth + columns * cellWidth;
    const int rows = 1 + static_cast<int>(block.rows.size());
    if (p) {
      p->fillRect(QRect(left, y, tableWidth, rowHeight), kHeaderFill);
      p->setPen(QPen(kGrid, 1));
      for (int r = 0; r <= rows; ++r)
        p->drawLine(left, y + r * rowHeight, left + tableWidth, y + r * rowHeight);
      p->drawLine(left + labelWidth, y, left + labelWidth, y + rows * rowHeight);
      // Fainter lines between the stages' columns.
      p->setPen(QPen(kGrid.lighter(115), 1, Qt::DotLine));
      for (int c = 1; c < columns; ++c)
        p->drawLine(left + labelWidth + c * cellWidth, y, left + labelWidth + c * cellWidth,
                    y + rows * rowHeight);
    }
    auto cell = [&](int column, int row, const QString& s, bool bold) {
      const QFont& font = bold ? boldFont : bodyFont;
      const QFontMetrics& fm = bold ? bb : bm;
      const int baseline = y + row * rowHeight + (rowHeight + fm.ascent() - fm.descent()) / 2;
      const int at = column < 0
                         ? left + unitPx / 3
                         : left + labelWidth + column * cellWidth + (cellWidth - fm.horizontalAdvance(s)) / 2;
      text(font, fm, at, baseline, s);
    };
    cell(-1, 0, block.header.value(0) + QStringLiteral("  →"), true);
    for (int c = 0; c < columns; ++c) cell(c, 0, block.header.value(c + 1), true);
    for (std::size_t r = 0; r < block.rows.size(); ++r) {
      const QStringList& row = block.rows[r];
      cell(-1, static_cast<int>(r) + 1, row.value(0), true);
      for (int c = 0; c < columns; ++c) cell(c, static_cast<int>(r) + 1, row.value(c + 1), false);
    }
    right = std::max(right, left + tableWidth);
    y += rows * rowHeight + unitPx;
  }

  // 5. Where the table goes further.
  const int footColumn = left + bb.horizontalAdvance(QStringLiteral("To save to file:")) + unitPx / 2;
  y += bm.ascent();
  text(boldFont, bb, left, y, QStringLiteral("To print:"), kMuted);
  text(bodyFont, bm, footColumn, y, QStringLiteral("File...Print...Include transfer function(s)"), kMuted);
  y += bm.height() + 2;
  text(boldFont, bb, left, y, QStringLiteral("To save to file:"), kMuted);
  text(bodyFont, bm, footColumn, y,
       QStringLiteral("File...Save data to ASCII file...Include transfer function(s)"), kMuted);
  y += bm.descent() + unitPx * 3 / 4;
  return {right + unitPx - origin.x(), y - origin.y()};
}

// The table on screen, as large as it needs to be.
class TransferCanvas : public QWidget {
 public:
  TransferCanvas(const core::DesignState& state, const core::FrequencyUnit& unit)
      : state_(state), unit_(unit) {
    setObjectName(QStringLiteral("TransferCanvas"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
  }
  QSize sizeHint() const override { return Render(nullptr, this, QPoint(0, 0), state_, unit_, false); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawTransferTable(p, rect(), state_, unit_, false);
  }

 private:
  const core::DesignState& state_;
  const core::FrequencyUnit& unit_;
};

}  // namespace

TransferTableTexts BuildTransferTexts(const core::DesignState& state, core::FrequencyUnit unit,
                                      bool printing) {
  TransferTableTexts t;
  const bool hz = unit == core::FrequencyUnit::Hz;
  t.title = Text(stages::TransferTitle(state, printing));
  t.poleLabel = hz ? QStringLiteral("fp") : QStringLiteral("wp");
  t.zeroLabel = hz ? QStringLiteral("fz") : QStringLiteral("wz");
  const auto labels = stages::TransferRowLabels(unit);
  const int stageCount = std::clamp<int>(state.stageCount, 0, core::kMaxStages);
  for (const std::vector<int>& stages : stages::TransferBlocks(stageCount)) {
    TransferTableTexts::Block block;
    block.header << QStringLiteral("Stage");
    for (int s : stages) block.header << QString::number(s);
    for (int r = 0; r < stages::kTransferRows; ++r)
      block.rows.push_back({Text(labels[static_cast<std::size_t>(r)])});
    for (int s : stages) {
      const auto cells = stages::TransferCellTexts(state.stages[static_cast<std::size_t>(s)], unit);
      for (int r = 0; r < stages::kTransferRows; ++r)
        block.rows[static_cast<std::size_t>(r)] << Text(cells[static_cast<std::size_t>(r)]);
    }
    t.blocks.push_back(std::move(block));
  }
  return t;
}

int DrawTransferTable(QPainter& painter, const QRect& rect, const core::DesignState& state,
                      core::FrequencyUnit unit, bool printing) {
  // A page narrower than the table gets the table scaled down to its width.
  const QSize natural = Render(nullptr, painter.device(), QPoint(0, 0), state, unit, printing);
  const double scale = natural.width() > rect.width() && rect.width() > 0
                           ? static_cast<double>(rect.width()) / natural.width()
                           : 1.0;
  painter.save();
  painter.translate(rect.topLeft());
  painter.scale(scale, scale);
  Render(&painter, painter.device(), QPoint(0, 0), state, unit, printing);
  painter.restore();
  return static_cast<int>(std::ceil(natural.height() * scale));
}

TfmTransfer::TfmTransfer(const core::DesignState& state, QWidget* parent) : QDialog(parent), state_(state) {
  setObjectName(QStringLiteral("TfmTransfer"));
  setWindowTitle(QString::fromUtf8(kCaption));
  setModal(false);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  auto* units = new QHBoxLayout;
  units->addWidget(new QLabel(QStringLiteral("Frequencies in:")));
  radBtn_ = new QRadioButton(QStringLiteral("rad/s"));
  radBtn_->setObjectName(QStringLiteral("RadBtn"));
  hzBtn_ = new QRadioButton(QStringLiteral("Hz"));
  hzBtn_->setObjectName(QStringLiteral("HzBtn"));
  auto* group = new QButtonGroup(this);
  group->addButton(radBtn_);
  group->addButton(hzBtn_);
  radBtn_->setChecked(true);
  units->addWidget(radBtn_);
  units->addWidget(hzBtn_);
  units->addStretch(1);
  layout->addLayout(units);

  canvas_ = new TransferCanvas(state_, unit_);
  scroll_ = new QScrollArea;
  scroll_->setObjectName(QStringLiteral("TransferScroll"));
  scroll_->setWidget(canvas_);
  scroll_->setWidgetResizable(true);
  scroll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  layout->addWidget(scroll_, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
  layout->addWidget(buttons);

  connect(radBtn_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) SetUnit(core::FrequencyUnit::RadPerSec);
  });
  connect(hzBtn_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) SetUnit(core::FrequencyUnit::Hz);
  });
}

void TfmTransfer::SetUnit(core::FrequencyUnit unit) {
  unit_ = unit;
  {
    const QSignalBlocker quietRad(radBtn_), quietHz(hzBtn_);
    (unit == core::FrequencyUnit::Hz ? hzBtn_ : radBtn_)->setChecked(true);
  }
  Refresh();
}

TransferTableTexts TfmTransfer::Texts() const {
  return BuildTransferTexts(state_, unit_, false);
}

void TfmTransfer::Refresh() {
  const QSize table = canvas_->sizeHint();
  canvas_->setMinimumSize(table);
  canvas_->update();
  // The window grows with the table (a second block for more than five stages), within
  // the screen; beyond that it scrolls.
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const QSize room = screen ? screen->availableGeometry().size() * 9 / 10 : QSize(1200, 900);
  const int frame = 2 * scroll_->frameWidth();
  scroll_->setMinimumSize(QSize(0, 0));
  const QSize chrome = sizeHint() - scroll_->sizeHint();
  scroll_->setMinimumSize((table + QSize(frame, frame)).boundedTo(room - chrome));
  resize(sizeHint().boundedTo(room));
}

void TfmTransfer::showEvent(QShowEvent* event) {
  // Each opening starts in hertz.
  if (!event->spontaneous()) SetUnit(core::FrequencyUnit::Hz);
  QDialog::showEvent(event);
}

}  // namespace tavrin::ui
