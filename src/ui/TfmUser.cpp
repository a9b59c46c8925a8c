#include "ui/TfmUser.h"

#include <qcustomplot.h>

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/MathHelpers.h"
#include "core/NumberFormat.h"
#include "ui/Icons.h"
#include "ui/MessageBoxes.h"
#include "ui/NumEdit.h"
#include "ui/TfmBlocks.h"
#include "ui/TfmMain.h"

namespace tavrin::ui {

using core::FrequencyUnit;
using stages::EntryMode;
using stages::SectionType;

// The preview of the section's transfer function: "T(s) = " and a fraction.
class FractionLabel : public QWidget {
 public:
  explicit FractionLabel(QWidget* parent = nullptr) : QWidget(parent) {
    setObjectName(QStringLiteral("Preview"));
    QFont f = font();
    f.setFamily(QStringLiteral("serif"));
    f.setPointSizeF(f.pointSizeF() * 1.15);
    setFont(f);
    setMinimumHeight(3 * fontMetrics().height() + 6);
  }

  void SetFraction(const QString& numerator, const QString& denominator) {
    numerator_ = numerator;
    denominator_ = denominator;
    update();
  }
  QString Text() const { return kPrefix + numerator_ + QStringLiteral(" / ") + denominator_; }

  QSize sizeHint() const override {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(kPrefix) + fm.horizontalAdvance(QStringLiteral("(s² + (wp/Q)s + wp²)")) + 16,
            3 * fm.height() + 6};
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics fm(font());
    const int mid = height() / 2;
    const int left = 4 + fm.horizontalAdvance(kPrefix);
    const int width = std::max(fm.horizontalAdvance(numerator_), fm.horizontalAdvance(denominator_)) + 8;
    p.drawText(QPoint(4, mid + fm.ascent() / 2 - 1), kPrefix);
    p.drawLine(left, mid, left + width, mid);
    p.drawText(QRect(left, mid - fm.height() - 2, width, fm.height()), Qt::AlignCenter, numerator_);
    p.drawText(QRect(left, mid + 3, width, fm.height()), Qt::AlignCenter, denominator_);
  }

 private:
  inline static const QString kPrefix = QStringLiteral("T(s) = ");
  QString numerator_;
  QString denominator_;
};

namespace {

QString Text(const char* s) {
  return QString::fromUtf8(s);
}

QString Text(const std::string& s) {
  return QString::fromStdString(s);
}

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(Text(name));
  return widget;
}

bool Hertz(const core::DesignState& s) {
  return s.frequencyUnit == FrequencyUnit::Hz;
}

// The section list keeps the engine's lines, "1.  \tLowpass\t2º"; the tabs become columns.
class TabbedItemDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem plain = option;
    initStyleOption(&plain, index);
    const QStringList parts = plain.text.split(QLatin1Char('\t'));
    plain.text.clear();
    const QWidget* widget = plain.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &plain, painter, widget);
    const bool selected = plain.state & QStyle::State_Selected;
    painter->save();
    painter->setPen(
        plain.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text));
    const QFontMetrics fm(plain.font);
    const std::array<int, 3> columns = {6, 6 + fm.horizontalAdvance(QStringLiteral("00.  ")),
                                        6 + fm.horizontalAdvance(QStringLiteral("00.  Bandstop    "))};
    for (int i = 0; i < parts.size() && i < 3; ++i) {
      QRect cell = plain.rect;
      cell.setLeft(plain.rect.left() + columns[static_cast<std::size_t>(i)]);
      painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, parts[i]);
    }
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), option.fontMetrics.height() + 6));
    return size;
  }
};

QString FieldLabel(int field, const stages::SectionEntry& e, bool hz) {
  switch (field) {
    case stages::kFieldFirst:
      return e.mode == EntryMode::Poles || e.order == 1 ? QStringLiteral("p = -") : QStringLiteral("Q =");
    case stages::kFieldWp:
      return hz ? QStringLiteral("fp=") : QStringLiteral("wp=");
    case stages::kFieldWz:
      if (e.mode == EntryMode::Poles) return QStringLiteral("z = +/-j");
      return hz ? QStringLiteral("fz=") : QStringLiteral("wz=");
    case stages::kFieldImag:
      return QStringLiteral("+/- j");
    default:
      return QStringLiteral("To =");
  }
}

QString Decibels(double vv) {
  return Text(core::TrimLeadingBlanks(core::FormatFixed(stages::UserGainDb(vv), 1, 2))) +
         QStringLiteral(" dB");
}

constexpr int kCurvePoints = core::kScreenGridN + 1;
const QColor kFilterColour(29, 111, 216);
const QColor kSectionColour(230, 126, 34);
// The small graph shows the slopes of a few sections and the depth of a notch: a wider
// span than the response graphs' 40 dB.
constexpr double kGraphSpanDb = 60.0;

}  // namespace

TfmUser::TfmUser(TfmMain& main, QWidget* parent) : QWidget(parent), main_(main) {
  setObjectName(QStringLiteral("TfmUser"));
  setWindowTitle(Text(kCaption));
  BuildControls();
  ResetEntries();
  Rebuild(0);
}

// ---------------------------------------------------------------------------------------
// Building

void TfmUser::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 10, 14, 10);
  layout->setSpacing(8);

  auto* header = new QHBoxLayout;
  header->setSpacing(10);
  auto* icon = Named(new QLabel, "KindIcon");
  icon->setPixmap(MakeIcon(IconId::UserDefined).pixmap(QSize(36, 36), devicePixelRatioF()));
  header->addWidget(icon);
  auto* titles = new QVBoxLayout;
  titles->setSpacing(0);
  auto* title = Named(new QLabel(QStringLiteral("User-defined filter")), "KindTitle");
  QFont titleFont = title->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
  titleFont.setBold(true);
  title->setFont(titleFont);
  titles->addWidget(title);
  auto* caption = Named(new QLabel(Text(kCaption)), "Caption");
  caption->setForegroundRole(QPalette::PlaceholderText);
  titles->addWidget(caption);
  header->addLayout(titles, 1);
  layout->addLayout(header);

  auto* body = new QHBoxLayout;
  body->setSpacing(12);
  body->addWidget(BuildEntryPanel());
  body->addWidget(BuildSectionPanel(), 1);
  layout->addLayout(body, 1);
  layout->addWidget(BuildButtons());
}

QWidget* TfmUser::BuildEntryPanel() {
  auto* panel = Named(new QWidget, "EntryPanel");
  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(8);

  auto radioGroup = [this](const char* title, const char* name, std::initializer_list<QRadioButton*> buttons,
                           bool horizontal) {
    auto* box = Named(new QGroupBox(Text(title)), name);
    QBoxLayout* l = horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(box)) : new QVBoxLayout(box);
    l->setSpacing(horizontal ? 14 : 2);
    auto* group = new QButtonGroup(box);
    for (QRadioButton* b : buttons) {
      group->addButton(b);
      l->addWidget(b);
      connect(b, &QRadioButton::toggled, this, [this](bool on) {
        if (on) UpdateEntryControls();
      });
    }
    if (horizontal) l->addStretch(1);
    return box;
  };
  RB1 = Named(new QRadioButton(QStringLiteral("First")), "RB1");
  RB2 = Named(new QRadioButton(QStringLiteral("Second")), "RB2");
  RB3 = Named(new QRadioButton(QStringLiteral("Lowpass")), "RB3");
  RB4 = Named(new QRadioButton(QStringLiteral("Highpass")), "RB4");
  RB5 = Named(new QRadioButton(QStringLiteral("Bandpass")), "RB5");
  RB6 = Named(new QRadioButton(QStringLiteral("Bandstop")), "RB6");
  RB7 = Named(new QRadioButton(QStringLiteral(" Qp,wp,wz")), "RB7");
  RB8 = Named(new QRadioButton(QStringLiteral(" poles")), "RB8");

  auto* choices = new QHBoxLayout;
  choices->setSpacing(8);
  auto* left = new QVBoxLayout;
  left->addWidget(radioGroup("Order:", "OrderGroup", {RB1, RB2}, false));
  left->addWidget(radioGroup("Entry mode:", "ModeGroup", {RB7, RB8}, false));
  choices->addLayout(left);
  choices->addWidget(radioGroup("Section type:", "TypeGroup", {RB3, RB4, RB5, RB6}, false), 1);
  column->addLayout(choices);

  preview_ = new FractionLabel;
  auto* previewBox = Named(new QGroupBox(QStringLiteral("The section")), "PreviewGroup");
  auto* pl = new QVBoxLayout(previewBox);
  pl->setContentsMargins(8, 2, 8, 2);
  pl->addWidget(preview_);
  column->addWidget(previewBox);

  auto* dataBox = Named(new QGroupBox(QStringLiteral("Enter data:")), "DataGroup");
  auto* grid = new QGridLayout(dataBox);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(6);
  const char* names[] = {"NumEdit1", "NumEdit2", "NumEdit3", "NumEdit4", "NumEdit5"};
  // Rows in reading order: the pole (real part, then its imaginary part), its frequency,
  // the zero, the gain.
  const int rows[] = {0, 2, 3, 1, 4};
  for (int f = 0; f < 5; ++f) {
    const auto i = static_cast<std::size_t>(f);
    edits_[i] = Named(new TNumEdit, names[f]);
    edits_[i]->setMaxLength(8);
    edits_[i]->setFixedWidth(QFontMetrics(edits_[i]->font()).horizontalAdvance(QStringLiteral("00000000.0")) +
                             16);
    labels_[i] = new QLabel;
    labels_[i]->setObjectName(QStringLiteral("Label%1").arg(f + 1));
    labels_[i]->setBuddy(edits_[i]);
    labels_[i]->setMinimumWidth(
        QFontMetrics(labels_[i]->font()).horizontalAdvance(QStringLiteral("z = +/-j")) + 6);
    grid->addWidget(labels_[i], rows[f], 0, Qt::AlignRight);
    grid->addWidget(edits_[i], rows[f], 1);
    connect(edits_[i], &QLineEdit::textChanged, this, &TfmUser::UpdateAddEnabled);
  }
  unitCaption_ = Named(new QLabel, "UnitCaption");
  dataGrid_ = grid;
  grid->addWidget(unitCaption_, 0, 2);
  grid->setColumnStretch(3, 1);
  column->addWidget(dataBox);

  AddBtn = Named(new QPushButton(QStringLiteral("Add")), "AddBtn");
  AddBtn->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
  AddBtn->setLayoutDirection(Qt::RightToLeft);
  AddBtn->setStyleSheet(QStringLiteral(
      "QPushButton { background: #1d6fd8; color: white; font-weight: bold; border: 1px solid #1a5fb8;"
      " border-radius: 4px; padding: 4px 14px; }"
      "QPushButton:hover { background: #2a7de6; }"
      "QPushButton:disabled { background: #b9c9dd; border-color: #b9c9dd; }"));
  connect(AddBtn, &QPushButton::clicked, this, &TfmUser::AddBtnClick);
  auto* addRow = new QHBoxLayout;
  addRow->addStretch(1);
  addRow->addWidget(AddBtn);
  column->addLayout(addRow);
  column->addStretch(1);

  // Broken by hand: a word-wrapped label lets the layout squeeze the groups above it.
  auto* hint = Named(new QLabel(QStringLiteral("Choose order and type, type the values and\n"
                                               "press Add: each section becomes one stage\n"
                                               "of the filter, in the order of the list.")),
                     "EntryHint");
  hint->setForegroundRole(QPalette::PlaceholderText);
  column->addWidget(hint);
  panel->setMaximumWidth(360);
  return panel;
}

QWidget* TfmUser::BuildSectionPanel() {
  auto* panel = Named(new QWidget, "SectionPanel");
  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(6);

  auto* sections = Named(new QGroupBox(QStringLiteral("Sections (stage order)")), "SectionGroup");
  auto* row = new QHBoxLayout(sections);
  ListBox1 = Named(new QListWidget, "ListBox1");
  ListBox1->setItemDelegate(new TabbedItemDelegate(ListBox1));
  ListBox1->setDragDropMode(QAbstractItemView::InternalMove);
  ListBox1->setDefaultDropAction(Qt::MoveAction);
  ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
  ListBox1->setMinimumWidth(
      QFontMetrics(ListBox1->font()).horizontalAdvance(QStringLiteral("00.  Bandstop    2º")) + 40);
  ListBox1->setMaximumHeight(7 * (QFontMetrics(ListBox1->font()).height() + 6) + 8);
  auto* listColumn = new QVBoxLayout;
  listColumn->addWidget(ListBox1, 1);
  orderText_ = Named(new QLabel, "OrderText");
  listColumn->addWidget(orderText_);
  row->addLayout(listColumn, 1);

  auto* tools = new QVBoxLayout;
  SB1 = Named(new QToolButton, "SB1");
  SB1->setArrowType(Qt::UpArrow);
  SB1->setToolTip(QStringLiteral("Move the section up"));
  SB2 = Named(new QToolButton, "SB2");
  SB2->setArrowType(Qt::DownArrow);
  SB2->setToolTip(QStringLiteral("Move the section down"));
  DeleteBtn = Named(new QPushButton(QStringLiteral("Delete")), "DeleteBtn");
  tools->addWidget(SB1);
  tools->addWidget(SB2);
  tools->addSpacing(8);
  tools->addWidget(DeleteBtn);
  tools->addStretch(1);
  row->addLayout(tools);
  column->addWidget(sections);

  connect(SB1, &QToolButton::clicked, this, &TfmUser::SB1Click);
  connect(SB2, &QToolButton::clicked, this, &TfmUser::SB2Click);
  connect(DeleteBtn, &QPushButton::clicked, this, &TfmUser::DeleteBtnClick);
  connect(ListBox1, &QListWidget::currentRowChanged, this, [this] {
    if (rebuilding_) return;
    UpdateListButtons();
    UpdateGraph();
    ClearReadOut();
  });
  // A drag within the list moves the section; the list is rebuilt from the design once
  // the view has finished its own move.
  connect(ListBox1->model(), &QAbstractItemModel::rowsMoved, this,
          [this](const QModelIndex&, int start, int, const QModelIndex&, int destination) {
            if (rebuilding_) return;
            const int to = destination > start ? destination - 1 : destination;
            QTimer::singleShot(0, this, [this, start, to] { RowsDropped(start + 1, to + 1); });
          });

  graph_ = Named(new QCustomPlot, "GainGraph");
  graph_->setMinimumSize(360, 230);
  graph_->setBackground(palette().color(QPalette::Base));
  graph_->xAxis->setScaleType(QCPAxis::stLogarithmic);
  auto ticker = QSharedPointer<QCPAxisTickerLog>::create();
  ticker->setLogBase(10);
  ticker->setSubTickCount(8);
  graph_->xAxis->setTicker(ticker);
  graph_->xAxis->setNumberFormat(QStringLiteral("gb"));
  graph_->xAxis->grid()->setSubGridVisible(true);
  graph_->yAxis->setLabel(QStringLiteral("Gain (dB)"));
  graph_->xAxis2->setVisible(true);
  graph_->yAxis2->setVisible(true);
  graph_->xAxis2->setTicks(false);
  graph_->yAxis2->setTicks(false);
  graph_->xAxis2->setTickLabels(false);
  graph_->yAxis2->setTickLabels(false);
  filterGraph_ = graph_->addGraph();
  filterGraph_->setName(QStringLiteral("All sections"));
  filterGraph_->setPen(QPen(kFilterColour, 2.2));
  sectionGraph_ = graph_->addGraph();
  sectionGraph_->setName(QStringLiteral("Selected section"));
  sectionGraph_->setPen(QPen(kSectionColour, 1.6, Qt::DashLine));
  graph_->legend->setVisible(true);
  graph_->legend->setBrush(QColor(255, 255, 255, 220));
  graph_->legend->setBorderPen(QPen(QColor(0xc9, 0xd3, 0xde)));
  QFont legendFont = font();
  legendFont.setPointSizeF(legendFont.pointSizeF() * 0.9);
  graph_->legend->setFont(legendFont);
  graph_->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
  emptyNote_ = new QCPItemText(graph_);
  emptyNote_->setText(QStringLiteral("The gain shows here once a section is added."));
  emptyNote_->setColor(QColor(0x8a, 0x96, 0xa3));
  emptyNote_->position->setType(QCPItemPosition::ptAxisRectRatio);
  emptyNote_->position->setCoords(0.5, 0.5);
  connect(graph_, &QCustomPlot::mousePress, this, [this](QMouseEvent* event) {
    if (main_.State().stageCount == 0) return;
    const double f = graph_->xAxis->pixelToCoord(event->position().x());
    if (f >= graph_->xAxis->range().lower && f <= graph_->xAxis->range().upper) ReadOut(f);
  });
  auto* graphBox = Named(new QGroupBox(QStringLiteral("Gain")), "GraphGroup");
  auto* g = new QVBoxLayout(graphBox);
  g->setContentsMargins(6, 4, 6, 6);
  g->addWidget(graph_, 1);
  auto* readOut = new QGridLayout;
  readOut->setHorizontalSpacing(16);
  readOut->setVerticalSpacing(2);
  // The frequency and the selected section on the left, the whole filter on the right.
  const std::array<std::pair<int, int>, 4> places = {{{0, 0}, {0, 1}, {1, 1}, {1, 0}}};
  for (std::size_t i = 0; i < 4; ++i) {
    results_[i] = new QLabel;
    results_[i]->setObjectName(QStringLiteral("Result%1").arg(i + 1));
    readOut->addWidget(results_[i], places[i].first, places[i].second);
  }
  readOutHint_ = Named(new QLabel(QStringLiteral("Click in the graph to read the gains at a frequency.")),
                       "ReadOutHint");
  readOutHint_->setForegroundRole(QPalette::PlaceholderText);
  readOut->addWidget(readOutHint_, 0, 0, 1, 2);
  g->addLayout(readOut);
  column->addWidget(graphBox, 1);
  return panel;
}

QWidget* TfmUser::BuildButtons() {
  auto* bar = Named(new QWidget, "ButtonBar");
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 4, 0, 0);
  row->setSpacing(8);
  BitBtn4 = Named(new QPushButton(QStringLiteral("Help")), "BitBtn4");
  BitBtn2 = Named(new QPushButton(QStringLiteral("Strategy")), "BitBtn2");
  BitBtn1 = Named(new QPushButton(QStringLiteral("Next")), "BitBtn1");
  BitBtn3 = Named(new QPushButton(QStringLiteral("&Close")), "BitBtn3");
  for (QPushButton* b : {BitBtn4, BitBtn2, BitBtn1, BitBtn3}) b->setMinimumWidth(92);
  row->addWidget(BitBtn4);
  row->addWidget(BitBtn2);
  row->addStretch(1);
  row->addWidget(BitBtn1);
  row->addWidget(BitBtn3);
  connect(BitBtn1, &QPushButton::clicked, this, &TfmUser::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TfmUser::BitBtn2Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TfmUser::BitBtn3Click);
  connect(BitBtn4, &QPushButton::clicked, this, &TfmUser::BitBtn4Click);
  return bar;
}

// ---------------------------------------------------------------------------------------
// Set-up

void TfmUser::OpenNew() {
  stages::StartUserDesign(main_.State());
  ResetEntries();
  Rebuild(0);
  edits_[0]->setFocus();
}

void TfmUser::RestoreDesign() {
  ResetEntries();
  Rebuild(main_.State().stageCount > 0 ? 1 : 0);
}

void TfmUser::ResetEntries() {
  RB2->setChecked(true);
  RB3->setChecked(true);
  RB7->setChecked(true);
  for (TNumEdit* edit : edits_) edit->clear();
  edits_[stages::kFieldTo]->setText(QStringLiteral("1.0"));
  UpdateEntryControls();
}

void TfmUser::RefreshForUnit() {
  UpdateEntryControls();
  ClearReadOut();
  UpdateGraph();
}

void TfmUser::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (drawnUnit_ != main_.State().frequencyUnit) RefreshForUnit();
}

stages::SectionEntry TfmUser::Entry() const {
  stages::SectionEntry e;
  e.order = RB1->isChecked() ? 1 : 2;
  e.type = RB4->isChecked()   ? SectionType::Highpass
           : RB5->isChecked() ? SectionType::Bandpass
           : RB6->isChecked() ? SectionType::Bandstop
                              : SectionType::Lowpass;
  e.mode = e.order == 1 || RB8->isChecked() ? EntryMode::Poles : EntryMode::QWpWz;
  for (std::size_t f = 0; f < 5; ++f) e.field[f] = edits_[f]->text().toStdString();
  return e;
}

void TfmUser::UpdateEntryControls() {
  const bool first = RB1->isChecked();
  // A first-order section is a real pole, low- or highpass.
  if (first && (RB5->isChecked() || RB6->isChecked())) RB3->setChecked(true);
  if (first && RB7->isChecked()) RB8->setChecked(true);
  RB5->setEnabled(!first);
  RB6->setEnabled(!first);
  RB7->setEnabled(!first);

  const bool hz = Hertz(main_.State());
  RB7->setText(hz ? QStringLiteral(" Qp,fp,fz") : QStringLiteral(" Qp,wp,wz"));
  unitCaption_->setText(hz ? QStringLiteral("  Hz  ") : QStringLiteral(" rad/s "));
  const stages::SectionEntry e = Entry();
  // The unit stands beside the first field that holds a frequency: the pole itself, or its
  // frequency after Q.
  dataGrid_->addWidget(unitCaption_, e.mode == EntryMode::Poles ? 0 : 2, 2);
  const std::array<bool, 5> visible = stages::VisibleFields(e);
  for (int f = 0; f < 5; ++f) {
    const auto i = static_cast<std::size_t>(f);
    labels_[i]->setText(FieldLabel(f, e, hz));
    labels_[i]->setVisible(visible[i]);
    edits_[i]->setVisible(visible[i]);
  }
  UpdatePreview();
  UpdateAddEnabled();
}

void TfmUser::UpdateAddEnabled() {
  const std::array<bool, 5> visible = stages::VisibleFields(Entry());
  bool filled = true;
  for (std::size_t f = 0; f < 5; ++f) filled = filled && (!visible[f] || !edits_[f]->text().isEmpty());
  AddBtn->setEnabled(filled);
}

void TfmUser::UpdatePreview() {
  const stages::SectionPreview p = stages::PreviewOf(Entry(), main_.State().frequencyUnit);
  preview_->SetFraction(Text(p.numerator), Text(p.denominator));
}

QString TfmUser::PreviewText() const {
  return preview_->Text();
}

// ---------------------------------------------------------------------------------------
// The sections

int TfmUser::SelectedSection() const {
  return ListBox1->currentRow() + 1;
}

void TfmUser::SelectSection(int section) {
  ListBox1->setCurrentRow(section - 1);
}

void TfmUser::Rebuild(int select) {
  const core::DesignState& s = main_.State();
  rebuilding_ = true;
  ListBox1->clear();
  for (int k = 1; k <= s.stageCount; ++k) ListBox1->addItem(Text(stages::SectionListLine(s, k)));
  if (select > 0 && select <= s.stageCount) ListBox1->setCurrentRow(select - 1);
  rebuilding_ = false;
  orderText_->setText(Text(stages::FilterOrderText(s)));
  BitBtn1->setEnabled(s.stageCount > 0);
  UpdateListButtons();
  ClearReadOut();
  UpdateGraph();
}

void TfmUser::UpdateListButtons() {
  const int row = ListBox1->currentRow();
  const int count = ListBox1->count();
  DeleteBtn->setEnabled(row >= 0);
  SB1->setEnabled(row > 0);
  SB2->setEnabled(row >= 0 && row < count - 1);
}

void TfmUser::SectionsEdited(int select) {
  core::DesignState& s = main_.State();
  // A committed design that changes is a change to save.
  if (s.designStep >= 2) s.modified = true;
  Rebuild(select);
}

void TfmUser::AddBtnClick() {
  core::DesignState& s = main_.State();
  if (const auto refusal = stages::AddSection(s, Entry())) {
    ShowMessage(main_.Presenter(), this, refusal->message);
    if (refusal->focus >= 0) {
      TNumEdit* edit = edits_[static_cast<std::size_t>(refusal->focus)];
      edit->setFocus();
      edit->selectAll();
    }
    return;
  }
  SectionsEdited(s.stageCount);
}

void TfmUser::DeleteBtnClick() {
  const int section = SelectedSection();
  if (!stages::DeleteSection(main_.State(), section)) return;
  SectionsEdited(std::min(section, static_cast<int>(main_.State().stageCount)));
}

void TfmUser::SB1Click() {
  const int section = SelectedSection();
  if (stages::MoveSection(main_.State(), section, -1)) SectionsEdited(section - 1);
}

void TfmUser::SB2Click() {
  const int section = SelectedSection();
  if (stages::MoveSection(main_.State(), section, +1)) SectionsEdited(section + 1);
}

void TfmUser::RowsDropped(int from, int to) {
  core::DesignState& s = main_.State();
  int at = from;
  while (at != to && stages::MoveSection(s, at, to > at ? +1 : -1)) at += to > at ? 1 : -1;
  SectionsEdited(at);
}

// ---------------------------------------------------------------------------------------
// The graph

void TfmUser::UpdateGraph() {
  const core::DesignState& s = main_.State();
  const bool hz = Hertz(s);
  const bool empty = s.stageCount == 0;
  drawnUnit_ = s.frequencyUnit;
  graph_->xAxis->setLabel(hz ? QStringLiteral("Log Frequency  (Hz)      ")
                             : QStringLiteral("Log Frequency  (rad/s)"));
  graph_->xAxis->setLabelColor(empty ? QColor(0xa0, 0xa8, 0xb2) : palette().color(QPalette::WindowText));

  frequencies_.clear();
  filterCurve_.clear();
  sectionCurve_.clear();
  emptyNote_->setVisible(empty);
  if (empty) {
    filterGraph_->data()->clear();
    sectionGraph_->data()->clear();
    graph_->xAxis->setRange(hz ? 10.0 : 100.0, hz ? 1e4 : 1e5);
    graph_->yAxis->setRange(-40, 0);
    graph_->legend->setVisible(false);
    graph_->replot();
    return;
  }
  const stages::UserFrequencyRange range = stages::UserRange(s);
  const double u = hz ? core::kTwoPi : 1.0;
  const int selected = SelectedSection();
  QVector<double> x, all, one;
  double vmax = 0;
  for (int i = 0; i < kCurvePoints; ++i) {
    const double f =
        range.start * std::pow(range.stop / range.start, static_cast<double>(i) / (kCurvePoints - 1));
    const double vAll = stages::ComputeUserGain(s, 1, s.stageCount, f * u);
    frequencies_.push_back(f);
    filterCurve_.push_back(vAll);
    x.push_back(f);
    all.push_back(stages::UserGainDb(vAll));
    vmax = std::max(vmax, vAll);
    if (selected > 0) {
      const double vOne = stages::ComputeUserGain(s, selected, selected, f * u);
      sectionCurve_.push_back(vOne);
      one.push_back(stages::UserGainDb(vOne));
      vmax = std::max(vmax, vOne);
    }
  }
  filterGraph_->setData(x, all, true);
  sectionGraph_->setData(x, one, true);
  // The top a little above the highest curve, on a 10 dB line.
  const double top = std::ceil(stages::UserGainDb(1.05 * vmax) / 10.0) * 10.0;
  graph_->yAxis->setRange(top - kGraphSpanDb, top);
  graph_->xAxis->setRange(range.start, range.stop);
  graph_->legend->setVisible(true);
  sectionGraph_->setVisible(selected > 0);
  if (selected > 0) {
    sectionGraph_->setName(QStringLiteral("Section %1").arg(selected));
    sectionGraph_->addToLegend();
  } else {
    sectionGraph_->removeFromLegend();
  }
  graph_->replot();
}

void TfmUser::ReadOut(double frequency) {
  const core::DesignState& s = main_.State();
  if (s.stageCount == 0) return;
  const bool hz = Hertz(s);
  const double w = hz ? frequency * core::kTwoPi : frequency;
  const int selected = SelectedSection();
  const double all = stages::ComputeUserGain(s, 1, s.stageCount, w);
  readOutHint_->hide();
  results_[0]->setText((hz ? QStringLiteral("f = ") : QStringLiteral("w = ")) +
                       Text(core::FormatFrequency(w, s.frequencyUnit)));
  results_[1]->setText(QStringLiteral("All sections: ") + Decibels(all));
  const bool plain = all >= 1e-3 && all < 1e4;
  results_[2]->setText(QStringLiteral("All sections: ") +
                       Text(core::TrimLeadingBlanks(plain ? core::FormatFixed(all, 1, 4)
                                                          : core::FormatScientific(all, 8, 4))) +
                       QStringLiteral(" V/V"));
  results_[3]->setText(selected > 0 ? QStringLiteral("Section %1: ").arg(selected) +
                                          Decibels(stages::ComputeUserGain(s, selected, selected, w))
                                    : QString());
}

void TfmUser::ClearReadOut() {
  for (QLabel* label : results_) label->clear();
  readOutHint_->setVisible(main_.State().stageCount > 0);
}

QStringList TfmUser::ResultCaptions() const {
  QStringList texts;
  for (const QLabel* label : results_) texts << label->text();
  return texts;
}

// ---------------------------------------------------------------------------------------
// The buttons

void TfmUser::BitBtn1Click() {
  core::DesignState& s = main_.State();
  // Back from the graphs with nothing changed: the graphs are as they were.
  if (s.stepsStale || s.designStep < 2) {
    if (!stages::CommitUserDesign(s)) return;
  }
  main_.ShowGraphs();
  main_.UpdateCommandStates();
}

void TfmUser::BitBtn2Click() {
  TfmBlocks blocks(main_.State().frequencyUnit, this);
  blocks.exec();
}

void TfmUser::BitBtn3Click() {
  if (main_.SavePrompt()) main_.ResetDesign();
}

void TfmUser::BitBtn4Click() {
  main_.ShowHelp(QStringLiteral("user-defined.html"));
}

}  // namespace tavrin::ui
