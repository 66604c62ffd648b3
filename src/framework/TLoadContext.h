#pragma once

#include <QString>
#include <functional>
#include <vector>

class TForm;
class TComponent;

// Where the description loader stands, for messages that point at the bad
// entry, and what it must finish once every component exists.
class TLoadContext {
public:
    TLoadContext(TForm& root, QString source) : root_(root), source_(std::move(source)) {}

    TForm& Root() const { return root_; }
    const QString& Source() const { return source_; }
    QString Where() const;
    void Enter(const QString& name, const QString& className);
    void Leave();

    [[noreturn]] void Fail(const QString& what) const;

    // Resolves a reference to another component once all are created.
    void Defer(std::function<void()> fixup) { fixups_.push_back(std::move(fixup)); }
    void RunFixups();
    TComponent* Find(const QString& name) const;

private:
    struct Frame {
        QString name;
        QString className;
    };
    TForm& root_;
    QString source_;
    std::vector<Frame> frames_;
    std::vector<std::function<void()>> fixups_;
};
