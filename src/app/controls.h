#pragma once

#include "platform/graphiccontrol.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStringList>

// The window's plain controls, with the events the main window wires. Each is a thin Qt
// widget; behaviour lives in the handlers.

// A panel: a windowed rectangle in one colour that reports clicks on its own area.
class TPanel : public QWidget {
  Q_OBJECT
public:
  TPanel(QWidget *Parent, const QColor &Color);
  TNotifyEvent OnClick;

protected:
  void mousePressEvent(QMouseEvent *Event) override;
  void mouseReleaseEvent(QMouseEvent *Event) override;

private:
  bool FPressed = false;
};

// A one-line edit box that also reports a click into it.
class TEdit : public QLineEdit {
  Q_OBJECT
public:
  explicit TEdit(QWidget *Parent);
  TNotifyEvent OnClick;
  TNotifyEvent OnChange;

protected:
  void mouseReleaseEvent(QMouseEvent *Event) override;
  void focusInEvent(QFocusEvent *Event) override;
};

// A horizontal slider with a tick at every position below it, arrows by 1 and Page Up/Down
// by 2. OnChange runs whenever the position changes and at the end of every drag (also when
// the position did not change); a program setting the value it already has runs nothing.
class TTrackBar : public QSlider {
  Q_OBJECT
public:
  TTrackBar(QWidget *Parent, int Min, int Max, int Position);
  int Position() const { return value(); }
  void SetPosition(int Value) { setValue(Value); }
  // A number the program keeps with the control.
  int Tag = 0;
  TNotifyEvent OnChange;
};

// Radio buttons in a captioned box, laid out column by column, two per column. OnClick runs
// when the selection changes, never for a click on the item already selected.
class TRadioGroup : public QGroupBox {
  Q_OBJECT
public:
  TRadioGroup(QWidget *Parent, const QString &Caption, const QStringList &Items, int Columns);
  int ItemIndex() const;
  void SetItemIndex(int Index);
  QAbstractButton *Button(int Index) const;
  int Count() const;
  TNotifyEvent OnClick;

protected:
  void resizeEvent(QResizeEvent *Event) override;
  // A new font or style changes the items' sizes.
  void changeEvent(QEvent *Event) override;

private:
  void LayoutItems();
  QButtonGroup FGroup;
  int FColumns;
};

// A label that looks like a link: hand cursor, reports clicks.
class TLinkLabel : public QLabel {
  Q_OBJECT
public:
  TLinkLabel(QWidget *Parent, const QString &Caption);
  TNotifyEvent OnClick;

protected:
  void mouseReleaseEvent(QMouseEvent *Event) override;
};
