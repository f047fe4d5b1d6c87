#include "app/controls.h"

#include <QMouseEvent>
#include <QRadioButton>

TPanel::TPanel(QWidget *Parent, const QColor &Color) : QWidget(Parent) {
  QPalette Palette = palette();
  Palette.setColor(QPalette::Window, Color);
  setPalette(Palette);
  setAutoFillBackground(true);
}

void TPanel::mousePressEvent(QMouseEvent *Event) {
  FPressed = Event->button() == Qt::LeftButton;
  QWidget::mousePressEvent(Event);
}

void TPanel::mouseReleaseEvent(QMouseEvent *Event) {
  const bool Click = FPressed && Event->button() == Qt::LeftButton;
  FPressed = false;
  if (Click)
    CallNotify(OnClick, this);
}

TEdit::TEdit(QWidget *Parent) : QLineEdit(Parent) {
  connect(this, &QLineEdit::textChanged, this, [this] { CallNotify(OnChange, this); });
}

void TEdit::mouseReleaseEvent(QMouseEvent *Event) {
  QLineEdit::mouseReleaseEvent(Event);
  if (Event->button() == Qt::LeftButton)
    CallNotify(OnClick, this);
}

void TEdit::focusInEvent(QFocusEvent *Event) {
  QLineEdit::focusInEvent(Event);
  // Focus gained by other means than a mouse click selects the whole text, so typing
  // replaces it.
  if (Event->reason() != Qt::MouseFocusReason)
    selectAll();
}

TTrackBar::TTrackBar(QWidget *Parent, int Min, int Max, int Position)
    : QSlider(Qt::Horizontal, Parent) {
  setRange(Min, Max);
  setValue(Position);
  setSingleStep(1);
  setPageStep(2);
  setTickPosition(QSlider::TicksBelow);
  setTickInterval(1);
  connect(this, &QSlider::valueChanged, this, [this] { CallNotify(OnChange, this); });
  connect(this, &QSlider::sliderReleased, this, [this] { CallNotify(OnChange, this); });
}

TRadioGroup::TRadioGroup(QWidget *Parent, const QString &Caption, const QStringList &Items,
                         int Columns)
    : QGroupBox(Caption, Parent), FColumns(Columns) {
  // A click on the box around the items is no click on what holds it.
  setAttribute(Qt::WA_NoMousePropagation);
  for (int I = 0; I < Items.size(); ++I) {
    auto *Button = new QRadioButton(Items[I], this);
    FGroup.addButton(Button, I);
  }
  FGroup.setExclusive(true);
  connect(&FGroup, &QButtonGroup::idToggled, this, [this](int, bool Checked) {
    if (Checked)
      CallNotify(OnClick, this);
  });
  LayoutItems();
}

int TRadioGroup::ItemIndex() const { return FGroup.checkedId(); }

void TRadioGroup::SetItemIndex(int Index) {
  if (QAbstractButton *B = FGroup.button(Index))
    B->setChecked(true);
}

QAbstractButton *TRadioGroup::Button(int Index) const { return FGroup.button(Index); }

int TRadioGroup::Count() const { return static_cast<int>(FGroup.buttons().size()); }

void TRadioGroup::resizeEvent(QResizeEvent *Event) {
  QGroupBox::resizeEvent(Event);
  LayoutItems();
}

void TRadioGroup::LayoutItems() {
  // Items fill the area under the caption column by column, each column as wide as its
  // widest item and the last one taking what is left:
  //   0 | 2
  //   1 | 3
  const int Count = this->Count();
  if (Count == 0)
    return;
  const int Rows = (Count + FColumns - 1) / FColumns;
  // Under the caption, which sits on the frame's top line.
  const QRect Area = rect().adjusted(7, 15, -2, -3);
  const int RowHeight = Area.height() / Rows;
  int X = Area.left();
  for (int Column = 0; Column < FColumns; ++Column) {
    int Width = 0;
    for (int I = Column * Rows; I < std::min(Count, (Column + 1) * Rows); ++I)
      Width = std::max(Width, FGroup.button(I)->sizeHint().width());
    if (Column == FColumns - 1)
      Width = std::max(Width, Area.right() + 1 - X);
    for (int I = Column * Rows; I < std::min(Count, (Column + 1) * Rows); ++I)
      FGroup.button(I)->setGeometry(X, Area.top() + (I - Column * Rows) * RowHeight, Width,
                                    RowHeight);
    X += Width + 4;
  }
}

TLinkLabel::TLinkLabel(QWidget *Parent, const QString &Caption) : QLabel(Caption, Parent) {
  setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent *Event) {
  if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()))
    CallNotify(OnClick, this);
}
