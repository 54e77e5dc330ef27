#include "platform/forms/WidgetSet.h"

#include "platform/forms/Forms.h"
#include "platform/headless/HeadlessWidgetSet.h"

namespace plat {

void TWidgetSet::RegisterPeerClass(const TClassInfo& cls, TPeerFactory factory) { fPeerClasses[&cls] = std::move(factory); }

const TClassInfo* TWidgetSet::PeerClassFor(const TClassInfo& cls) const {
    for (auto* c = &cls; c; c = c->Parent)
        if (fPeerClasses.count(c)) return c;
    return nullptr;
}

std::unique_ptr<TWidgetPeer> TWidgetSet::CreatePeer(TWinControl* control) {
    const TClassInfo* c = PeerClassFor(*control->ClassType());
    if (!c) return nullptr;
    return fPeerClasses.at(c)(control);
}

namespace {
std::map<const TClassInfo*, TNativeLookEntry>& NativeLooks() {
    static std::map<const TClassInfo*, TNativeLookEntry> m;
    return m;
}
}  // namespace

void RegisterNativeLook(const TClassInfo& cls, TNativeLook look, TPaintOver paintOver) {
    NativeLooks()[&cls] = TNativeLookEntry{look, std::move(paintOver)};
}

void UnregisterNativeLook(const TClassInfo& cls) { NativeLooks().erase(&cls); }

const TNativeLookEntry* NativeLookOf(const TClassInfo& cls) {
    auto it = NativeLooks().find(&cls);
    return it == NativeLooks().end() ? nullptr : &it->second;
}

namespace {
std::unique_ptr<TWidgetSet>& Current() {
    static std::unique_ptr<TWidgetSet> ws;
    return ws;
}
}  // namespace

TWidgetSet& WidgetSet() {
    auto& ws = Current();
    if (!ws) ws = std::make_unique<THeadlessWidgetSet>();
    return *ws;
}

std::unique_ptr<TWidgetSet> SetWidgetSet(std::unique_ptr<TWidgetSet> ws) {
    // Peers belong to the widgetset that made them: drop them (handles stay valid).
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* f = Screen->Forms(i);
        f->DropPeers();
    }
    std::swap(Current(), ws);
    return ws;
}

}  // namespace plat
