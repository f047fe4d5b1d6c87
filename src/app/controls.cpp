#include "app/controls.h"

#include <QMouseEvent>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

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

void TRadioGroup::changeEvent(QEvent *Event) {
  QGroupBox::changeEvent(Event);
  if (Event->type() == QEvent::FontChange || Event->type() == QEvent::StyleChange)
    LayoutItems();
}

void TRadioGroup::LayoutItems() {
  // Items fill the box's inside under its caption, column by column:
  //   0 | 2
  //   1 | 3
  // Each column is as wide as its widest item's size hint, which holds the item's focus frame;
  // the room left over goes in equal parts before each column, and the last column takes
  // what remains. The rows share the height under the caption.
  const int Count = this->Count();
  if (Count == 0)
    return;
  const int Rows = (Count + FColumns - 1) / FColumns;
  QStyleOptionGroupBox Option;
  initStyleOption(&Option);
  const QRect Caption =
      style()->subControlRect(QStyle::CC_GroupBox, &Option, QStyle::SC_GroupBoxLabel, this);
  QRect Area = contentsRect();
  Area.setTop(std::max(Area.top(), Caption.bottom() + 1));

  QList<int> Widths;
  int Used = 0;
  for (int Column = 0; Column < FColumns; ++Column) {
    int Width = 0;
    for (int I = Column * Rows; I < std::min(Count, (Column + 1) * Rows); ++I)
      Width = std::max(Width, FGroup.button(I)->sizeHint().width());
    Widths << Width;
    Used += Width;
  }
  const int Gap = std::max(0, Area.width() - Used) / FColumns;
  const int RowHeight = Area.height() / Rows;
  int X = Area.left();
  for (int Column = 0; Column < FColumns; ++Column) {
    X += Gap;
    const int Width =
        Column == FColumns - 1 ? std::max(Widths[Column], Area.right() + 1 - X) : Widths[Column];
    for (int I = Column * Rows; I < std::min(Count, (Column + 1) * Rows); ++I)
      FGroup.button(I)->setGeometry(X, Area.top() + (I - Column * Rows) * RowHeight, Width,
                                    RowHeight);
    X += Width;
  }
}

TLinkLabel::TLinkLabel(QWidget *Parent, const QString &Caption) : QLabel(Caption, Parent) {
  setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent *Event) {
  if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()))
    CallNotify(OnClick, this);
}
