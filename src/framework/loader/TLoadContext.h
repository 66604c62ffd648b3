#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class TComponent;
class TDescriptionRoot;

// Where the description loader stands, for messages that point at the bad
// entry, and what it must finish once every component exists.
class TLoadContext {
public:
    TLoadContext(TDescriptionRoot& root, QString source)
        : root_(root), source_(std::move(source)) {}

    TDescriptionRoot& Root() const { return root_; }
    const QString& Source() const { return source_; }
    QString Where() const;
    void Enter(const QString& name, const QString& className);
    void Leave();

    [[noreturn]] void Fail(const QString& what) const;

    // Resolves a reference to another component once all are created.
    void Defer(std::function<void()> fixup) { fixups_.push_back(std::move(fixup)); }
    void RunFixups();
    TComponent* Find(const QString& name) const;

    // What a prefetch started, kept under a key for the property's setter;
    // whatever no setter takes is dropped with the context.
    template <class T>
    void Keep(const QString& key, std::shared_ptr<T> work) {
        prefetched_[key] = std::move(work);
    }
    template <class T>
    std::shared_ptr<T> Take(const QString& key) {
        const auto it = prefetched_.find(key);
        if (it == prefetched_.end()) return nullptr;
        auto work = std::static_pointer_cast<T>(std::move(it->second));
        prefetched_.erase(it);
        return work;
    }
    // Keys of prefetched work no setter took.
    QStringList Untaken() const;

private:
    struct Frame {
        QString name;
        QString className;
    };
    TDescriptionRoot& root_;
    QString source_;
    std::vector<Frame> frames_;
    std::vector<std::function<void()>> fixups_;
    std::map<QString, std::shared_ptr<void>> prefetched_;
};
