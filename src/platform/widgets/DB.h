#pragma once
// Data access: TDataSet (records held in memory, fields, navigation, editing, index definitions
// and find by key, disabled controls), TField and its kinds, TFieldDefs/TIndexDefs, TDataSource
// and the data links through which data-aware controls follow a data set.
//
// A data set that gets its records from elsewhere is a small subclass: it overrides
// InternalInitFieldDefs (fill FieldDefs) and InternalLoadRecords (call AppendRecord once per
// record); editing, indexes and navigation come from here. LoadRecords does both from field
// names and rows of values directly.
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Variant.h"
#include "platform/forms/Classes.h"
#include "platform/forms/Controls.h"

namespace plat {

class TDataSet;
class TDataSource;
class TDataLink;
class TField;

enum TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate, ftTime,
    ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo, ftParadoxOle, ftDBaseOle,
    ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT, ftArray, ftReference, ftDataSet,
    ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd
};
enum TDataSetState {
    dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue, dsOldValue, dsCurValue,
    dsBlockRead, dsInternalCalc, dsOpening
};
enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
enum TIndexOption { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression, ixNonMaintained };
using TIndexOptions = TSet<TIndexOption>;
enum TDataEvent {
    deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord, deUpdateState,
    deCheckBrowseMode, dePropertyChange, deFieldListChange, deFocusControl, deParentScroll
};
PLAT_DECLARE_ENUM(TFieldType)
PLAT_DECLARE_ENUM(TDataSetState)
PLAT_DECLARE_ENUM(TFieldKind)
PLAT_DECLARE_ENUM(TIndexOption)
PLAT_DECLARE_SET(TIndexOptions)

PLAT_DECLARE_EVENT(TFieldNotifyEvent, TField* /*Sender*/)
PLAT_DECLARE_EVENT(TFieldGetTextEvent, TField* /*Sender*/, std::string& /*Text*/, bool /*DisplayText*/)
PLAT_DECLARE_EVENT(TFieldSetTextEvent, TField* /*Sender*/, const std::string& /*Text*/)
PLAT_DECLARE_EVENT(TDataSetNotifyEvent, TDataSet* /*DataSet*/)
PLAT_DECLARE_EVENT(TDataChangeEvent, TObject* /*Sender*/, TField* /*Field*/)

// ---- Fields --------------------------------------------------------------------------------

class TField : public TComponent {
    PLAT_CLASS(TField)
    explicit TField(TComponent* owner);
    ~TField() override;

    TDataSet* DataSet() const { return fDataSet; }
    void SetDataSet(TDataSet* ds);
    const std::string& FieldName() const { return fFieldName; }
    void SetFieldName(const std::string& s) { fFieldName = s; }
    // The caption a label shows for the field; the field name until set.
    std::string DisplayLabel() const { return fDisplayLabel.empty() ? fFieldName : fDisplayLabel; }
    void SetDisplayLabel(const std::string& s);
    int DisplayWidth() const { return fDisplayWidth > 0 ? fDisplayWidth : fSize; }
    void SetDisplayWidth(int v) { fDisplayWidth = v; }
    TFieldType DataType() const { return fDataType; }
    TFieldKind FieldKind() const { return fFieldKind; }
    void SetFieldKind(TFieldKind k) { fFieldKind = k; }
    int Size() const { return fSize; }
    void SetSize(int v) { fSize = v; }
    int Index() const;
    int FieldNo() const { return Index() + 1; }
    bool Visible() const { return fVisible; }
    void SetVisible(bool v) { fVisible = v; }
    bool ReadOnly() const { return fReadOnly; }
    void SetReadOnly(bool v) { fReadOnly = v; }
    bool Required() const { return fRequired; }
    void SetRequired(bool v) { fRequired = v; }
    TAlignment Alignment() const { return fAlignment; }
    void SetAlignment(TAlignment a) { fAlignment = a; }
    // Memo and other blob fields are told apart from string fields by this.
    virtual bool IsBlob() const { return false; }
    bool CanModify() const;

    // The value of the current record (the edit buffer while editing).
    Variant Value() const;
    void SetValue(const Variant& v);
    bool IsNull() const;
    void Clear() { SetValue(Variant::Null()); }
    virtual std::string AsString() const;
    virtual void SetAsString(const std::string& s);
    int AsInteger() const;
    void SetAsInteger(int v) { SetValue(Variant(static_cast<int32_t>(v))); }
    double AsFloat() const;
    void SetAsFloat(double v) { SetValue(Variant(v)); }
    bool AsBoolean() const;
    void SetAsBoolean(bool v) { SetValue(Variant(v)); }
    Variant AsVariant() const { return Value(); }
    void SetAsVariant(const Variant& v) { SetValue(v); }
    // Text through OnGetText / OnSetText (as edits show and take it).
    std::string Text() const;
    void SetText(const std::string& s);
    std::string DisplayText() const;

    TFieldNotifyEvent OnChange, OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

protected:
    friend class TDataSet;
    explicit TField(TComponent* owner, TFieldType type);
    // Converts a value for storage (a string field keeps text, an integer field an integer).
    virtual Variant Convert(const Variant& v) const { return v; }
    virtual std::string GetText(bool displayText) const;
    void Notification(TComponent* c, TOperation op) override;

    TDataSet* fDataSet = nullptr;
    std::string fFieldName, fDisplayLabel;
    int fDisplayWidth = 0;
    TFieldType fDataType = ftUnknown;
    TFieldKind fFieldKind = fkData;
    int fSize = 0;
    bool fVisible = true, fReadOnly = false, fRequired = false;
    TAlignment fAlignment = taLeftJustify;
};

class TStringField : public TField {
    PLAT_CLASS(TStringField)
    explicit TStringField(TComponent* owner);

protected:
    Variant Convert(const Variant& v) const override;
};
class TNumericField : public TField {
    PLAT_CLASS(TNumericField)
    using TField::TField;
};
class TIntegerField : public TNumericField {
    PLAT_CLASS(TIntegerField)
    explicit TIntegerField(TComponent* owner);

protected:
    Variant Convert(const Variant& v) const override;
};
class TSmallintField : public TIntegerField {
    PLAT_CLASS(TSmallintField)
    explicit TSmallintField(TComponent* owner);
};
class TFloatField : public TNumericField {
    PLAT_CLASS(TFloatField)
    explicit TFloatField(TComponent* owner);

protected:
    Variant Convert(const Variant& v) const override;
};
class TBooleanField : public TField {
    PLAT_CLASS(TBooleanField)
    explicit TBooleanField(TComponent* owner);
    std::string AsString() const override;

protected:
    Variant Convert(const Variant& v) const override;
};
class TDateTimeField : public TField {
    PLAT_CLASS(TDateTimeField)
    explicit TDateTimeField(TComponent* owner);

protected:
    Variant Convert(const Variant& v) const override;
};
class TBlobField : public TField {
    PLAT_CLASS(TBlobField)
    explicit TBlobField(TComponent* owner);
    bool IsBlob() const override { return true; }

protected:
    explicit TBlobField(TComponent* owner, TFieldType type) : TField(owner, type) {}
    Variant Convert(const Variant& v) const override;
};
class TMemoField : public TBlobField {
    PLAT_CLASS(TMemoField)
    explicit TMemoField(TComponent* owner);
};

// The fields of a data set in order.
class TFields : public TObject {
public:
    explicit TFields(TDataSet* ds) : fDataSet(ds) {}
    int Count() const { return static_cast<int>(fList.size()); }
    TField* Fields(int i) const;  // raises EListError
    TField* operator[](int i) const { return Fields(i); }
    TField* FindField(const std::string& name) const;
    TField* FieldByName(const std::string& name) const;  // raises EDatabaseError
    int IndexOf(const TField* f) const;
    void Add(TField* f);
    void Remove(TField* f);
    TDataSet* DataSet() const { return fDataSet; }

private:
    TDataSet* fDataSet;
    std::vector<TField*> fList;
};

// ---- Definitions ---------------------------------------------------------------------------

class TFieldDef : public TCollectionItem {
    PLAT_CLASS(TFieldDef)
    explicit TFieldDef(TCollection* c) : TCollectionItem(c) {}
    std::string Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    bool Required = false;
    std::string DisplayName() const override { return Name; }
    // The field class this definition makes.
    const TClassInfo& FieldClass() const;
};

class TFieldDefs : public TOwnedCollection {
    PLAT_CLASS(TFieldDefs)
    explicit TFieldDefs(TDataSet* owner);
    TFieldDef* Add(const std::string& name, TFieldType type, int size = 0, bool required = false);
    TFieldDef* Item(int i) const { return static_cast<TFieldDef*>(Items(i)); }
    int IndexOf(const std::string& name) const;
    TFieldDef* Find(const std::string& name) const;  // raises EDatabaseError
};

class TIndexDef : public TCollectionItem {
    PLAT_CLASS(TIndexDef)
    explicit TIndexDef(TCollection* c) : TCollectionItem(c) {}
    const std::string& Name() const { return fName; }
    void SetName(const std::string& s) { fName = s; }
    // Field names separated by ";".
    const std::string& Fields() const { return fFields; }
    void SetFields(const std::string& s) { fFields = s; }
    TIndexOptions Options() const { return fOptions; }
    void SetOptions(TIndexOptions o) { fOptions = o; }
    std::string DisplayName() const override { return fName; }

private:
    std::string fName, fFields;
    TIndexOptions fOptions;
};

class TIndexDefs : public TOwnedCollection {
    PLAT_CLASS(TIndexDefs)
    explicit TIndexDefs(TDataSet* owner);
    TIndexDef* Add(const std::string& name, const std::string& fields, TIndexOptions options = {});
    TIndexDef* Item(int i) const { return static_cast<TIndexDef*>(Items(i)); }
    int IndexOf(const std::string& name) const;
    TIndexDef* Find(const std::string& name) const;  // raises EDatabaseError
};

// ---- TDataSet ------------------------------------------------------------------------------

class TDataSet : public TComponent {
    PLAT_CLASS(TDataSet)
    explicit TDataSet(TComponent* owner);
    ~TDataSet() override;

    // ---- Opening ----
    bool Active() const { return fState != dsInactive; }
    void SetActive(bool v);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return fState; }
    // Fills field definitions and records in one go (and opens): the provider-style load.
    void LoadRecords(const std::vector<std::string>& fieldNames, const std::vector<std::vector<Variant>>& rows);

    // ---- Fields ----
    TFieldDefs* FieldDefs() const { return fFieldDefs.get(); }
    void SetFieldDefs(TFieldDefs* d) { fFieldDefs->Assign(d); }
    TFields* Fields() const { return fFields.get(); }
    int FieldCount() const { return fFields->Count(); }
    TField* FindField(const std::string& name) const { return fFields->FindField(name); }
    TField* FieldByName(const std::string& name) const { return fFields->FieldByName(name); }
    Variant FieldValues(const std::string& name) const { return FieldByName(name)->Value(); }

    // ---- Navigation (over the records in index order) ----
    int RecordCount() const { return static_cast<int>(fOrder.size()); }
    int RecNo() const;  // 1-based, 0 when empty or inserting
    void SetRecNo(int n);
    bool Bof() const { return fBof; }
    bool Eof() const { return fEof; }
    bool IsEmpty() const { return fOrder.empty() && fState != dsInsert; }
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int distance);

    // ---- Editing ----
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode();  // posts a pending edit
    bool CanModify() const { return !fReadOnly && Active(); }
    bool ReadOnly() const { return fReadOnly; }
    void SetReadOnly(bool v) { fReadOnly = v; }
    bool Modified() const { return fModified; }
    // Tells the linked controls to write their pending text (before Post).
    void UpdateRecord();

    // ---- Controls ----
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return fDisableCount > 0; }

    // ---- Indexes ----
    TIndexDefs* IndexDefs() const { return fIndexDefs.get(); }
    void SetIndexDefs(TIndexDefs* d) { fIndexDefs->Assign(d); }
    const std::string& IndexName() const { return fIndexName; }
    void SetIndexName(const std::string& s);
    const std::string& IndexFieldNames() const { return fIndexFieldNames; }
    void SetIndexFieldNames(const std::string& s);
    int IndexFieldCount() const { return static_cast<int>(fIndexFields.size()); }
    // The first record (in index order) whose leading index fields equal the values; the cursor
    // moves there. False leaves the cursor. Raises EDatabaseError without an index or with more
    // values than the index has fields.
    bool FindKey(const std::vector<Variant>& keyValues);
    // The first record whose fields (names separated by ";") equal the values.
    bool Locate(const std::string& keyFields, const std::vector<Variant>& keyValues, bool caseInsensitive = false);

    // Raise EDatabaseError when the data set is closed / open.
    void CheckActive() const;
    void CheckInactive() const;

    // ---- Data sources ----
    void AddDataSource(TDataSource* ds);
    void RemoveDataSource(TDataSource* ds);

    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert, BeforeEdit,
        AfterEdit, BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete, AfterDelete, BeforeScroll,
        AfterScroll, OnNewRecord;

    // Field access for TField (the current buffer).
    Variant GetFieldValue(const TField* f) const;
    void SetFieldValue(TField* f, const Variant& v);
    // Tells the data sources (and so the controls) about a change.
    void DataEvent(TDataEvent event, intptr_t info = 0);

protected:
    // Subclass hooks for records that come from elsewhere.
    virtual void InternalInitFieldDefs() {}
    virtual void InternalLoadRecords() {}
    virtual void InternalPost(int recordIndex, const std::vector<Variant>& values) { (void)recordIndex; (void)values; }
    virtual void InternalDelete(int recordIndex) { (void)recordIndex; }
    // Adds a record while loading (values in field-definition order; missing ones are null).
    void AppendRecord(std::vector<Variant> values);
    void Loaded() override;
    void Notification(TComponent* c, TOperation op) override;

    void CreateFields();
    void DestroyFields();
    void Rebuild(int keepRecord);
    int CurrentRecord() const;  // index into fRecords, -1 when none
    int CompareRecords(const std::vector<Variant>& a, const std::vector<Variant>& b, size_t n) const;
    void SetState(TDataSetState s);
    void Scrolled(int oldPos);
    std::vector<int> FieldIndexes(const std::string& names) const;

    std::unique_ptr<TFieldDefs> fFieldDefs;
    std::unique_ptr<TIndexDefs> fIndexDefs;
    std::unique_ptr<TFields> fFields;
    std::vector<TField*> fOwnFields;  // fields this data set made (freed on close)
    std::vector<std::vector<Variant>> fRecords;
    std::vector<int> fOrder;  // record indexes in index order
    int fPos = -1;            // position in fOrder
    std::vector<Variant> fBuffer;  // edit buffer
    int fEditRecord = -1;          // record being edited, -1 while inserting
    TDataSetState fState = dsInactive;
    bool fBof = true, fEof = true;
    bool fModified = false;
    bool fReadOnly = false;
    bool fStreamedActive = false;
    int fDisableCount = 0;
    bool fPendingChange = false;
    std::string fIndexName, fIndexFieldNames;
    std::vector<int> fIndexFields;
    bool fIndexCaseInsensitive = false, fIndexDescending = false;
    std::vector<TDataSource*> fDataSources;
};

// ---- Data sources and links ----------------------------------------------------------------

class TDataSource : public TComponent {
    PLAT_CLASS(TDataSource)
    explicit TDataSource(TComponent* owner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return fDataSet; }
    void SetDataSet(TDataSet* ds);
    bool Enabled() const { return fEnabled; }
    void SetEnabled(bool v);
    bool AutoEdit() const { return fAutoEdit; }
    void SetAutoEdit(bool v) { fAutoEdit = v; }
    TDataSetState State() const;
    void Edit();  // starts editing when AutoEdit and browsing

    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);
    void NotifyLinks(TDataEvent event, intptr_t info);

    TDataChangeEvent OnDataChange;
    TNotifyEvent OnStateChange, OnUpdateData;

protected:
    void Notification(TComponent* c, TOperation op) override;
    TDataSet* fDataSet = nullptr;
    bool fEnabled = true, fAutoEdit = true;
    std::vector<TDataLink*> fLinks;
    TDataSetState fLastState = dsInactive;
};

// What a data-aware control holds: the source it follows and the notifications it gets.
class TDataLink : public TObject {
public:
    TDataLink();
    ~TDataLink() override;
    TDataSource* DataSource() const { return fDataSource; }
    void SetDataSource(TDataSource* ds);
    TDataSet* DataSet() const { return fDataSource ? fDataSource->DataSet() : nullptr; }
    bool Active() const;
    bool Editing() const { return fEditing; }
    bool ReadOnly() const { return fReadOnly; }
    void SetReadOnly(bool v) { fReadOnly = v; }
    // Starts editing the data set (through AutoEdit); true when it is editing now.
    bool Edit();
    void UpdateRecord();
    void DataEvent(TDataEvent event, intptr_t info);

protected:
    virtual void ActiveChanged() {}
    virtual void EditingChanged() {}
    virtual void RecordChanged(TField* field) { (void)field; }
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled() { DataSetChanged(); }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void UpdateData() {}
    virtual void FocusControl(TField* field) { (void)field; }
    void UpdateState();

    TDataSource* fDataSource = nullptr;
    bool fActive = false, fEditing = false, fReadOnly = false, fUpdating = false;
};

// The link of a control bound to one field.
class TFieldDataLink : public TDataLink {
public:
    TFieldDataLink() = default;
    const std::string& FieldName() const { return fFieldName; }
    void SetFieldName(const std::string& s);
    TField* Field() const { return fField; }
    TComponent* Control() const { return fControl; }
    void SetControl(TComponent* c) { fControl = c; }
    bool CanModify() const;
    void Modified() { fModified = true; }
    void Reset();
    bool IsModified() const { return fModified; }

    TNotifyEvent OnDataChange, OnEditingChange, OnUpdateData, OnActiveChange;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void RecordChanged(TField* field) override;
    void LayoutChanged() override;
    void UpdateData() override;
    void FocusControl(TField* field) override;
    void UpdateField();

    std::string fFieldName;
    TField* fField = nullptr;
    TComponent* fControl = nullptr;
    bool fModified = false;
};

// Splits "A;B;C" into trimmed names.
std::vector<std::string> SplitFieldNames(const std::string& names);

}  // namespace plat
