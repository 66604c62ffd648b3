#include "TForm.h"

#include <QFile>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

#include "TAligner.h"
#include "TApplication.h"
#include "TControl.h"
#include "TFormView.h"
#include "TPlatformStyle.h"
#include "framework/core/Exception.h"
#include "framework/loader/TDescriptionLoader.h"

TForm::TForm(TComponent* owner)
    : TComponent(owner),
      scene_(std::make_unique<QGraphicsScene>()),
      view_(std::make_unique<TFormView>(*this, scene_.get())) {
    // Few items move often: an index would cost more than it saves.
    scene_->setItemIndexMethod(QGraphicsScene::NoIndex);
    view_->setBackgroundBrush(TPlatformStyle::Current().WindowBackground);
}

TForm::~TForm() {
    // Controls go while their scene still exists.
    DestroyComponents();
}

QString TForm::Caption() const {
    return view_->windowTitle();
}

void TForm::SetCaption(const QString& caption) {
    view_->setWindowTitle(caption);
}

int TForm::ClientWidth() const {
    return view_->width();
}
int TForm::ClientHeight() const {
    return view_->height();
}

void TForm::SetClientSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == ClientWidth() && height == ClientHeight() && view_->testAttribute(Qt::WA_Resized))
        return;
    view_->resize(width, height);
    scene_->setSceneRect(0, 0, width, height);
    Realign();
}

void TForm::Show() {
    view_->show();
}

void TForm::Close() {
    view_->close();
}

void TForm::RepaintNow() {
    if (view_->isVisible()) view_->viewport()->repaint();
}

double TForm::DisplayScale() const {
    return view_->devicePixelRatioF();
}

void TForm::InsertChild(TComponent* child) {
    auto* control = dynamic_cast<TControl*>(child);
    if (!control) return;  // non-visual components need no place
    scene_->addItem(control);
    control->AttachToForm(this);
    controls_.push_back(control);
    Realign();
}

void TForm::Loaded() {
    TComponent::Loaded();
    Realign();
}

void TForm::Realign() {
    if (realigning_ || IsLoading()) return;
    realigning_ = true;
    TAligner::Arrange(QRectF(0, 0, ClientWidth(), ClientHeight()), controls_);
    realigning_ = false;
}

TControl* TForm::Focused() const {
    for (QGraphicsItem* item = scene_->focusItem(); item; item = item->parentItem())
        if (auto* control = qobject_cast<TControl*>(item->toGraphicsObject())) return control;
    return nullptr;
}

void TForm::SetFocused(TControl* control, Qt::FocusReason reason) {
    if (control && (!control->CanFocus() || !control->isVisible() || !control->AbsoluteEnabled()))
        return;
    if (control == Focused()) return;
    if (control)
        scene_->setFocusItem(control, reason);
    else
        scene_->clearFocus();
}

std::vector<TControl*> TForm::TabList() const {
    // Tab order is by TabOrder among siblings, applied level by level; the
    // key of a control is the chain of tab orders from the top.
    struct Entry {
        std::vector<int> key;
        TControl* control;
    };
    std::vector<Entry> entries;
    std::function<void(const std::vector<TControl*>&, std::vector<int>)> walk =
        [&](const std::vector<TControl*>& controls, std::vector<int> prefix) {
            for (size_t i = 0; i < controls.size(); ++i) {
                TControl* c = controls[i];
                if (!c->Visible() || !c->AbsoluteEnabled()) continue;
                std::vector<int> key = prefix;
                key.push_back(c->TabOrder() < 0 ? int(1000 + i) : c->TabOrder());
                if (c->CanFocus()) entries.push_back({key, c});
                walk(c->Controls(), key);
            }
        };
    walk(controls_, {});
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.key < b.key; });
    std::vector<TControl*> result;
    for (const Entry& e : entries) result.push_back(e.control);
    return result;
}

void TForm::SelectNext(bool forward) {
    const std::vector<TControl*> list = TabList();
    if (list.empty()) return;
    const auto current = std::find(list.begin(), list.end(), Focused());
    const long n = long(list.size());
    long index;
    if (current == list.end())
        index = forward ? 0 : n - 1;
    else
        index = ((current - list.begin()) + (forward ? 1 : n - 1)) % n;
    SetFocused(list[size_t(index)], forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void TForm::Closing() {
    for (TComponent* component : Components()) component->WindowClosing();
}

QStringList TForm::DroppedFiles(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    QStringList files;
    for (const QUrl& url : data->urls()) {
        const QFileInfo file(url.toLocalFile());
        if (url.isLocalFile() && file.exists() && !file.isDir()) {
            files << file.filePath();
        } else if (files.isEmpty()) {
            return {};  // the first thing dropped decides
        }
    }
    return files;
}

void TForm::LoadDescription(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EDescriptionError(
            QStringLiteral("Cannot read the window description \"%1\"").arg(path));
    TDescriptionLoader().Load(*this, file.readAll(), path);
}
