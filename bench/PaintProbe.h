#pragma once

#include <QObject>
#include <QRegion>
#include <QWidget>
#include <cstdint>
#include <functional>

// Watches a widget's paints and notes when each one has ended, and what it
// covered.
class PaintProbe : public QObject {
public:
    // `widget` tells which widget to watch; it may not exist yet when the
    // probe is installed (the window is created by the event loop).
    explicit PaintProbe(std::function<QWidget*()> widget);

    // Installs the probe for every object of the application, and removes it.
    void Install();
    void Uninstall();

    // Called right after each paint of the widget, with the region it painted.
    std::function<void(const QRegion& painted, std::int64_t endNs)> OnPainted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<QWidget*()> widget_;
    bool inside_ = false;
};
