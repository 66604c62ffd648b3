#include "TOpenDialog.h"

#include <QFileDialog>

#include "TApplication.h"
#include "TForm.h"
#include "TFormView.h"

namespace {

std::optional<QString> AskSystem(QWidget* owner, const QString& start) {
    const QString chosen = QFileDialog::getOpenFileName(owner, QString(), start);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

}  // namespace

TOpenDialog::TChooser& TOpenDialog::Chooser() {
    static TChooser chooser = AskSystem;
    return chooser;
}

bool TOpenDialog::Execute() {
    TForm* form = Application->MainForm();
    const std::optional<QString> chosen = Chooser()(form ? form->View() : nullptr, fileName_);
    if (!chosen) return false;
    fileName_ = *chosen;
    return true;
}
