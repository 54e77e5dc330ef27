#include "platform/forms/Classes.h"

#include <algorithm>

namespace plat {

PLAT_DEFINE_ENUM(TShiftStateItem, "ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle", "ssDouble")
PLAT_DEFINE_SET(TShiftState, TShiftStateItem)

bool IsValidIdent(const std::string& name) {
    if (name.empty()) return false;
    auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    if (!alpha(name[0])) return false;
    for (char c : name)
        if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

// ---- TPersistent ---------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TPersistent, TObject) {}

void TPersistent::Assign(TPersistent* source) {
    if (source) source->AssignTo(this);
    else AssignTo(this);  // raises below with a nil source
}

void TPersistent::AssignTo(TPersistent* dest) {
    std::string src = this == dest ? std::string("nil") : ClassName();
    throw EConvertError("Cannot assign a " + src + " to a " + (dest ? dest->ClassName() : std::string("nil")));
}

std::string TPersistent::GetNamePath() const { return ClassName(); }

bool TPersistent::ReadDefinedProperty(const std::string&, const TDfmValue&) { return false; }

// ---- Collections ---------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TCollectionItem, TPersistent) {}
PLAT_REGISTER_CLASS(TCollection, TPersistent) {}
PLAT_REGISTER_CLASS(TOwnedCollection, TCollection) {}

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() {
    if (fCollection) fCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* collection) {
    if (collection == fCollection) return;
    if (fCollection) fCollection->RemoveItem(this);
    if (collection) collection->InsertItem(this);
}

int TCollectionItem::Index() const {
    if (!fCollection) return -1;
    auto& v = fCollection->fItems;
    return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

void TCollectionItem::SetIndex(int index) {
    int cur = Index();
    if (cur < 0 || index == cur) return;
    auto& v = fCollection->fItems;
    if (index < 0) index = 0;
    if (index >= static_cast<int>(v.size())) index = static_cast<int>(v.size()) - 1;
    v.erase(v.begin() + cur);
    v.insert(v.begin() + index, this);
    Changed(true);
}

std::string TCollectionItem::DisplayName() const { return ClassName(); }

TPersistent* TCollectionItem::GetOwner() const { return fCollection; }

std::string TCollectionItem::GetNamePath() const {
    if (!fCollection) return ClassName();
    return fCollection->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

void TCollectionItem::Changed(bool allItems) {
    if (fCollection && fCollection->fUpdateCount == 0) fCollection->Update(allItems ? nullptr : this);
}

TCollection::TCollection(const TClassInfo& itemClass) : fItemClass(&itemClass) {}

TCollection::~TCollection() {
    fUpdateCount = 1;  // no Update calls into a half-destroyed owner
    while (!fItems.empty()) delete fItems.back();
}

TCollectionItem* TCollection::Add() {
    if (!fItemClass->CreateItem) throw EInvalidOperation("Collection items of class " + fItemClass->Name + " cannot be created");
    return fItemClass->CreateItem(this);
}

TCollectionItem* TCollection::Insert(int index) {
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index) { delete Items(index); }

void TCollection::Clear() {
    if (fItems.empty()) return;
    BeginUpdate();
    while (!fItems.empty()) delete fItems.back();
    EndUpdate();
}

TCollectionItem* TCollection::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return fItems[static_cast<size_t>(index)];
}

void TCollection::EndUpdate() {
    if (fUpdateCount > 0 && --fUpdateCount == 0) Changed();
}

void TCollection::Assign(TPersistent* source) {
    auto* src = dynamic_cast<TCollection*>(source);
    if (!src) {
        TPersistent::Assign(source);
        return;
    }
    BeginUpdate();
    try {
        Clear();
        for (auto* item : src->fItems) Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TCollection::GetNamePath() const {
    if (auto* o = GetOwner()) return o->GetNamePath() + "." + ClassName();
    return ClassName();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Changed() {
    if (fUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item) {
    // No class check here: the item's constructor calls this before its own class exists.
    fItems.push_back(item);
    item->fCollection = this;
    item->fID = fNextID++;
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
    fItems.erase(std::remove(fItems.begin(), fItems.end(), item), fItems.end());
    item->fCollection = nullptr;
    Changed();
}

// ---- TComponent ----------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TComponent, TPersistent) {
    b.Property("Name", &TComponent::Name, &TComponent::SetName).TypeName("TComponentName").NotStored();
    b.Property("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    // Components freed with Free() were taken apart already; this covers a plain delete.
    Destroying();
    Teardown();
}

void TComponent::Teardown() {
    if (fTornDown) return;
    fTornDown = true;
    while (!fFreeNotifies.empty()) {
        TComponent* c = fFreeNotifies.back();
        fFreeNotifies.pop_back();
        c->RemoveNotification(this);
        c->Notification(this, opRemove);
    }
    DestroyComponents();
    if (fOwner) fOwner->RemoveComponent(this);
}

void TComponent::Free() {
    if (fState.Contains(csDestroying)) return;
    BeforeDestruction();
    Teardown();
    delete this;
}

void TComponent::BeforeDestruction() { Destroying(); }

void TComponent::Destroying() {
    if (fState.Contains(csDestroying)) return;
    fState.Include(csDestroying);
    for (auto* c : fComponents) c->Destroying();
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return fComponents[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
    if (!fOwner) return -1;
    auto& v = fOwner->fComponents;
    return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (auto* c : fComponents)
        if (SameName(c->fName, name)) return c;
    return nullptr;
}

void TComponent::SetName(const std::string& name) {
    if (name == fName) return;
    if (!name.empty() && !IsValidIdent(name))
        throw EComponentError("\"" + name + "\" is not a valid component name");
    if (fOwner && !name.empty()) {
        TComponent* other = fOwner->FindComponent(name);
        if (other && other != this) throw EComponentError("A component named " + name + " already exists");
    }
    SetReference(false);
    fName = name;
    SetReference(true);
}

void TComponent::SetReference(bool enable) {
    if (!fOwner || fName.empty()) return;
    const TFieldInfo* f = fOwner->ClassType()->FindField(fName);
    if (!f) return;
    if (enable) f->Set(fOwner, this);
    else if (f->Get(fOwner) == this) f->Set(fOwner, nullptr);
}

void TComponent::InsertComponent(TComponent* component) {
    if (!component) return;
    if (!component->fName.empty() && FindComponent(component->fName))
        throw EComponentError("A component named " + component->fName + " already exists");
    if (component->fOwner) component->fOwner->RemoveComponent(component);
    Insert(component);
    component->SetReference(true);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    if (!component || component->fOwner != this) return;
    Notification(component, opRemove);
    component->SetReference(false);
    Remove(component);
}

void TComponent::Insert(TComponent* c) {
    fComponents.push_back(c);
    c->fOwner = this;
}

void TComponent::Remove(TComponent* c) {
    fComponents.erase(std::remove(fComponents.begin(), fComponents.end(), c), fComponents.end());
    c->fOwner = nullptr;
}

void TComponent::DestroyComponents() {
    // Last created first, each leaving the list as it goes.
    while (!fComponents.empty()) {
        TComponent* c = fComponents.back();
        if (c->fState.Contains(csDestroying) && c->fTornDown) {
            Remove(c);  // already on its way out through its own Free
            continue;
        }
        c->fState.Exclude(csDestroying);  // so Free proceeds; Destroying() marks it again
        c->Free();
    }
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this) return;
    if (std::find(fFreeNotifies.begin(), fFreeNotifies.end(), component) == fFreeNotifies.end())
        fFreeNotifies.push_back(component);
    if (std::find(component->fFreeNotifies.begin(), component->fFreeNotifies.end(), this) == component->fFreeNotifies.end())
        component->fFreeNotifies.push_back(this);
    fState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (!component) return;
    RemoveNotification(component);
    component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* c) {
    fFreeNotifies.erase(std::remove(fFreeNotifies.begin(), fFreeNotifies.end(), c), fFreeNotifies.end());
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component) RemoveFreeNotification(component);
    // Owned components hear of each other's removal, so references between siblings clear.
    for (size_t i = 0; i < fComponents.size(); ++i) fComponents[i]->Notification(component, operation);
}

void TComponent::SetLoadingState(bool loading) {
    if (loading) fState = fState + TComponentState{csLoading, csReading};
    else fState = fState - TComponentState{csLoading, csReading};
}

void TComponent::Loaded() { fState.Exclude(csLoading); }

TComponentWatch::TComponentWatch(TComponent* target) : TComponent(nullptr), Target(target) {
    if (target) FreeNotification(target);
}

TComponentWatch::~TComponentWatch() {
    if (Target) RemoveFreeNotification(Target);
}

void TComponentWatch::Notification(TComponent* c, TOperation op) {
    TComponent::Notification(c, op);
    if (op == opRemove && c == Target) Target = nullptr;
}

}  // namespace plat
