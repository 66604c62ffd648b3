#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "framework/core/TComponent.h"

class QFileDialog;
class QWidget;

// The system's file-open dialog: one file at a time, every file listed, the
// last chosen path offered again. It doesn't insist that the file exists: a
// path that can't be opened is for the loading to report.
class TOpenDialog : public TComponent {
public:
    using TComponent::TComponent;

    QString FileName() const { return fileName_; }
    void SetFileName(const QString& fileName) { fileName_ = fileName; }

    // Shows the dialog modally over the main window; true with FileName set
    // to the chosen file's full path, false on cancel with FileName kept.
    bool Execute();

    // Asks the user for a file, starting from a path; nothing on cancel.
    // Tests put their own in place of the system dialog.
    using TChooser = std::function<std::optional<QString>(QWidget* owner, const QString& start)>;
    static TChooser& Chooser();
    // How the system dialog is set up before it is shown.
    static void Configure(QFileDialog& dialog, const QString& start);

private:
    QString fileName_;
};
