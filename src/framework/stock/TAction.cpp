#include "TAction.h"

#include <algorithm>

#include "TButton.h"

TAction::~TAction() {
    for (TButton* client : std::vector<TButton*>(clients_)) client->SetAction(nullptr);
}

void TAction::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    for (TButton* client : clients_)
        if (client->Text() == caption_) client->SetText(caption);
    caption_ = caption;
}

void TAction::SetVisible(bool visible) {
    visible = visible && Available();
    if (visible == visible_) return;
    for (TButton* client : clients_)
        if (client->Visible() == visible_) client->SetVisible(visible);
    visible_ = visible;
}

void TAction::SetEnabled(bool enabled) {
    enabled = enabled && Available();
    if (enabled == enabled_) return;
    for (TButton* client : clients_)
        if (client->Enabled() == enabled_) client->SetEnabled(enabled);
    enabled_ = enabled;
}

void TAction::Refresh() {
    SetVisible(visible_);
    SetEnabled(enabled_);
}

void TAction::AddClient(TButton* client) {
    if (std::find(clients_.begin(), clients_.end(), client) == clients_.end())
        clients_.push_back(client);
}

void TAction::RemoveClient(TButton* client) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
    if (actionComponent_ == client) actionComponent_ = nullptr;
}

bool TAction::Execute() {
    if (!enabled_ || !OnExecute) return false;
    OnExecute(this);
    return true;
}
