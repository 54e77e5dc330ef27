#pragma once
// Persistent objects, collections and components: names, owners that free what they own, free
// notification, the loading state, and the notify event.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms/ClassInfo.h"
#include "platform/forms/Messages.h"

namespace plat {

struct TDfmValue;  // a value read from a form description (DfmReader.h)

// ---- Shared enumerations and the notify event ------------------------------------------------

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
PLAT_DECLARE_ENUM(TShiftStateItem)
PLAT_DECLARE_SET(TShiftState)

enum TComponentStateItem {
    csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating, csFixups,
    csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

enum TOperation { opInsert, opRemove };

PLAT_DECLARE_EVENT(TNotifyEvent, TObject*)

// ---- TPersistent ---------------------------------------------------------------------------

class TPersistent : public TObject {
    PLAT_CLASS(TPersistent)
    TPersistent() = default;

    // Copies the state of another object; raises EConvertError when neither side knows how.
    virtual void Assign(TPersistent* source);
    // The object that owns this one (a collection's owner, an item's collection), for name paths.
    virtual TPersistent* GetOwner() const { return nullptr; }
    // "Form1.Button1.Font" style path used in error texts.
    virtual std::string GetNamePath() const;
    // A value a description stores under a name that is not a published property (a string
    // list's "Strings", a bitmap's "Data"). Answer false for names the class does not define.
    virtual bool ReadDefinedProperty(const std::string& name, const TDfmValue& value);

protected:
    // Called by Assign on the source when the destination does not know the source's class.
    virtual void AssignTo(TPersistent* dest);
};

// ---- Collections ---------------------------------------------------------------------------

class TCollection;

class TCollectionItem : public TPersistent {
    PLAT_CLASS(TCollectionItem)
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return fCollection; }
    void SetCollection(TCollection* collection);
    int Index() const;
    void SetIndex(int index);
    int ID() const { return fID; }
    virtual std::string DisplayName() const;
    TPersistent* GetOwner() const override;
    std::string GetNamePath() const override;

protected:
    // Tells the collection that this item (or, with allItems, every item) changed.
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* fCollection = nullptr;
    int fID = 0;
};

class TCollection : public TPersistent {
    PLAT_CLASS(TCollection)
    explicit TCollection(const TClassInfo& itemClass);
    ~TCollection() override;

    // A new item of the item class at the end.
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    int Count() const { return static_cast<int>(fItems.size()); }
    // Raises EListError out of range.
    TCollectionItem* Items(int index) const;
    const TClassInfo& ItemClass() const { return *fItemClass; }
    void BeginUpdate() { ++fUpdateCount; }
    void EndUpdate();
    int UpdateCount() const { return fUpdateCount; }
    // Copies the items: clears, then adds one item per source item and assigns it.
    void Assign(TPersistent* source) override;
    std::string GetNamePath() const override;

protected:
    // A change of one item, or of all (item == nullptr); descendants refresh their owner here.
    virtual void Update(TCollectionItem* item);
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);
    const TClassInfo* fItemClass;
    std::vector<TCollectionItem*> fItems;
    int fUpdateCount = 0;
    int fNextID = 0;
};

// A collection that belongs to another object (a status bar's panels, a list view's columns).
class TOwnedCollection : public TCollection {
    PLAT_CLASS(TOwnedCollection)
    TOwnedCollection(TPersistent* owner, const TClassInfo& itemClass) : TCollection(itemClass), fOwner(owner) {}
    TPersistent* GetOwner() const override { return fOwner; }

private:
    TPersistent* fOwner;
};

// ---- TComponent ----------------------------------------------------------------------------

// A component has a name, an owner that frees it, and the components it owns in creation order.
// Free a component with Free() (or FreeAndNil): the whole object still exists while it is being
// taken apart, so a form's OnDestroy runs while its components exist. Free on a component that is
// already being destroyed does nothing.
class TComponent : public TPersistent {
    PLAT_CLASS(TComponent)
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    const std::string& Name() const { return fName; }
    // Raises EComponentError for an invalid identifier or a name the owner already has.
    virtual void SetName(const std::string& name);
    TComponent* Owner() const { return fOwner; }
    int ComponentCount() const { return static_cast<int>(fComponents.size()); }
    TComponent* Components(int index) const;  // raises EListError out of range
    const std::vector<TComponent*>& ComponentList() const { return fComponents; }
    int ComponentIndex() const;
    // The owned component of that name (case-insensitive), nullptr when none.
    TComponent* FindComponent(const std::string& name) const;
    intptr_t Tag() const { return fTag; }
    void SetTag(intptr_t tag) { fTag = tag; }
    TComponentState ComponentState() const { return fState; }
    bool IsLoading() const { return fState.Contains(csLoading); }
    bool IsDestroying() const { return fState.Contains(csDestroying); }

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();

    // Asks to be told (Notification opRemove) when `component` is freed; mutual.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    void Free() override;
    void BeforeDestruction() override;
    // Marks this component and those it owns as being destroyed.
    void Destroying();

    // Loading: the description reader sets the state, then calls Loaded on every component.
    void SetLoadingState(bool loading);
    virtual void Loaded();
    // The component that contains this one in a description (a control's parent).
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent*) {}

    TPersistent* GetOwner() const override { return fOwner; }
    std::string GetNamePath() const override { return fName; }

    // Owner-of-owner chain walk helpers.
    void IncludeState(TComponentStateItem s) { fState.Include(s); }
    void ExcludeState(TComponentStateItem s) { fState.Exclude(s); }

protected:
    // A component was inserted into or removed from this one's owner, or a component this one
    // asked about is being freed. Clear references to it here; call the inherited method.
    virtual void Notification(TComponent* component, TOperation operation);
    // Sets the owner's published field of this name to this component (or clears it).
    void SetReference(bool enable);
    // The teardown that must run while the whole object exists; runs once.
    void Teardown();

private:
    void Insert(TComponent* c);
    void Remove(TComponent* c);
    void RemoveNotification(TComponent* c);

    std::string fName;
    TComponent* fOwner = nullptr;
    std::vector<TComponent*> fComponents;
    std::vector<TComponent*> fFreeNotifies;
    intptr_t fTag = 0;
    TComponentState fState;
    bool fTornDown = false;
};

// Watches a component across a call that may free it: Target becomes nullptr when it is freed.
class TComponentWatch : public TComponent {
public:
    explicit TComponentWatch(TComponent* target);
    ~TComponentWatch() override;
    TComponent* Target;

protected:
    void Notification(TComponent* c, TOperation op) override;
};

// True for a valid identifier (letters, digits, underscore; not starting with a digit).
bool IsValidIdent(const std::string& name);

}  // namespace plat
