#include "platform/widgets/DB.h"

#include <algorithm>
#include <cmath>

#include "platform/core/SysUtils.h"

namespace plat {

PLAT_DEFINE_ENUM(TFieldType, "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat",
                 "ftCurrency", "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes", "ftAutoInc",
                 "ftBlob", "ftMemo", "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary",
                 "ftCursor", "ftFixedChar", "ftWideString", "ftLargeint", "ftADT", "ftArray", "ftReference",
                 "ftDataSet", "ftOraBlob", "ftOraClob", "ftVariant", "ftInterface", "ftIDispatch", "ftGuid",
                 "ftTimeStamp", "ftFMTBcd")
PLAT_DEFINE_ENUM(TDataSetState, "dsInactive", "dsBrowse", "dsEdit", "dsInsert", "dsSetKey", "dsCalcFields",
                 "dsFilter", "dsNewValue", "dsOldValue", "dsCurValue", "dsBlockRead", "dsInternalCalc", "dsOpening")
PLAT_DEFINE_ENUM(TFieldKind, "fkData", "fkCalculated", "fkLookup", "fkInternalCalc", "fkAggregate")
PLAT_DEFINE_ENUM(TIndexOption, "ixPrimary", "ixUnique", "ixDescending", "ixCaseInsensitive", "ixExpression",
                 "ixNonMaintained")
PLAT_DEFINE_SET(TIndexOptions, TIndexOption)

namespace {
std::string Upper(std::string s) {
    for (auto& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}
// Orders two values: nulls first, numbers by value, everything else by text.
int CompareValues(const Variant& a, const Variant& b, bool caseInsensitive) {
    bool an = a.IsNull() || a.IsEmpty(), bn = b.IsNull() || b.IsEmpty();
    if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
    if ((a.IsNumeric() || a.BaseType() == varBoolean) && (b.IsNumeric() || b.BaseType() == varBoolean)) {
        double x = a.AsDouble(), y = b.AsDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    std::string x = a.AsString(), y = b.AsString();
    if (caseInsensitive) {
        x = Upper(x);
        y = Upper(y);
    }
    return x.compare(y) < 0 ? -1 : (x == y ? 0 : 1);
}
}  // namespace

std::vector<std::string> SplitFieldNames(const std::string& names) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= names.size()) {
        size_t p = names.find(';', start);
        std::string part = Trim(names.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (!part.empty()) out.push_back(part);
        if (p == std::string::npos) break;
        start = p + 1;
    }
    return out;
}

// ---- TField --------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TField, TComponent) {
    b.Property("Alignment", &TField::Alignment, &TField::SetAlignment).Default(taLeftJustify);
    b.Property("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel);
    b.Property("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth);
    b.Property("FieldKind", &TField::FieldKind, &TField::SetFieldKind).Default(fkData);
    b.Property("FieldName", &TField::FieldName, &TField::SetFieldName);
    b.Property("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly).Default(0);
    b.Property("Required", &TField::Required, &TField::SetRequired).Default(0);
    b.Property("Size", &TField::Size, &TField::SetSize).Default(0);
    b.Property("Visible", &TField::Visible, &TField::SetVisible).Default(1);
    b.Property("DataSet", &TField::DataSet, &TField::SetDataSet).NotStored().Unpublished();
    b.Property("AsString", &TField::AsString, &TField::SetAsString).NotStored().Unpublished();
    b.Property("Text", &TField::Text, &TField::SetText).NotStored().Unpublished();
    b.Property("Value", &TField::Value, &TField::SetValue).NotStored().Unpublished();
    b.Event("OnChange", &TField::OnChange);
    b.Event("OnGetText", &TField::OnGetText);
    b.Event("OnSetText", &TField::OnSetText);
    b.Event("OnValidate", &TField::OnValidate);
}

TField::TField(TComponent* owner) : TComponent(owner) {}
TField::TField(TComponent* owner, TFieldType type) : TComponent(owner), fDataType(type) {}

TField::~TField() {
    if (fDataSet) fDataSet->Fields()->Remove(this);
}

void TField::SetDataSet(TDataSet* ds) {
    if (ds == fDataSet) return;
    if (fDataSet) {
        fDataSet->CheckInactive();
        fDataSet->Fields()->Remove(this);
        fDataSet->RemoveFreeNotification(this);
    }
    if (ds) {
        ds->CheckInactive();
        ds->Fields()->Add(this);
        ds->FreeNotification(this);
    }
    fDataSet = ds;
}

void TField::Notification(TComponent* c, TOperation op) {
    TComponent::Notification(c, op);
    if (op == opRemove && c == fDataSet) fDataSet = nullptr;
}

void TField::SetDisplayLabel(const std::string& s) {
    fDisplayLabel = s == fFieldName ? std::string() : s;
    if (fDataSet) fDataSet->DataEvent(deLayoutChange);
}

int TField::Index() const { return fDataSet ? fDataSet->Fields()->IndexOf(this) : -1; }

bool TField::CanModify() const { return !fReadOnly && fFieldKind == fkData && fDataSet && fDataSet->CanModify(); }

Variant TField::Value() const {
    if (!fDataSet) throw EDatabaseError("Field '" + fFieldName + "' has no dataset");
    return fDataSet->GetFieldValue(this);
}

void TField::SetValue(const Variant& v) {
    if (!fDataSet) throw EDatabaseError("Field '" + fFieldName + "' has no dataset");
    Variant c = (v.IsNull() || v.IsEmpty()) ? Variant::Null() : Convert(v);
    fDataSet->SetFieldValue(this, c);
}

bool TField::IsNull() const {
    Variant v = Value();
    return v.IsNull() || v.IsEmpty();
}

std::string TField::AsString() const {
    Variant v = Value();
    return v.IsNull() || v.IsEmpty() ? std::string() : v.AsString();
}
void TField::SetAsString(const std::string& s) { SetValue(Variant(s)); }
int TField::AsInteger() const {
    Variant v = Value();
    return v.IsNull() || v.IsEmpty() ? 0 : v.AsInteger();
}
double TField::AsFloat() const {
    Variant v = Value();
    return v.IsNull() || v.IsEmpty() ? 0.0 : v.AsDouble();
}
bool TField::AsBoolean() const {
    Variant v = Value();
    return !(v.IsNull() || v.IsEmpty()) && v.AsBoolean();
}

std::string TField::GetText(bool) const { return AsString(); }

std::string TField::Text() const {
    if (OnGetText.Assigned()) {
        std::string s;
        OnGetText(const_cast<TField*>(this), s, false);
        return s;
    }
    return GetText(false);
}

std::string TField::DisplayText() const {
    if (OnGetText.Assigned()) {
        std::string s;
        OnGetText(const_cast<TField*>(this), s, true);
        return s;
    }
    return GetText(true);
}

void TField::SetText(const std::string& s) {
    if (OnSetText.Assigned()) OnSetText(this, s);
    else SetAsString(s);
}

PLAT_REGISTER_CLASS(TStringField, TField) {}
TStringField::TStringField(TComponent* owner) : TField(owner, ftString) { fSize = 20; }
Variant TStringField::Convert(const Variant& v) const {
    std::string s = v.AsString();
    return Variant(s);
}

PLAT_REGISTER_CLASS(TNumericField, TField) {}
PLAT_REGISTER_CLASS(TIntegerField, TNumericField) {}
TIntegerField::TIntegerField(TComponent* owner) : TNumericField(owner, ftInteger) { fAlignment = taRightJustify; }
Variant TIntegerField::Convert(const Variant& v) const {
    if (v.IsText()) {
        std::string s = Trim(v.AsString());
        if (s.empty()) return Variant::Null();
        try {
            size_t used = 0;
            long long n = std::stoll(s, &used);
            if (used == s.size() && n >= INT32_MIN && n <= INT32_MAX) return Variant(static_cast<int32_t>(n));
        } catch (const std::exception&) {
        }
        throw EConvertError("'" + s + "' is not a valid integer value");
    }
    return Variant(v.AsInteger());
}

PLAT_REGISTER_CLASS(TSmallintField, TIntegerField) {}
TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner) { fDataType = ftSmallint; }

PLAT_REGISTER_CLASS(TFloatField, TNumericField) {}
TFloatField::TFloatField(TComponent* owner) : TNumericField(owner, ftFloat) { fAlignment = taRightJustify; }
Variant TFloatField::Convert(const Variant& v) const {
    if (v.IsText()) {
        std::string s = Trim(v.AsString());
        if (s.empty()) return Variant::Null();
        try {
            size_t used = 0;
            double d = std::stod(s, &used);
            if (used == s.size()) return Variant(d);
        } catch (const std::exception&) {
        }
        throw EConvertError("'" + s + "' is not a valid floating point value");
    }
    return Variant(v.AsDouble());
}

PLAT_REGISTER_CLASS(TBooleanField, TField) {}
TBooleanField::TBooleanField(TComponent* owner) : TField(owner, ftBoolean) {}
std::string TBooleanField::AsString() const {
    if (IsNull()) return {};
    return AsBoolean() ? "True" : "False";
}
Variant TBooleanField::Convert(const Variant& v) const {
    if (v.IsText()) {
        std::string s = Upper(Trim(v.AsString()));
        if (s == "TRUE" || s == "T" || s == "Y" || s == "YES" || s == "1") return Variant(true);
        if (s == "FALSE" || s == "F" || s == "N" || s == "NO" || s == "0") return Variant(false);
        throw EConvertError("'" + v.AsString() + "' is not a valid boolean value");
    }
    return Variant(v.AsBoolean());
}

PLAT_REGISTER_CLASS(TDateTimeField, TField) {}
TDateTimeField::TDateTimeField(TComponent* owner) : TField(owner, ftDateTime) {}
Variant TDateTimeField::Convert(const Variant& v) const { return Variant::Date(v.AsDate()); }

PLAT_REGISTER_CLASS(TBlobField, TField) {}
TBlobField::TBlobField(TComponent* owner) : TField(owner, ftBlob) {}
Variant TBlobField::Convert(const Variant& v) const { return Variant(v.AsString()); }

PLAT_REGISTER_CLASS(TMemoField, TBlobField) {}
TMemoField::TMemoField(TComponent* owner) : TBlobField(owner, ftMemo) {}

// ---- TFields -------------------------------------------------------------------------------

TField* TFields::Fields(int i) const {
    if (i < 0 || i >= Count()) throw EListError("List index out of bounds (" + std::to_string(i) + ")");
    return fList[static_cast<size_t>(i)];
}

TField* TFields::FindField(const std::string& name) const {
    for (auto* f : fList)
        if (SameName(f->FieldName(), name)) return f;
    return nullptr;
}

TField* TFields::FieldByName(const std::string& name) const {
    if (TField* f = FindField(name)) return f;
    std::string owner = fDataSet ? fDataSet->Name() : std::string();
    throw EDatabaseError(owner + ": Field '" + name + "' not found");
}

int TFields::IndexOf(const TField* f) const {
    auto it = std::find(fList.begin(), fList.end(), f);
    return it == fList.end() ? -1 : static_cast<int>(it - fList.begin());
}

void TFields::Add(TField* f) {
    if (IndexOf(f) < 0) fList.push_back(f);
}
void TFields::Remove(TField* f) { fList.erase(std::remove(fList.begin(), fList.end(), f), fList.end()); }

// ---- Definitions ---------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TFieldDef, TCollectionItem) {
    b.Property("Name", &TFieldDef::Name);
    b.Property("DataType", &TFieldDef::DataType);
    b.Property("Size", &TFieldDef::Size);
    b.Property("Required", &TFieldDef::Required);
}

const TClassInfo& TFieldDef::FieldClass() const {
    switch (DataType) {
        case ftString:
        case ftFixedChar:
        case ftWideString:
        case ftGuid: return TStringField::StaticClass();
        case ftSmallint:
        case ftWord: return TSmallintField::StaticClass();
        case ftInteger:
        case ftAutoInc:
        case ftLargeint: return TIntegerField::StaticClass();
        case ftFloat:
        case ftCurrency:
        case ftBCD:
        case ftFMTBcd: return TFloatField::StaticClass();
        case ftBoolean: return TBooleanField::StaticClass();
        case ftDate:
        case ftTime:
        case ftDateTime:
        case ftTimeStamp: return TDateTimeField::StaticClass();
        case ftMemo:
        case ftFmtMemo:
        case ftOraClob: return TMemoField::StaticClass();
        case ftBlob:
        case ftGraphic:
        case ftTypedBinary:
        case ftOraBlob:
        case ftBytes:
        case ftVarBytes: return TBlobField::StaticClass();
        default: throw EDatabaseError("Field '" + Name + "' is of an unsupported type");
    }
}

PLAT_REGISTER_CLASS(TFieldDefs, TOwnedCollection) {}
TFieldDefs::TFieldDefs(TDataSet* owner) : TOwnedCollection(owner, TFieldDef::StaticClass()) {}

TFieldDef* TFieldDefs::Add(const std::string& name, TFieldType type, int size, bool required) {
    if (IndexOf(name) >= 0) throw EDatabaseError("Duplicate field name '" + name + "'");
    auto* d = static_cast<TFieldDef*>(TCollection::Add());
    d->Name = name;
    d->DataType = type;
    d->Size = size;
    d->Required = required;
    return d;
}

int TFieldDefs::IndexOf(const std::string& name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameName(Item(i)->Name, name)) return i;
    return -1;
}

TFieldDef* TFieldDefs::Find(const std::string& name) const {
    int i = IndexOf(name);
    if (i < 0) throw EDatabaseError("Field '" + name + "' not found");
    return Item(i);
}

PLAT_REGISTER_CLASS(TIndexDef, TCollectionItem) {
    b.Property("Name", &TIndexDef::Name, &TIndexDef::SetName);
    b.Property("Fields", &TIndexDef::Fields, &TIndexDef::SetFields);
    b.Property("Options", &TIndexDef::Options, &TIndexDef::SetOptions);
}

PLAT_REGISTER_CLASS(TIndexDefs, TOwnedCollection) {}
TIndexDefs::TIndexDefs(TDataSet* owner) : TOwnedCollection(owner, TIndexDef::StaticClass()) {}

TIndexDef* TIndexDefs::Add(const std::string& name, const std::string& fields, TIndexOptions options) {
    auto* d = static_cast<TIndexDef*>(TCollection::Add());
    d->SetName(name);
    d->SetFields(fields);
    d->SetOptions(options);
    return d;
}

int TIndexDefs::IndexOf(const std::string& name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameName(Item(i)->Name(), name)) return i;
    return -1;
}

TIndexDef* TIndexDefs::Find(const std::string& name) const {
    int i = IndexOf(name);
    if (i < 0) throw EDatabaseError("Index '" + name + "' not found");
    return Item(i);
}

// ---- TDataSet ------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TDataSet, TComponent) {
    b.Property("Active", &TDataSet::Active, &TDataSet::SetActive).Default(0);
    b.Property("FieldDefs", &TDataSet::FieldDefs, &TDataSet::SetFieldDefs);
    b.Property("IndexDefs", &TDataSet::IndexDefs, &TDataSet::SetIndexDefs);
    b.Property("IndexName", &TDataSet::IndexName, &TDataSet::SetIndexName);
    b.Property("IndexFieldNames", &TDataSet::IndexFieldNames, &TDataSet::SetIndexFieldNames);
    b.Property("ReadOnly", &TDataSet::ReadOnly, &TDataSet::SetReadOnly).Default(0);
    b.Event("AfterCancel", &TDataSet::AfterCancel);
    b.Event("AfterClose", &TDataSet::AfterClose);
    b.Event("AfterDelete", &TDataSet::AfterDelete);
    b.Event("AfterEdit", &TDataSet::AfterEdit);
    b.Event("AfterInsert", &TDataSet::AfterInsert);
    b.Event("AfterOpen", &TDataSet::AfterOpen);
    b.Event("AfterPost", &TDataSet::AfterPost);
    b.Event("AfterScroll", &TDataSet::AfterScroll);
    b.Event("BeforeCancel", &TDataSet::BeforeCancel);
    b.Event("BeforeClose", &TDataSet::BeforeClose);
    b.Event("BeforeDelete", &TDataSet::BeforeDelete);
    b.Event("BeforeEdit", &TDataSet::BeforeEdit);
    b.Event("BeforeInsert", &TDataSet::BeforeInsert);
    b.Event("BeforeOpen", &TDataSet::BeforeOpen);
    b.Event("BeforePost", &TDataSet::BeforePost);
    b.Event("BeforeScroll", &TDataSet::BeforeScroll);
    b.Event("OnNewRecord", &TDataSet::OnNewRecord);
}

TDataSet::TDataSet(TComponent* owner)
    : TComponent(owner),
      fFieldDefs(std::make_unique<TFieldDefs>(this)),
      fIndexDefs(std::make_unique<TIndexDefs>(this)),
      fFields(std::make_unique<TFields>(this)) {}

TDataSet::~TDataSet() {
    auto sources = fDataSources;
    for (auto* s : sources) s->SetDataSet(nullptr);
    // Fields outlive the field list when they are freed after this body (owned ones).
    for (int i = 0; i < fFields->Count(); ++i) fFields->Fields(i)->fDataSet = nullptr;
}

void TDataSet::CheckActive() const {
    if (!Active()) throw EDatabaseError(Name() + ": Cannot perform this operation on a closed dataset");
}
void TDataSet::CheckInactive() const {
    if (Active()) throw EDatabaseError(Name() + ": Cannot perform this operation on an open dataset");
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    if (fStreamedActive) SetActive(true);
}

void TDataSet::Notification(TComponent* c, TOperation op) {
    TComponent::Notification(c, op);
    if (op != opRemove) return;
    fDataSources.erase(std::remove(fDataSources.begin(), fDataSources.end(), c), fDataSources.end());
    if (auto* f = dynamic_cast<TField*>(c)) {
        fFields->Remove(f);
        fOwnFields.erase(std::remove(fOwnFields.begin(), fOwnFields.end(), f), fOwnFields.end());
    }
}

void TDataSet::SetActive(bool v) {
    if (IsLoading()) {
        fStreamedActive = v;
        return;
    }
    if (v == Active()) return;
    if (v) {
        BeforeOpen(this);
        fState = dsOpening;
        try {
            fRecords.clear();
            InternalInitFieldDefs();
            CreateFields();
            InternalLoadRecords();
            fState = dsBrowse;
            Rebuild(-1);
        } catch (...) {
            fState = dsInactive;
            DestroyFields();
            throw;
        }
        fPos = fOrder.empty() ? -1 : 0;
        fBof = true;
        fEof = fOrder.empty();
        DataEvent(deUpdateState);
        AfterOpen(this);
    } else {
        BeforeClose(this);
        fState = dsInactive;
        fRecords.clear();
        fOrder.clear();
        fBuffer.clear();
        fPos = -1;
        fBof = fEof = true;
        DataEvent(deUpdateState);
        DestroyFields();
        AfterClose(this);
    }
}

void TDataSet::CreateFields() {
    // Fields made beforehand (with this data set) stay; the others come from the definitions.
    if (fFields->Count() > 0) return;
    for (int i = 0; i < fFieldDefs->Count(); ++i) {
        TFieldDef* d = fFieldDefs->Item(i);
        TComponent* c = d->FieldClass().CreateComponent(this);
        auto* f = static_cast<TField*>(c);
        f->SetFieldName(d->Name);
        if (d->Size > 0) f->SetSize(d->Size);
        f->SetRequired(d->Required);
        f->fDataSet = this;  // owned here: no notification needed, and the set is opening
        fFields->Add(f);
        fOwnFields.push_back(f);
    }
}

void TDataSet::DestroyFields() {
    auto own = fOwnFields;
    fOwnFields.clear();
    for (auto* f : own) f->Free();
}

void TDataSet::LoadRecords(const std::vector<std::string>& fieldNames, const std::vector<std::vector<Variant>>& rows) {
    Close();
    fFieldDefs->Clear();
    for (const auto& n : fieldNames) fFieldDefs->Add(n, ftString, 0);
    fState = dsOpening;
    try {
        CreateFields();
        for (const auto& r : rows) AppendRecord(r);
        fState = dsBrowse;
        Rebuild(-1);
    } catch (...) {
        fState = dsInactive;
        DestroyFields();
        throw;
    }
    fPos = fOrder.empty() ? -1 : 0;
    fBof = true;
    fEof = fOrder.empty();
    DataEvent(deUpdateState);
    AfterOpen(this);
}

void TDataSet::AppendRecord(std::vector<Variant> values) {
    values.resize(static_cast<size_t>(FieldCount()), Variant::Null());
    for (size_t i = 0; i < values.size(); ++i)
        if (!values[i].IsNull() && !values[i].IsEmpty()) values[i] = fFields->Fields(static_cast<int>(i))->Convert(values[i]);
        else values[i] = Variant::Null();
    fRecords.push_back(std::move(values));
}

std::vector<int> TDataSet::FieldIndexes(const std::string& names) const {
    std::vector<int> out;
    for (const auto& n : SplitFieldNames(names)) out.push_back(FieldByName(n)->Index());
    return out;
}

int TDataSet::CompareRecords(const std::vector<Variant>& a, const std::vector<Variant>& b, size_t n) const {
    for (size_t i = 0; i < n && i < fIndexFields.size(); ++i) {
        size_t f = static_cast<size_t>(fIndexFields[i]);
        int c = CompareValues(a[f], b[f], fIndexCaseInsensitive);
        if (c != 0) return fIndexDescending ? -c : c;
    }
    return 0;
}

void TDataSet::Rebuild(int keepRecord) {
    fIndexFields.clear();
    fIndexCaseInsensitive = fIndexDescending = false;
    if (Active() || fState == dsOpening) {
        if (!fIndexName.empty()) {
            TIndexDef* d = fIndexDefs->Find(fIndexName);
            fIndexFields = FieldIndexes(d->Fields());
            fIndexCaseInsensitive = d->Options().Contains(ixCaseInsensitive);
            fIndexDescending = d->Options().Contains(ixDescending);
        } else if (!fIndexFieldNames.empty()) {
            fIndexFields = FieldIndexes(fIndexFieldNames);
        }
    }
    fOrder.resize(fRecords.size());
    for (size_t i = 0; i < fOrder.size(); ++i) fOrder[i] = static_cast<int>(i);
    if (!fIndexFields.empty())
        std::stable_sort(fOrder.begin(), fOrder.end(), [this](int a, int b) {
            return CompareRecords(fRecords[static_cast<size_t>(a)], fRecords[static_cast<size_t>(b)], fIndexFields.size()) < 0;
        });
    if (keepRecord >= 0) {
        auto it = std::find(fOrder.begin(), fOrder.end(), keepRecord);
        fPos = it == fOrder.end() ? -1 : static_cast<int>(it - fOrder.begin());
    }
    if (fPos >= RecordCount()) fPos = RecordCount() - 1;
    if (fPos < 0 && !fOrder.empty()) fPos = 0;
}

void TDataSet::SetIndexName(const std::string& s) {
    if (IsLoading() || !Active()) {
        fIndexName = s;
        if (!s.empty()) fIndexFieldNames.clear();
        return;
    }
    CheckBrowseMode();
    if (!s.empty()) fIndexDefs->Find(s);
    int keep = CurrentRecord();
    fIndexName = s;
    if (!s.empty()) fIndexFieldNames.clear();
    Rebuild(keep);
    DataEvent(deDataSetChange);
}

void TDataSet::SetIndexFieldNames(const std::string& s) {
    if (IsLoading() || !Active()) {
        fIndexFieldNames = s;
        if (!s.empty()) fIndexName.clear();
        return;
    }
    CheckBrowseMode();
    FieldIndexes(s);
    int keep = CurrentRecord();
    fIndexFieldNames = s;
    if (!s.empty()) fIndexName.clear();
    Rebuild(keep);
    DataEvent(deDataSetChange);
}

int TDataSet::CurrentRecord() const {
    if (fPos < 0 || fPos >= RecordCount()) return -1;
    return fOrder[static_cast<size_t>(fPos)];
}

int TDataSet::RecNo() const {
    if (fState == dsInsert || fPos < 0) return 0;
    return fPos + 1;
}

void TDataSet::Scrolled(int oldPos) {
    if (fPos != oldPos) {
        DataEvent(deDataSetScroll);
        AfterScroll(this);
    }
}

void TDataSet::SetRecNo(int n) {
    CheckBrowseMode();
    if (n < 1 || n > RecordCount()) return;
    BeforeScroll(this);
    int old = fPos;
    fPos = n - 1;
    fBof = fEof = false;
    Scrolled(old);
}

void TDataSet::First() {
    CheckBrowseMode();
    BeforeScroll(this);
    int old = fPos;
    fPos = fOrder.empty() ? -1 : 0;
    fBof = true;
    fEof = fOrder.empty();
    Scrolled(old);
}

void TDataSet::Last() {
    CheckBrowseMode();
    BeforeScroll(this);
    int old = fPos;
    fPos = RecordCount() - 1;
    fEof = true;
    fBof = fOrder.empty();
    Scrolled(old);
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    if (distance == 0 || fOrder.empty()) {
        if (fOrder.empty()) fBof = fEof = true;
        return 0;
    }
    BeforeScroll(this);
    int old = fPos;
    int target = fPos + distance;
    fBof = fEof = false;
    if (target < 0) {
        target = 0;
        fBof = true;
    } else if (target >= RecordCount()) {
        target = RecordCount() - 1;
        fEof = true;
    }
    fPos = target;
    Scrolled(old);
    return target - old;
}

Variant TDataSet::GetFieldValue(const TField* f) const {
    int i = fFields->IndexOf(f);
    if (i < 0 || !Active()) return Variant::Null();
    if (fState == dsEdit || fState == dsInsert) return fBuffer[static_cast<size_t>(i)];
    int rec = CurrentRecord();
    if (rec < 0) return Variant::Null();
    return fRecords[static_cast<size_t>(rec)][static_cast<size_t>(i)];
}

void TDataSet::SetFieldValue(TField* f, const Variant& v) {
    if (fState != dsEdit && fState != dsInsert)
        throw EDatabaseError(Name() + ": Dataset not in edit or insert mode");
    if (f->ReadOnly()) throw EDatabaseError("Field '" + f->FieldName() + "' cannot be modified");
    int i = fFields->IndexOf(f);
    if (i < 0) return;
    f->OnValidate(f);
    fBuffer[static_cast<size_t>(i)] = v;
    fModified = true;
    f->OnChange(f);
    DataEvent(deFieldChange, reinterpret_cast<intptr_t>(f));
}

void TDataSet::SetState(TDataSetState s) {
    if (s == fState) return;
    fState = s;
    DataEvent(deUpdateState);
}

void TDataSet::Edit() {
    if (fState == dsEdit || fState == dsInsert) return;
    CheckActive();
    if (!CanModify()) throw EDatabaseError(Name() + ": Cannot modify a read-only dataset");
    if (fOrder.empty()) {
        Insert();
        return;
    }
    BeforeEdit(this);
    fEditRecord = CurrentRecord();
    fBuffer = fRecords[static_cast<size_t>(fEditRecord)];
    fModified = false;
    SetState(dsEdit);
    DataEvent(deRecordChange);
    AfterEdit(this);
}

void TDataSet::Insert() {
    CheckBrowseMode();
    if (!CanModify()) throw EDatabaseError(Name() + ": Cannot modify a read-only dataset");
    BeforeInsert(this);
    fEditRecord = -1;
    fBuffer.assign(static_cast<size_t>(FieldCount()), Variant::Null());
    fModified = false;
    SetState(dsInsert);
    OnNewRecord(this);
    DataEvent(deDataSetChange);
    AfterInsert(this);
}

void TDataSet::Append() { Insert(); }

void TDataSet::UpdateRecord() {
    if (fState != dsEdit && fState != dsInsert) throw EDatabaseError(Name() + ": Dataset not in edit or insert mode");
    DataEvent(deUpdateRecord);
}

void TDataSet::Post() {
    if (fState != dsEdit && fState != dsInsert) throw EDatabaseError(Name() + ": Dataset not in edit or insert mode");
    UpdateRecord();
    BeforePost(this);
    for (int i = 0; i < FieldCount(); ++i) {
        TField* f = fFields->Fields(i);
        Variant& v = fBuffer[static_cast<size_t>(i)];
        if (f->Required() && (v.IsNull() || v.IsEmpty()))
            throw EDatabaseError("Field '" + f->DisplayLabel() + "' must have a value");
    }
    int rec = fEditRecord;
    if (fState == dsInsert) {
        fRecords.push_back(fBuffer);
        rec = static_cast<int>(fRecords.size()) - 1;
    } else {
        fRecords[static_cast<size_t>(rec)] = fBuffer;
    }
    InternalPost(rec, fBuffer);
    fBuffer.clear();
    fModified = false;
    fState = dsBrowse;
    // A posted key change moves the record to its place in the index; the cursor follows it.
    Rebuild(rec);
    fBof = fEof = false;
    DataEvent(deUpdateState);
    DataEvent(deDataSetChange);
    AfterPost(this);
}

void TDataSet::Cancel() {
    if (fState != dsEdit && fState != dsInsert) return;
    BeforeCancel(this);
    fBuffer.clear();
    fModified = false;
    fState = dsBrowse;
    DataEvent(deUpdateState);
    DataEvent(deDataSetChange);
    AfterCancel(this);
}

void TDataSet::Delete() {
    CheckActive();
    if (fState == dsInsert) {
        Cancel();
        return;
    }
    if (fOrder.empty()) throw EDatabaseError(Name() + ": Cannot perform this operation on an empty dataset");
    if (!CanModify()) throw EDatabaseError(Name() + ": Cannot modify a read-only dataset");
    CheckBrowseMode();
    BeforeDelete(this);
    int rec = CurrentRecord();
    InternalDelete(rec);
    fRecords.erase(fRecords.begin() + rec);
    int pos = fPos;
    Rebuild(-1);
    fPos = std::min(pos, RecordCount() - 1);
    fBof = fEof = fOrder.empty();
    DataEvent(deDataSetChange);
    AfterDelete(this);
    AfterScroll(this);
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    if (fState == dsEdit || fState == dsInsert) {
        UpdateRecord();
        if (fModified) Post();
        else Cancel();
    }
}

bool TDataSet::FindKey(const std::vector<Variant>& keyValues) {
    CheckBrowseMode();
    if (fIndexFields.empty()) throw EDatabaseError(Name() + ": No index currently active");
    if (keyValues.size() > fIndexFields.size() || keyValues.empty())
        throw EDatabaseError(Name() + ": Too many key fields specified");
    std::vector<Variant> key(static_cast<size_t>(FieldCount()), Variant::Null());
    for (size_t i = 0; i < keyValues.size(); ++i) {
        TField* f = fFields->Fields(fIndexFields[i]);
        key[static_cast<size_t>(fIndexFields[i])] = keyValues[i].IsNull() ? Variant::Null() : f->Convert(keyValues[i]);
    }
    for (int p = 0; p < RecordCount(); ++p) {
        if (CompareRecords(fRecords[static_cast<size_t>(fOrder[static_cast<size_t>(p)])], key, keyValues.size()) == 0) {
            BeforeScroll(this);
            int old = fPos;
            fPos = p;
            fBof = fEof = false;
            Scrolled(old);
            return true;
        }
    }
    return false;
}

bool TDataSet::Locate(const std::string& keyFields, const std::vector<Variant>& keyValues, bool caseInsensitive) {
    CheckBrowseMode();
    std::vector<int> idx = FieldIndexes(keyFields);
    if (idx.size() != keyValues.size()) throw EDatabaseError(Name() + ": Field and value counts differ");
    for (int p = 0; p < RecordCount(); ++p) {
        const auto& rec = fRecords[static_cast<size_t>(fOrder[static_cast<size_t>(p)])];
        bool match = true;
        for (size_t i = 0; i < idx.size() && match; ++i)
            match = CompareValues(rec[static_cast<size_t>(idx[i])], keyValues[i], caseInsensitive) == 0;
        if (match) {
            BeforeScroll(this);
            int old = fPos;
            fPos = p;
            fBof = fEof = false;
            Scrolled(old);
            return true;
        }
    }
    return false;
}

void TDataSet::DisableControls() { ++fDisableCount; }

void TDataSet::EnableControls() {
    if (fDisableCount == 0) return;
    if (--fDisableCount == 0 && fPendingChange) {
        fPendingChange = false;
        DataEvent(deUpdateState);
        DataEvent(deDataSetChange);
    }
}

void TDataSet::DataEvent(TDataEvent event, intptr_t info) {
    // While controls are disabled only what must reach them now (writing their text before a
    // post) goes through; the rest is summed up as one change when they are enabled again.
    if (fDisableCount > 0 && event != deUpdateRecord && event != deCheckBrowseMode) {
        fPendingChange = true;
        return;
    }
    auto sources = fDataSources;
    for (auto* s : sources)
        if (std::find(fDataSources.begin(), fDataSources.end(), s) != fDataSources.end()) s->NotifyLinks(event, info);
}

void TDataSet::AddDataSource(TDataSource* ds) {
    if (std::find(fDataSources.begin(), fDataSources.end(), ds) == fDataSources.end()) fDataSources.push_back(ds);
}
void TDataSet::RemoveDataSource(TDataSource* ds) {
    fDataSources.erase(std::remove(fDataSources.begin(), fDataSources.end(), ds), fDataSources.end());
}

// ---- TDataSource ---------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TDataSource, TComponent) {
    b.Property("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(1);
    b.Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
    b.Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(1);
    b.Event("OnDataChange", &TDataSource::OnDataChange);
    b.Event("OnStateChange", &TDataSource::OnStateChange);
    b.Event("OnUpdateData", &TDataSource::OnUpdateData);
}

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
    auto links = fLinks;
    for (auto* l : links) l->SetDataSource(nullptr);
    if (fDataSet) fDataSet->RemoveDataSource(this);
}

void TDataSource::SetDataSet(TDataSet* ds) {
    if (ds == fDataSet) return;
    if (fDataSet) {
        fDataSet->RemoveDataSource(this);
        fDataSet->RemoveFreeNotification(this);
    }
    fDataSet = ds;
    if (ds) {
        ds->AddDataSource(this);
        ds->FreeNotification(this);
    }
    NotifyLinks(deUpdateState, 0);
    NotifyLinks(deLayoutChange, 0);
}

void TDataSource::Notification(TComponent* c, TOperation op) {
    TComponent::Notification(c, op);
    if (op == opRemove && c == fDataSet) {
        fDataSet = nullptr;
        NotifyLinks(deUpdateState, 0);
    }
}

void TDataSource::SetEnabled(bool v) {
    fEnabled = v;
    NotifyLinks(deUpdateState, 0);
}

TDataSetState TDataSource::State() const { return fDataSet && fEnabled ? fDataSet->State() : dsInactive; }

void TDataSource::Edit() {
    if (fAutoEdit && fDataSet && fDataSet->State() == dsBrowse) fDataSet->Edit();
}

void TDataSource::AddLink(TDataLink* link) {
    if (std::find(fLinks.begin(), fLinks.end(), link) == fLinks.end()) fLinks.push_back(link);
}
void TDataSource::RemoveLink(TDataLink* link) { fLinks.erase(std::remove(fLinks.begin(), fLinks.end(), link), fLinks.end()); }

void TDataSource::NotifyLinks(TDataEvent event, intptr_t info) {
    if (event == deUpdateState && State() != fLastState) {
        fLastState = State();
        OnStateChange(this);
    }
    if (event == deUpdateRecord) OnUpdateData(this);
    auto links = fLinks;
    for (auto* l : links)
        if (std::find(fLinks.begin(), fLinks.end(), l) != fLinks.end()) l->DataEvent(event, info);
    if (event == deFieldChange) OnDataChange(this, reinterpret_cast<TField*>(info));
    else if (event == deRecordChange || event == deDataSetChange || event == deDataSetScroll || event == deLayoutChange)
        OnDataChange(this, nullptr);
}

// ---- Data links ----------------------------------------------------------------------------

TDataLink::TDataLink() = default;
TDataLink::~TDataLink() {
    if (fDataSource) fDataSource->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* ds) {
    if (ds == fDataSource) return;
    if (fDataSource) fDataSource->RemoveLink(this);
    fDataSource = ds;
    if (ds) ds->AddLink(this);
    UpdateState();
}

bool TDataLink::Active() const { return fDataSource && fDataSource->State() != dsInactive; }

void TDataLink::UpdateState() {
    bool active = Active();
    if (active != fActive) {
        fActive = active;
        ActiveChanged();
    }
    bool editing = active && (fDataSource->State() == dsEdit || fDataSource->State() == dsInsert) && !fReadOnly;
    if (editing != fEditing) {
        fEditing = editing;
        EditingChanged();
    }
}

bool TDataLink::Edit() {
    if (!fReadOnly && fDataSource) fDataSource->Edit();
    return fEditing;
}

void TDataLink::UpdateRecord() {
    fUpdating = true;
    struct Reset {
        bool& f;
        ~Reset() { f = false; }
    } reset{fUpdating};
    UpdateData();
}

void TDataLink::DataEvent(TDataEvent event, intptr_t info) {
    switch (event) {
        case deUpdateState: UpdateState(); break;
        case deFieldChange:
        case deRecordChange:
            if (fActive && !fUpdating) RecordChanged(reinterpret_cast<TField*>(info));
            break;
        case deDataSetChange:
            if (fActive) DataSetChanged();
            break;
        case deDataSetScroll:
            if (fActive) DataSetScrolled();
            break;
        case deLayoutChange:
            if (fActive) LayoutChanged();
            break;
        case deUpdateRecord:
            if (fActive) UpdateRecord();
            break;
        case deFocusControl:
            if (fActive) FocusControl(reinterpret_cast<TField*>(info));
            break;
        default: break;
    }
}

void TFieldDataLink::SetFieldName(const std::string& s) {
    if (s == fFieldName) return;
    fFieldName = s;
    UpdateField();
}

void TFieldDataLink::UpdateField() {
    fField = nullptr;
    if (fActive && !fFieldName.empty()) fField = DataSet()->FindField(fFieldName);
    RecordChanged(nullptr);
}

bool TFieldDataLink::CanModify() const { return !fReadOnly && fField && fField->CanModify(); }

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

void TFieldDataLink::ActiveChanged() {
    UpdateField();
    OnActiveChange(this);
}

void TFieldDataLink::EditingChanged() { OnEditingChange(this); }

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* field) {
    if (field && field != fField) return;
    OnDataChange(this);
    fModified = false;
}

void TFieldDataLink::UpdateData() {
    if (!fModified) return;
    if (fField) OnUpdateData(this);
    fModified = false;
}

void TFieldDataLink::FocusControl(TField*) {}

}  // namespace plat
