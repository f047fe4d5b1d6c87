#pragma once

#include "app/controls.h"
#include "app/filedialogs.h"
#include "platform/hideselection.h"
#include "app/speedbutton.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QWidget>

#include <memory>

class TImage;
class TMover;
class TWatermarkLabel;
class TFontChooser;
class TColorChooser;

// The main window: a fixed 844 x 568 window holding the banner, the tool row, the device
// photograph and, over its screen, the 480 x 272 wallpaper frame. Every user action is one
// handler of this class; the handlers forward to the libraries that do the work.
class TZelvaneForm : public QWidget {
  Q_OBJECT
public:
  explicit TZelvaneForm(QWidget *Parent = nullptr);
  ~TZelvaneForm() override;

  // Controls, in creation order (a later sibling paints over an earlier one).
  TImage *ZelvaneImage = nullptr;
  TSpeedButton *SaveSpeedButton = nullptr;
  TSpeedButton *CloseSpeedButton = nullptr;
  TLinkLabel *LinkLabel = nullptr;
  TPanel *Panel = nullptr;
  TImage *Image = nullptr;
  TWatermarkLabel *WatermarkLabel = nullptr;
  TPanel *ControlPanel = nullptr;
  TSpeedButton *OpenSpeedButton = nullptr;
  TRadioGroup *StretchRadioGroup = nullptr;
  QGroupBox *ZoomGroupBox = nullptr;
  TTrackBar *ZoomTrackBar = nullptr;
  QGroupBox *WatermarkGroupBox = nullptr;
  TEdit *WatermarkEdit = nullptr;
  TSpeedButton *FontSpeedButton = nullptr;
  TSpeedButton *ColorSpeedButton = nullptr;
  QGroupBox *RotateGroupBox = nullptr;
  TSpeedButton *LeftRotateSpeedButton = nullptr;
  TSpeedButton *RightRotateSpeedButton = nullptr;
  TSpeedButton *TopSpeedButton = nullptr;
  TSpeedButton *LeftSpeedButton = nullptr;
  QGroupBox *QualityGroupBox = nullptr;
  TTrackBar *QualityTrackBar = nullptr;
  QCheckBox *SmoothCheckBox = nullptr;
  TPanel *Panel1 = nullptr;
  TImage *Image1 = nullptr;

  // Dialogs; tests put answering ones in their place.
  std::unique_ptr<TFileDialog> OpenPictureDialog;
  std::unique_ptr<TFileDialog> SavePictureDialog;
  std::unique_ptr<TFontChooser> FontDialog;
  std::unique_ptr<TColorChooser> ColorDialog;

  // Fields.
  int FPictureWidth = 0;
  int FPictureHeight = 0;
  int FWatermarkLeft = 0;
  int FWatermarkTop = 0;
  TMover *FMover = nullptr;
  QString FOpenPath;
  QString FSavePath;

  // Where the settings file lives; tests point it elsewhere before the window is created.
  static QString SettingsFileName();
  static void SetSettingsFileName(const QString &FileName);

  // Handlers.
  void FormCreate();
  void FormDestroy();
  void FormClick(QObject *Sender);
  void CloseSpeedButtonClick(QObject *Sender);
  void LinkLabelClick(QObject *Sender);
  void OpenSpeedButtonClick(QObject *Sender);
  void StretchRadioGroupClick(QObject *Sender);
  void ZoomTrackBarChange(QObject *Sender);
  void LeftRotateSpeedButtonClick(QObject *Sender);
  void RightRotateSpeedButtonClick(QObject *Sender);
  void TopSpeedButtonClick(QObject *Sender);
  void LeftSpeedButtonClick(QObject *Sender);
  void WatermarkEditChange(QObject *Sender);
  void WatermarkLabelDblClick(QObject *Sender);
  void FontSpeedButtonClick(QObject *Sender);
  void ColorSpeedButtonClick(QObject *Sender);
  void SaveSpeedButtonClick(QObject *Sender);
  void SmoothCheckBoxClick(QObject *Sender);
  // After a paint in which the picture box's picture could not be drawn (its decoding,
  // deferred to that paint, failed): reports why, once per picture.
  void ImageDrawFailure(QObject *Sender);

  // The part of Open Image after its dialog: opens FileName into the picture box. A picture
  // file dropped onto the window comes here too.
  void OpenPicture(const QString &FileName);
  // A picture named on the command line, before the window is first shown: it is opened as
  // by OpenPicture once the window shows, an error going to the error report.
  void OpenWhenShown(const QString &FileName) { FFileToOpen = FileName; }

protected:
  void mousePressEvent(QMouseEvent *Event) override;
  void mouseReleaseEvent(QMouseEvent *Event) override;
  bool eventFilter(QObject *Watched, QEvent *Event) override;
  void showEvent(QShowEvent *Event) override;
  void dragEnterEvent(QDragEnterEvent *Event) override;
  void dropEvent(QDropEvent *Event) override;
  // Takes a drag or drop that carries one local file, for a control that would otherwise
  // take it as text: the file opens as if dropped on the window. False for any other event.
  bool TakeFileDrop(QEvent *Event);

private:
  void CreateControls();
  // The steps of CreateControls, in the order it takes them.
  void CreateDeviceImage();
  void CreateFootButtons();
  void CreateFramePanel();
  void CreateToolRow();
  void CreateWatermarkTools();
  void CreateRotateTools();
  void CreateQualityAndSmooth();
  void CreateBanner();
  void SetFocusOrder();
  void CreateDialogs();
  void NameControls();
  void WireEvents();
  void AddStandardShortcuts();
  void LoadSettings();
  void SaveSettings();
  // Hides the mover's nodes, for the handlers that do so first.
  THideSelection HideNodes();
  // The plain accelerator letters work while a slider, the radio group or the smoothing box
  // has the focus.
  bool PressAccelerator(QChar Letter);

  bool FPlaced = false;
  bool FFormPressed = false;
  QString FFileToOpen;
};
