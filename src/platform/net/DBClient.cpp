#include "platform/net/DBClient.h"

#include "platform/core/SysUtils.h"
#include "platform/forms/DfmReader.h"

namespace plat {

namespace {

// The field type a provider column's values ask for: the first value that is not null decides;
// a column of nulls is text.
TFieldType ColumnType(const std::vector<std::vector<Variant>>& rows, size_t column) {
    for (const auto& r : rows) {
        if (column >= r.size()) continue;
        const Variant& v = r[column];
        if (v.IsNull() || v.IsEmpty()) continue;
        switch (v.VarType()) {
            case varSmallint:
            case varByte:
            case varInteger: return ftInteger;
            case varDouble: return ftFloat;
            case varDate: return ftDateTime;
            case varBoolean: return ftBoolean;
            case varString:
            case varOleStr: return ftString;
            default: return ftUnknown;
        }
    }
    return ftString;
}

// The elements of a one-dimensional array in order.
std::vector<Variant> Elements(const Variant& a) {
    std::vector<Variant> out;
    const int low = a.LowBound(1), count = a.ElementCount(1);
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) out.push_back(a[low + i]);
    return out;
}

bool IsList(const Variant& v) { return v.IsArray() && v.DimCount() == 1; }

}  // namespace

PLAT_REGISTER_CLASS(TClientDataSet, TDataSet) {
    b.Property("ProviderName", &TClientDataSet::ProviderName, &TClientDataSet::SetProviderName);
    b.Property("RemoteServer", &TClientDataSet::RemoteServer, &TClientDataSet::SetRemoteServer);
}

PLAT_REGISTER_CLASS(TwwClientDataSet, TClientDataSet) {}

TClientDataSet::TClientDataSet(TComponent* owner) : TDataSet(owner) {}
TClientDataSet::~TClientDataSet() = default;

void TClientDataSet::SetRemoteServer(TSocketConnection* server) {
    if (server == fRemoteServer) return;
    if (!IsLoading()) CheckInactive();
    if (fRemoteServer) fRemoteServer->RemoveFreeNotification(this);
    fRemoteServer = server;
    if (fRemoteServer) fRemoteServer->FreeNotification(this);
}

void TClientDataSet::SetProviderName(const std::string& name) {
    if (name == fProviderName) return;
    if (!IsLoading()) CheckInactive();
    fProviderName = name;
}

void TClientDataSet::Notification(TComponent* c, TOperation op) {
    TDataSet::Notification(c, op);
    if (op == opRemove && c == fRemoteServer) fRemoteServer = nullptr;
}

bool TClientDataSet::ReadDefinedProperty(const std::string& name, const TDfmValue& value) {
    // The place on the design surface, which non-visual components carry in descriptions.
    if (value.Kind == TDfmValueKind::Integer && (SameText(name, "Left") || SameText(name, "Top"))) return true;
    return TDataSet::ReadDefinedProperty(name, value);
}

void TClientDataSet::InternalInitFieldDefs() {
    fPacket.clear();
    if (!fRemoteServer && fProviderName.empty()) return;
    if (!fRemoteServer)
        throw EDatabaseError(Name() + ": no remote server to read the provider \"" + fProviderName + "\" from");
    if (fProviderName.empty())
        throw EDatabaseError(Name() + ": no provider name; set ProviderName to a provider of " + fRemoteServer->Name());
    TAutoObjectPtr server = fRemoteServer->GetServer();
    const Variant packet = server->Call("ProviderRead", {Variant(fProviderName)});
    const std::string bad = Name() + ": the provider \"" + fProviderName + "\" answered no data packet ";
    if (!IsList(packet) || packet.ElementCount(1) != 2)
        throw EDatabaseError(bad + "(expected [field names, records])");
    const Variant names = packet[packet.LowBound(1)];
    const Variant records = packet[packet.LowBound(1) + 1];
    if (!IsList(names) || !IsList(records)) throw EDatabaseError(bad + "(field names and records must be arrays)");
    std::vector<std::string> fieldNames;
    for (const Variant& n : Elements(names)) {
        if (!n.IsText() || n.AsString().empty()) throw EDatabaseError(bad + "(a field name is not a text)");
        fieldNames.push_back(n.AsString());
    }
    for (const Variant& r : Elements(records)) {
        if (!IsList(r)) throw EDatabaseError(bad + "(a record is not an array)");
        if (r.ElementCount(1) != static_cast<int>(fieldNames.size()))
            throw EDatabaseError(bad + "(a record has " + std::to_string(r.ElementCount(1)) + " values for " +
                                 std::to_string(fieldNames.size()) + " fields)");
        fPacket.push_back(Elements(r));
    }
    FieldDefs()->Clear();
    for (size_t i = 0; i < fieldNames.size(); ++i) {
        const TFieldType type = ColumnType(fPacket, i);
        if (type == ftUnknown)
            throw EDatabaseError(bad + "(field " + fieldNames[i] + " holds values no field can keep)");
        FieldDefs()->Add(fieldNames[i], type);
    }
}

void TClientDataSet::InternalLoadRecords() {
    auto packet = std::move(fPacket);
    fPacket.clear();
    for (auto& r : packet) AppendRecord(std::move(r));
}

}  // namespace plat
