#include "app/zelvaneform.h"
#include "watermark/choosers.h"
#include "app/errorreport.h"
#include "picture/image.h"
#include "picture/kinds/jpegimage.h"
#include "mover/mover.h"
#include "app/seams.h"
#include "export/framecontrols.h"
#include "base/wallpaperquality.h"
#include "watermark/watermarklabel.h"

#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

#include <utility>

#ifndef ZELVANE_HOMEPAGE
#define ZELVANE_HOMEPAGE "https://example.org/zelvane"
#endif

namespace {

// A picture carried by the program, decoded like any JPEG file.
std::unique_ptr<TPicture> ResourceJpeg(const QString &Name) {
  QFile File(Name);
  auto Picture = std::make_unique<TJPEGImage>();
  if (File.open(QIODevice::ReadOnly))
    Picture->LoadFromBytes(File.readAll());
  return Picture;
}

QGroupBox *GroupBox(QWidget *Parent, const QString &Caption, const QRect &Bounds) {
  auto *Box = new QGroupBox(Caption, Parent);
  Box->setGeometry(Bounds);
  // A group box has no click of its own, and a click on it is no click on what holds it:
  // Qt would pass it on to the tool row or the window, whose click hides the nodes.
  Box->setAttribute(Qt::WA_NoMousePropagation);
  return Box;
}

TSpeedButton *SpeedButton(QWidget *Parent, const QString &Caption, const QString &Glyph,
                          const QRect &Bounds) {
  auto *Button = new TSpeedButton(Parent, Caption, QStringLiteral(":/glyphs/%1.bmp").arg(Glyph));
  Button->setGeometry(Bounds);
  return Button;
}

template <class F> TNotifyEvent Handler(TZelvaneForm *Form, F Method) {
  return [Form, Method](QObject *Sender) { RunHandler([&] { (Form->*Method)(Sender); }); };
}

} // namespace

TZelvaneForm::TZelvaneForm(QWidget *Parent)
    : QWidget(Parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("ZelvaneForm"));
  setWindowTitle(QStringLiteral("Zelvane"));
  setFixedSize(844, 568);
  QPalette White = palette();
  White.setColor(QPalette::Window, Qt::white);
  setPalette(White);
  setAutoFillBackground(true);
  // A picture file dragged from the desktop opens as through Open Image.
  setAcceptDrops(true);
  // Group captions sit on the frame's top line, leaving the room below for the controls.
  setStyleSheet(QStringLiteral(
      "QGroupBox { border: 1px solid #c9ced6; border-radius: 3px; margin-top: 6px; }"
      "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0 2px; }"));
  CreateControls();
  NameControls();
  WireEvents();
  AddStandardShortcuts();
  RunHandler([this] { FormCreate(); });
}

TZelvaneForm::~TZelvaneForm() {
  // Runs while every control still exists.
  RunHandler([this] { FormDestroy(); });
}

// Siblings are made in their stacking order, bottom first.
void TZelvaneForm::CreateControls() {
  CreateDeviceImage();
  CreateFootButtons();
  CreateFramePanel();
  CreateToolRow();
  CreateWatermarkTools();
  CreateRotateTools();
  CreateQualityAndSmooth();
  CreateBanner();
  SetFocusOrder();
  CreateDialogs();
}

void TZelvaneForm::CreateDeviceImage() {
  ZelvaneImage = new TImage(this);
  ZelvaneImage->setObjectName(QStringLiteral("ZelvaneImage"));
  ZelvaneImage->SetBounds(8, 155, 826, 350);
  ZelvaneImage->SetPicture(ResourceJpeg(QStringLiteral(":/device.jpg")));
}

void TZelvaneForm::CreateFootButtons() {
  SaveSpeedButton = SpeedButton(this, QStringLiteral("&Save Wallpaper"), QStringLiteral("save"),
                                QRect(601, 522, 128, 34));
  SaveSpeedButton->setObjectName(QStringLiteral("SaveSpeedButton"));
  CloseSpeedButton = SpeedButton(this, QStringLiteral("&Close"), QStringLiteral("close"),
                                 QRect(744, 522, 92, 34));
  CloseSpeedButton->setObjectName(QStringLiteral("CloseSpeedButton"));

  LinkLabel = new TLinkLabel(this, QStringLiteral(ZELVANE_HOMEPAGE));
  LinkLabel->setObjectName(QStringLiteral("LinkLabel"));
  TFont LinkFont;
  LinkFont.Style = fsUnderline;
  LinkLabel->setFont(LinkFont.ToQFont());
  LinkLabel->move(16, 528);
  LinkLabel->resize(LinkLabel->sizeHint());
}

void TZelvaneForm::CreateFramePanel() {
  Panel = new TPanel(this, Qt::white);
  Panel->setObjectName(QStringLiteral("Panel"));
  Panel->setGeometry(178, 177, 480, 272);
  const TFrameControls Frame = CreateFrameControls(*Panel);
  Image = Frame.Image;
  WatermarkLabel = Frame.WatermarkLabel;
  Image->SetPicture(ResourceJpeg(QStringLiteral(":/wallpaper.jpg")));
}

void TZelvaneForm::CreateToolRow() {
  ControlPanel = new TPanel(this, Qt::white);
  ControlPanel->setObjectName(QStringLiteral("ControlPanel"));
  ControlPanel->setGeometry(0, 81, 844, 65);
  OpenSpeedButton = SpeedButton(ControlPanel, QStringLiteral("&Open Image"),
                                QStringLiteral("open"), QRect(16, 16, 105, 34));
  OpenSpeedButton->setObjectName(QStringLiteral("OpenSpeedButton"));
  StretchRadioGroup = new TRadioGroup(
      ControlPanel, QStringLiteral("Stretch"),
      {QStringLiteral("None"), QStringLiteral("Stretch"), QStringLiteral("MaxWidth"),
       QStringLiteral("MaxHeight")},
      2);
  StretchRadioGroup->setObjectName(QStringLiteral("StretchRadioGroup"));
  StretchRadioGroup->setGeometry(135, 3, 146, 51);
  StretchRadioGroup->SetItemIndex(0);
  ZoomGroupBox = GroupBox(ControlPanel, QStringLiteral("Zoom"), QRect(287, 3, 106, 51));
  ZoomGroupBox->setObjectName(QStringLiteral("ZoomGroupBox"));
  ZoomTrackBar = new TTrackBar(ZoomGroupBox, 1, 10, 10);
  ZoomTrackBar->setObjectName(QStringLiteral("ZoomTrackBar"));
  ZoomTrackBar->setGeometry(3, 17, 100, 26);
}

void TZelvaneForm::CreateWatermarkTools() {
  WatermarkGroupBox = GroupBox(ControlPanel, QStringLiteral("Watermark"), QRect(399, 3, 228, 51));
  WatermarkGroupBox->setObjectName(QStringLiteral("WatermarkGroupBox"));
  WatermarkEdit = new TEdit(WatermarkGroupBox);
  WatermarkEdit->setObjectName(QStringLiteral("WatermarkEdit"));
  WatermarkEdit->setGeometry(10, 22, 116, 21);
  FontSpeedButton =
      SpeedButton(WatermarkGroupBox, QString(), QStringLiteral("font"), QRect(132, 15, 40, 33));
  FontSpeedButton->setObjectName(QStringLiteral("FontSpeedButton"));
  ColorSpeedButton =
      SpeedButton(WatermarkGroupBox, QString(), QStringLiteral("color"), QRect(178, 15, 40, 33));
  ColorSpeedButton->setObjectName(QStringLiteral("ColorSpeedButton"));
}

void TZelvaneForm::CreateRotateTools() {
  RotateGroupBox = GroupBox(ControlPanel, QStringLiteral("Rotate"), QRect(633, 3, 201, 51));
  RotateGroupBox->setObjectName(QStringLiteral("RotateGroupBox"));
  LeftRotateSpeedButton =
      SpeedButton(RotateGroupBox, QString(), QStringLiteral("rotateleft"), QRect(12, 15, 40, 33));
  LeftRotateSpeedButton->setObjectName(QStringLiteral("LeftRotateSpeedButton"));
  RightRotateSpeedButton =
      SpeedButton(RotateGroupBox, QString(), QStringLiteral("rotateright"), QRect(58, 15, 40, 33));
  RightRotateSpeedButton->setObjectName(QStringLiteral("RightRotateSpeedButton"));
  TopSpeedButton =
      SpeedButton(RotateGroupBox, QString(), QStringLiteral("mirrortop"), QRect(104, 15, 40, 33));
  TopSpeedButton->setObjectName(QStringLiteral("TopSpeedButton"));
  LeftSpeedButton =
      SpeedButton(RotateGroupBox, QString(), QStringLiteral("mirrorleft"), QRect(150, 15, 40, 33));
  LeftSpeedButton->setObjectName(QStringLiteral("LeftSpeedButton"));
}

void TZelvaneForm::CreateQualityAndSmooth() {
  QualityGroupBox =
      GroupBox(this, QStringLiteral("Wallpaper Quality"), QRect(447, 515, 124, 41));
  QualityGroupBox->setObjectName(QStringLiteral("QualityGroupBox"));
  QualityTrackBar = new TTrackBar(QualityGroupBox, MinQualityPosition, MaxQualityPosition,
                                  MaxQualityPosition);
  QualityTrackBar->setObjectName(QStringLiteral("QualityTrackBar"));
  QualityTrackBar->setGeometry(3, 13, 118, 26);
  SmoothCheckBox = new QCheckBox(QStringLiteral("Smooth"), this);
  SmoothCheckBox->setObjectName(QStringLiteral("SmoothCheckBox"));
  SmoothCheckBox->setGeometry(328, 528, 110, 20);
  SmoothCheckBox->setAccessibleName(QStringLiteral("Smooth scaling"));
  // Its click is its own: the window's click would hide the nodes.
  SmoothCheckBox->setAttribute(Qt::WA_NoMousePropagation);
}

void TZelvaneForm::CreateBanner() {
  Panel1 = new TPanel(this, Qt::white);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(0, 0, 844, 81);
  Image1 = new TImage(Panel1);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->SetBounds(16, 0, 350, 70);
  Image1->SetAutoSize(true);
  Image1->SetPicture(ResourceJpeg(QStringLiteral(":/banner.jpg")));
}

// Keyboard focus order: the radio group, the zoom slider, the edit box, the quality slider, the
// smoothing box.
void TZelvaneForm::SetFocusOrder() {
  for (QWidget *W : {static_cast<QWidget *>(ZoomTrackBar), static_cast<QWidget *>(QualityTrackBar),
                     static_cast<QWidget *>(SmoothCheckBox)})
    W->setFocusPolicy(Qt::StrongFocus);
  setTabOrder(StretchRadioGroup->Button(0), ZoomTrackBar);
  setTabOrder(ZoomTrackBar, WatermarkEdit);
  setTabOrder(WatermarkEdit, QualityTrackBar);
  setTabOrder(QualityTrackBar, SmoothCheckBox);
}

void TZelvaneForm::CreateDialogs() {
  OpenPictureDialog = std::make_unique<TFileDialog>(this, TFileDialog::TKind::Open);
  SavePictureDialog = std::make_unique<TFileDialog>(this, TFileDialog::TKind::Save);
  SavePictureDialog->Filter = QStringLiteral("JPEG Image File (*.jpg)|*.jpg");
  SavePictureDialog->DefaultExt = QStringLiteral("jpg");
  FontDialog = CreateFontChooser(this);
  ColorDialog = CreateColorChooser(this);
}

void TZelvaneForm::WireEvents() {
  ZelvaneImage->OnClick = Handler(this, &TZelvaneForm::FormClick);
  Panel->OnClick = Handler(this, &TZelvaneForm::FormClick);
  ControlPanel->OnClick = Handler(this, &TZelvaneForm::FormClick);
  WatermarkEdit->OnClick = Handler(this, &TZelvaneForm::FormClick);
  WatermarkEdit->OnChange = Handler(this, &TZelvaneForm::WatermarkEditChange);
  WatermarkLabel->OnDblClick = Handler(this, &TZelvaneForm::WatermarkLabelDblClick);
  FontSpeedButton->OnClick = Handler(this, &TZelvaneForm::FontSpeedButtonClick);
  ColorSpeedButton->OnClick = Handler(this, &TZelvaneForm::ColorSpeedButtonClick);
  OpenSpeedButton->OnClick = Handler(this, &TZelvaneForm::OpenSpeedButtonClick);
  StretchRadioGroup->OnClick = Handler(this, &TZelvaneForm::StretchRadioGroupClick);
  ZoomTrackBar->OnChange = Handler(this, &TZelvaneForm::ZoomTrackBarChange);
  LeftRotateSpeedButton->OnClick = Handler(this, &TZelvaneForm::LeftRotateSpeedButtonClick);
  RightRotateSpeedButton->OnClick = Handler(this, &TZelvaneForm::RightRotateSpeedButtonClick);
  TopSpeedButton->OnClick = Handler(this, &TZelvaneForm::TopSpeedButtonClick);
  LeftSpeedButton->OnClick = Handler(this, &TZelvaneForm::LeftSpeedButtonClick);
  SaveSpeedButton->OnClick = Handler(this, &TZelvaneForm::SaveSpeedButtonClick);
  Image->OnDrawFailure = Handler(this, &TZelvaneForm::ImageDrawFailure);
  CloseSpeedButton->OnClick = Handler(this, &TZelvaneForm::CloseSpeedButtonClick);
  LinkLabel->OnClick = Handler(this, &TZelvaneForm::LinkLabelClick);
  // A click, Space, or the settings file checking it.
  connect(SmoothCheckBox, &QAbstractButton::toggled, this,
          [this, Click = Handler(this, &TZelvaneForm::SmoothCheckBoxClick)] {
            Click(SmoothCheckBox);
          });

  // The edit box takes dropped text; a dropped picture file opens instead (eventFilter).
  WatermarkEdit->installEventFilter(this);
  ZoomTrackBar->installEventFilter(this);
  QualityTrackBar->installEventFilter(this);
  SmoothCheckBox->installEventFilter(this);
  for (int I = 0; I < StretchRadioGroup->Count(); ++I)
    StretchRadioGroup->Button(I)->installEventFilter(this);
}

void TZelvaneForm::FormCreate() {
  FMover = new TMover(this);
  FMover->AddControl(Image);
  FMover->AddControl(WatermarkLabel);
  FMover->SetActive(true);
  FPictureWidth = Image->Width();
  FPictureHeight = Image->Height();
  FWatermarkLeft = WatermarkLabel->Left();
  FWatermarkTop = WatermarkLabel->Top();
  ZoomTrackBar->Tag = ZoomTrackBar->Position();
  LoadSettings();
}

void TZelvaneForm::FormDestroy() {
  delete FMover;
  FMover = nullptr;
  SaveSettings();
}

void TZelvaneForm::FormClick(QObject *) { FMover->SetNodesVisible(false); }

void TZelvaneForm::CloseSpeedButtonClick(QObject *) { close(); }

void TZelvaneForm::LinkLabelClick(QObject *) { ShellSeam().Open(LinkLabel->text()); }

void TZelvaneForm::SmoothCheckBoxClick(QObject *) {
  ApplyFrameOptions({Image, WatermarkLabel}, {.Smooth = SmoothCheckBox->isChecked()});
}

void TZelvaneForm::mousePressEvent(QMouseEvent *Event) {
  FFormPressed = Event->button() == Qt::LeftButton;
}

void TZelvaneForm::mouseReleaseEvent(QMouseEvent *Event) {
  const bool Click = FFormPressed && Event->button() == Qt::LeftButton;
  FFormPressed = false;
  if (Click)
    RunHandler([this] { FormClick(this); });
}

bool TZelvaneForm::PressAccelerator(QChar Letter) {
  for (TSpeedButton *Button : {SaveSpeedButton, CloseSpeedButton, OpenSpeedButton}) {
    if (Button->Accelerator() == Letter && Button->isEnabled()) {
      Button->click();
      return true;
    }
  }
  return false;
}

bool TZelvaneForm::eventFilter(QObject *Watched, QEvent *Event) {
  if (Watched == WatermarkEdit)
    return TakeFileDrop(Event) || QWidget::eventFilter(Watched, Event);
  // Controls that take no typed characters let a plain letter press its button.
  if (Event->type() == QEvent::KeyPress) {
    auto *Key = static_cast<QKeyEvent *>(Event);
    const Qt::KeyboardModifiers Mods = Key->modifiers() & ~Qt::ShiftModifier;
    if (Mods == Qt::NoModifier && Key->text().size() == 1 &&
        PressAccelerator(Key->text().front().toLower()))
      return true;
  }
  return QWidget::eventFilter(Watched, Event);
}

void TZelvaneForm::showEvent(QShowEvent *Event) {
  QWidget::showEvent(Event);
  if (FPlaced)
    return;
  FPlaced = true;
  // Centred on the desktop spanning all monitors, never above or left of it.
  if (QScreen *Screen = QGuiApplication::primaryScreen()) {
    const QRect Desktop = Screen->virtualGeometry();
    const QSize Outer = frameGeometry().size();
    const int Left = std::max(Desktop.left(), Desktop.left() + Desktop.width() / 2 - Outer.width() / 2);
    const int Top = std::max(Desktop.top(), Desktop.top() + Desktop.height() / 2 - Outer.height() / 2);
    move(Left, Top);
  }
  if (!focusWidget() && StretchRadioGroup->Button(StretchRadioGroup->ItemIndex()))
    StretchRadioGroup->Button(StretchRadioGroup->ItemIndex())->setFocus(Qt::ActiveWindowFocusReason);
  if (!FFileToOpen.isEmpty()) {
    // Queued, so the window is on screen first, as it is when the user opens a picture.
    QMetaObject::invokeMethod(
        this,
        [this, FileName = std::exchange(FFileToOpen, QString())] {
          RunHandler([&] { OpenPicture(FileName); });
        },
        Qt::QueuedConnection);
  }
}
