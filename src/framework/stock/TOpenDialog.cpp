#include "TOpenDialog.h"

#include <QFileDialog>

#include "framework/window/TApplication.h"
#include "framework/window/TForm.h"
#include "framework/window/TFormView.h"

namespace {

std::optional<QString> AskSystem(QWidget* owner, const QString& start) {
    QFileDialog dialog(owner);
    TOpenDialog::Configure(dialog, start);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
    return chosen.front();
}

}  // namespace

TOpenDialog::TChooser& TOpenDialog::Chooser() {
    static TChooser chooser = AskSystem;
    return chooser;
}

void TOpenDialog::Configure(QFileDialog& dialog, const QString& start) {
    // The platform's own caption and start folder; no filter, so every file
    // is listed whatever its name.
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!start.isEmpty()) dialog.selectFile(start);
}

bool TOpenDialog::Execute() {
    TForm* form = dynamic_cast<TForm*>(Owner());
    if (!form) form = Application->MainForm();
    const std::optional<QString> chosen = Chooser()(form ? form->View() : nullptr, fileName_);
    if (!chosen) return false;
    fileName_ = *chosen;
    return true;
}
