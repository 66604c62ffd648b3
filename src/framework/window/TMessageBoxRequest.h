#pragma once

#include <QMessageBox>
#include <QString>

// What the application asks the system's message box to show.
struct TMessageBoxRequest {
    QString Caption;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons Buttons = QMessageBox::Ok;
    QWidget* Owner = nullptr;
};
