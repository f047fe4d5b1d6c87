// The main window as built: the control tree, the initial state, and the small handlers.
#include "app/application.h"
#include "formtesting.h"
#include "platform/graphiccontrol.h"
#include "picture/image.h"
#include "picture/kinds/jpegimage.h"
#include "app/seams.h"
#include "watermark/watermarklabel.h"
#include "app/zelvaneform.h"

#include <QAccessible>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTest>

namespace {

class TRecordingShell : public TShellSeam {
public:
  void Open(const QString &Address) override { Opened << Address; }
  QStringList Opened;
};

QRect BoundsOf(QWidget *Widget) {
  if (auto *Control = qobject_cast<TGraphicControl *>(Widget))
    return Control->BoundsRect();
  return Widget->geometry();
}

QString AccessibleNameOf(QWidget *Widget) {
  QAccessibleInterface *Interface = QAccessible::queryAccessibleInterface(Widget);
  return Interface ? Interface->text(QAccessible::Name) : QString();
}

QString CaptionOf(QWidget *Widget) {
  if (auto *Box = qobject_cast<QGroupBox *>(Widget))
    return Box->title();
  if (auto *Button = qobject_cast<QAbstractButton *>(Widget))
    return Button->text();
  if (auto *Label = qobject_cast<QLabel *>(Widget))
    return Label->text();
  return QString();
}

} // namespace

class TZelvaneFormTest : public QObject, protected TWindowTestSeams {
  Q_OBJECT
private slots:
  void initTestCase();
  void init();
  void cleanup();
  void ControlTree_data();
  void ControlTree();
  void EveryWidgetNamedNoToolTips();
  void Sliders();
  void RadioGroupColumnByColumn();
  void InitialState();
  void Pictures();
  void GlyphButtonsTakeNoFocus();
  void LinkOpensAddressSilently();
  void CloseAsksNothing();
  void PlainLetterPressesButtonOnlyOutsideEditBox();
  void SmoothBoxLastInTabOrder();

private:
  TRecordingShell FShell;
};

void TZelvaneFormTest::initTestCase() {
  QVERIFY(InstallSeams());
  SetShellSeam(&FShell);
}

// The window as built, its own dialogs included.
void TZelvaneFormTest::init() {
  ResetSeams();
  FForm = std::make_unique<TZelvaneForm>();
  FForm->show();
  QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
}

void TZelvaneFormTest::cleanup() { FForm.reset(); }

void TZelvaneFormTest::ControlTree_data() {
  QTest::addColumn<QString>("Name");
  QTest::addColumn<QString>("Parent");
  QTest::addColumn<QRect>("Bounds");
  QTest::addColumn<QString>("Caption");
  // As assistive technology reads it.
  QTest::addColumn<QString>("Accessible");
  const QString Form = "ZelvaneForm";
  QTest::addRow("ZelvaneImage") << "ZelvaneImage" << Form << QRect(8, 155, 826, 350) << ""
                                << "Console photograph";
  QTest::addRow("SaveSpeedButton") << "SaveSpeedButton" << Form << QRect(601, 522, 128, 34)
                                   << "&Save Wallpaper" << "Save Wallpaper";
  QTest::addRow("CloseSpeedButton") << "CloseSpeedButton" << Form << QRect(744, 522, 92, 34)
                                    << "&Close" << "Close";
  QTest::addRow("Panel") << "Panel" << Form << QRect(178, 177, 480, 272) << ""
                         << "Wallpaper frame";
  QTest::addRow("Image") << "Image" << "Panel" << QRect(0, 0, 480, 272) << "" << "Picture";
  QTest::addRow("ControlPanel") << "ControlPanel" << Form << QRect(0, 81, 844, 65) << "" << "Tools";
  QTest::addRow("OpenSpeedButton") << "OpenSpeedButton" << "ControlPanel"
                                   << QRect(16, 16, 105, 34) << "&Open Image" << "Open Image";
  QTest::addRow("StretchRadioGroup") << "StretchRadioGroup" << "ControlPanel"
                                     << QRect(135, 3, 146, 51) << "Stretch" << "Stretch";
  QTest::addRow("ZoomGroupBox") << "ZoomGroupBox" << "ControlPanel" << QRect(287, 3, 106, 51)
                                << "Zoom" << "Zoom";
  QTest::addRow("ZoomTrackBar") << "ZoomTrackBar" << "ZoomGroupBox" << QRect(3, 17, 100, 26) << ""
                                << "Zoom";
  QTest::addRow("WatermarkGroupBox") << "WatermarkGroupBox" << "ControlPanel"
                                     << QRect(399, 3, 228, 51) << "Watermark" << "Watermark";
  QTest::addRow("WatermarkEdit") << "WatermarkEdit" << "WatermarkGroupBox"
                                 << QRect(10, 22, 116, 21) << "" << "Watermark text";
  QTest::addRow("FontSpeedButton") << "FontSpeedButton" << "WatermarkGroupBox"
                                   << QRect(132, 15, 40, 33) << "" << "Font";
  QTest::addRow("ColorSpeedButton") << "ColorSpeedButton" << "WatermarkGroupBox"
                                    << QRect(178, 15, 40, 33) << "" << "Colour";
  QTest::addRow("RotateGroupBox") << "RotateGroupBox" << "ControlPanel" << QRect(633, 3, 201, 51)
                                  << "Rotate" << "Rotate";
  QTest::addRow("LeftRotateSpeedButton") << "LeftRotateSpeedButton" << "RotateGroupBox"
                                         << QRect(12, 15, 40, 33) << "" << "Rotate left";
  QTest::addRow("RightRotateSpeedButton") << "RightRotateSpeedButton" << "RotateGroupBox"
                                          << QRect(58, 15, 40, 33) << "" << "Rotate right";
  QTest::addRow("TopSpeedButton") << "TopSpeedButton" << "RotateGroupBox"
                                  << QRect(104, 15, 40, 33) << "" << "Mirror top to bottom";
  QTest::addRow("LeftSpeedButton") << "LeftSpeedButton" << "RotateGroupBox"
                                   << QRect(150, 15, 40, 33) << "" << "Mirror left to right";
  QTest::addRow("QualityGroupBox") << "QualityGroupBox" << Form << QRect(447, 515, 124, 41)
                                   << "Wallpaper Quality" << "Wallpaper Quality";
  QTest::addRow("QualityTrackBar") << "QualityTrackBar" << "QualityGroupBox"
                                   << QRect(3, 13, 118, 26) << "" << "Wallpaper Quality";
  QTest::addRow("SmoothCheckBox") << "SmoothCheckBox" << Form << QRect(328, 528, 110, 20)
                                  << "Smooth" << "Smooth scaling";
  QTest::addRow("Panel1") << "Panel1" << Form << QRect(0, 0, 844, 81) << "" << "Banner";
  QTest::addRow("Image1") << "Image1" << "Panel1" << QRect(16, 0, 350, 70) << "" << "Zelvane";
}

void TZelvaneFormTest::ControlTree() {
  QFETCH(QString, Name);
  QFETCH(QString, Parent);
  QFETCH(QRect, Bounds);
  QFETCH(QString, Caption);
  QFETCH(QString, Accessible);
  QCOMPARE(FForm->size(), QSize(844, 568));
  auto *Widget = FForm->findChild<QWidget *>(Name);
  QVERIFY2(Widget, qPrintable(Name));
  QCOMPARE(Widget->parentWidget()->objectName(), Parent);
  QCOMPARE(BoundsOf(Widget), Bounds);
  QCOMPARE(CaptionOf(Widget), Caption);
  QCOMPARE(AccessibleNameOf(Widget), Accessible);
}

void TZelvaneFormTest::EveryWidgetNamedNoToolTips() {
  for (QWidget *Widget : FForm->findChildren<QWidget *>()) {
    QVERIFY2(!AccessibleNameOf(Widget).isEmpty(), qPrintable(Widget->objectName()));
    QVERIFY2(Widget->toolTip().isEmpty(), qPrintable(Widget->objectName()));
  }
}

void TZelvaneFormTest::Sliders() {
  for (TTrackBar *Slider : {FForm->ZoomTrackBar, FForm->QualityTrackBar}) {
    QCOMPARE(Slider->orientation(), Qt::Horizontal);
    QCOMPARE(Slider->maximum(), 10);
    QCOMPARE(Slider->Position(), 10);
    QCOMPARE(Slider->tickPosition(), QSlider::TicksBelow);
    QCOMPARE(Slider->tickInterval(), 1);
    QCOMPARE(Slider->singleStep(), 1);
    QCOMPARE(Slider->pageStep(), 2);
  }
  QCOMPARE(FForm->ZoomTrackBar->minimum(), 1);
  QCOMPARE(FForm->QualityTrackBar->minimum(), 5);
  QCOMPARE(FForm->ZoomTrackBar->Tag, 10);
}

void TZelvaneFormTest::RadioGroupColumnByColumn() {
  TRadioGroup *Group = FForm->StretchRadioGroup;
  QCOMPARE(Group->Count(), 4);
  const QStringList Items{"None", "Stretch", "MaxWidth", "MaxHeight"};
  for (int I = 0; I < 4; ++I)
    QCOMPARE(Group->Button(I)->text(), Items[I]);
  // "None" above "Stretch" in the first column, "MaxWidth" above "MaxHeight" in the second.
  const QRect None = Group->Button(0)->geometry(), Stretch = Group->Button(1)->geometry(),
              MaxWidth = Group->Button(2)->geometry(), MaxHeight = Group->Button(3)->geometry();
  QCOMPARE(None.left(), Stretch.left());
  QVERIFY(None.top() < Stretch.top());
  QCOMPARE(MaxWidth.left(), MaxHeight.left());
  QVERIFY(MaxWidth.left() > None.left());
  QCOMPARE(MaxWidth.top(), None.top());

  // Every item, and the focus frame around its caption, lies inside the box's border and
  // below its caption. The style clips a focus frame to its button, so it is measured on a
  // button made wider and taller about the same caption.
  QStyleOptionGroupBox BoxOption;
  BoxOption.initFrom(Group);
  BoxOption.text = Group->title();
  BoxOption.textAlignment = Group->alignment();
  BoxOption.lineWidth = 1;
  BoxOption.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  const QRect Caption = Group->style()->subControlRect(QStyle::CC_GroupBox, &BoxOption,
                                                       QStyle::SC_GroupBoxLabel, Group);
  QRect Inside = Group->contentsRect();
  Inside.setTop(Caption.bottom() + 1);
  for (int I = 0; I < 4; ++I) {
    QAbstractButton *Item = Group->Button(I);
    QVERIFY2(Inside.contains(Item->geometry()), qPrintable(Item->text()));
    QStyleOptionButton Option;
    Option.initFrom(Item);
    Option.text = Item->text();
    Option.rect = QRect(0, -100, Item->width() + 100, Item->height() + 200);
    const QRect Focus =
        Item->style()->subElementRect(QStyle::SE_RadioButtonFocusRect, &Option, Item);
    QVERIFY2(Item->rect().contains(Focus), qPrintable(Item->text()));
  }
}

void TZelvaneFormTest::InitialState() {
  QCOMPARE(FForm->windowTitle(), QStringLiteral("Zelvane"));
  QCOMPARE(FForm->windowIcon().availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
  QVERIFY(!(FForm->windowFlags() & Qt::WindowMaximizeButtonHint));
  QVERIFY(FForm->windowFlags() & Qt::WindowMinimizeButtonHint);
  QCOMPARE(FForm->minimumSize(), FForm->maximumSize());
  QCOMPARE(FForm->StretchRadioGroup->ItemIndex(), 0);
  QVERIFY(FForm->WatermarkEdit->text().isEmpty());
  QVERIFY(!FForm->WatermarkLabel->Visible());
  QCOMPARE(FForm->WatermarkLabel->Top(), 252);
  QCOMPARE(FForm->WatermarkLabel->Left() + FForm->WatermarkLabel->Width(), 473);
  QVERIFY(!FForm->Image->Stretch());
  QVERIFY(!FForm->Image->AutoSize());
  QVERIFY(FForm->Image1->AutoSize());
  QCOMPARE(FForm->FPictureWidth, 480);
  QCOMPARE(FForm->FPictureHeight, 272);
  QCOMPARE(FForm->FWatermarkLeft, FForm->WatermarkLabel->Left());
  QCOMPARE(FForm->FWatermarkTop, 252);
  QVERIFY(FForm->FOpenPath.isEmpty());
  QVERIFY(FForm->FSavePath.isEmpty());
  QApplication::setActiveWindow(FForm.get());
  QTRY_COMPARE(QApplication::focusWidget(), FForm->StretchRadioGroup->Button(0));
}

void TZelvaneFormTest::Pictures() {
  // The three picture boxes hold JPEG pictures of the fixed sizes.
  const QList<QPair<TImage *, QSize>> Boxes{{FForm->ZelvaneImage, QSize(826, 350)},
                                           {FForm->Image, QSize(480, 272)},
                                           {FForm->Image1, QSize(350, 70)}};
  for (const auto &[Box, Size] : Boxes) {
    QVERIFY(Box->Picture());
    QCOMPARE(QString(Box->Picture()->ClassName()), QStringLiteral("TJPEGImage"));
    QCOMPARE(QSize(Box->Picture()->Width(), Box->Picture()->Height()), Size);
  }
  // The default wallpaper shows in the frame as decoded.
  QImage Shot(480, 272, QImage::Format_RGB32);
  FForm->Panel->render(&Shot);
  const QImage Expected = FForm->Image->Picture()->ToBitmapImage();
  QCOMPARE(Shot, Expected);
}

void TZelvaneFormTest::GlyphButtonsTakeNoFocus() {
  for (TSpeedButton *Button : FForm->findChildren<TSpeedButton *>()) {
    QCOMPARE(Button->focusPolicy(), Qt::NoFocus);
    QVERIFY2(!Button->Glyph().isNull(), qPrintable(Button->objectName()));
    // The lower-left pixel's colour is drawn as transparent.
    const QImage Glyph = Button->Glyph().toImage();
    QCOMPARE(qAlpha(Glyph.pixel(0, Glyph.height() - 1)), 0);
  }
}

void TZelvaneFormTest::LinkOpensAddressSilently() {
  FShell.Opened.clear();
  QTest::mouseClick(FForm->LinkLabel, Qt::LeftButton);
  QCOMPARE(FShell.Opened, QStringList{FForm->LinkLabel->text()});
  QVERIFY(FForm->LinkLabel->text().startsWith(QStringLiteral("http")));
  QCOMPARE(FForm->LinkLabel->cursor().shape(), Qt::PointingHandCursor);
  QVERIFY(FForm->LinkLabel->font().underline());
  QVERIFY(FMessages.Shown.isEmpty());
}

void TZelvaneFormTest::CloseAsksNothing() {
  QTest::mouseClick(FForm->CloseSpeedButton, Qt::LeftButton);
  QTRY_VERIFY(!FForm->isVisible());
  QVERIFY(FMessages.Shown.isEmpty());
}

void TZelvaneFormTest::PlainLetterPressesButtonOnlyOutsideEditBox() {
  QApplication::setActiveWindow(FForm.get());
  FForm->WatermarkEdit->setFocus();
  QTest::keyClick(FForm->WatermarkEdit, Qt::Key_C, Qt::NoModifier);
  QVERIFY(FForm->isVisible());
  QCOMPARE(FForm->WatermarkEdit->text(), QStringLiteral("c"));
  FForm->ZoomTrackBar->setFocus();
  QTest::keyClick(FForm->ZoomTrackBar, Qt::Key_C, Qt::NoModifier);
  QTRY_VERIFY(!FForm->isVisible());
}

void TZelvaneFormTest::SmoothBoxLastInTabOrder() {
  QVERIFY(!FForm->SmoothCheckBox->isChecked());
  QVERIFY(!FForm->Image->Smooth());
  QApplication::setActiveWindow(FForm.get());
  FForm->QualityTrackBar->setFocus();
  QTest::keyClick(FForm->QualityTrackBar, Qt::Key_Tab);
  QTRY_COMPARE(QApplication::focusWidget(), FForm->SmoothCheckBox);
  QTest::keyClick(FForm->SmoothCheckBox, Qt::Key_Space);
  QVERIFY(FForm->SmoothCheckBox->isChecked());
  QVERIFY(FForm->Image->Smooth());
  // It takes no typed characters: a plain letter presses its button.
  QTest::keyClick(FForm->SmoothCheckBox, Qt::Key_C, Qt::NoModifier);
  QTRY_VERIFY(!FForm->isVisible());
}

int main(int Argc, char **Argv) {
  TZelvaneApplication Application(Argc, Argv);
  // The program's own set-up, its start font among it: the layout is measured in that font.
  Application.SetUpProgram();
  TZelvaneFormTest Test;
  return QTest::qExec(&Test, Argc, Argv);
}

#include "tst_zelvaneform.moc"
