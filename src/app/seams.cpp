#include "app/seams.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace {

class TSystemMessage final : public TMessageSeam {
public:
  void ShowError(const QString &Caption, const QString &Text) override {
    QMessageBox Box(QMessageBox::Critical, Caption, Text, QMessageBox::Ok,
                    QApplication::activeWindow());
    Box.exec();
  }
};

class TSystemShell final : public TShellSeam {
public:
  void Open(const QString &Address) override { QDesktopServices::openUrl(QUrl(Address)); }
};

TSystemMessage SystemMessage;
TSystemShell SystemShell;
TMessageSeam *InstalledMessage = nullptr;
TShellSeam *InstalledShell = nullptr;

} // namespace

TMessageSeam &MessageSeam() { return InstalledMessage ? *InstalledMessage : SystemMessage; }
void SetMessageSeam(TMessageSeam *Seam) { InstalledMessage = Seam; }
TShellSeam &ShellSeam() { return InstalledShell ? *InstalledShell : SystemShell; }
void SetShellSeam(TShellSeam *Seam) { InstalledShell = Seam; }
