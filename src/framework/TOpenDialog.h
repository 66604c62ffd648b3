#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "TComponent.h"

class QWidget;

// The system's file-open dialog, one file at a time, every file listed.
class TOpenDialog : public TComponent {
public:
    using TComponent::TComponent;

    QString FileName() const { return fileName_; }
    void SetFileName(const QString& fileName) { fileName_ = fileName; }

    // Shows the dialog modally; true with FileName set when a file was chosen.
    bool Execute();

    // Asks the user for a file, starting from a path; nothing on cancel.
    // Tests put their own in place of the system dialog.
    using TChooser = std::function<std::optional<QString>(QWidget* owner, const QString& start)>;
    static TChooser& Chooser();

private:
    QString fileName_;
};
