#pragma once
// The client data set: a data set whose records come from a provider of the application server.
// Open asks the connection's server object for the provider's records with one late-bound call,
// ProviderRead(provider name) -> [field names, records] (docs/server.md), so a handed in-process
// object and a remote one serve it alike. The records then live on the client: navigation,
// indexes, FindKey and Edit/Post work locally and never reach the server; Close and Open read
// the provider again.
#include <string>
#include <vector>

#include "platform/net/SConnect.h"
#include "platform/widgets/DB.h"

namespace plat {

class TClientDataSet : public TDataSet {
    PLAT_CLASS(TClientDataSet)
    explicit TClientDataSet(TComponent* owner);
    ~TClientDataSet() override;

    TSocketConnection* RemoteServer() const { return fRemoteServer; }
    void SetRemoteServer(TSocketConnection* server);
    const std::string& ProviderName() const { return fProviderName; }
    void SetProviderName(const std::string& name);
    bool ReadDefinedProperty(const std::string& name, const TDfmValue& value) override;

protected:
    // Without a remote server and provider the data set keeps its own FieldDefs (an in-memory
    // table); with them, the provider's answer makes the definitions and the records.
    void InternalInitFieldDefs() override;
    void InternalLoadRecords() override;
    void Notification(TComponent* c, TOperation op) override;

private:
    TSocketConnection* fRemoteServer = nullptr;
    std::string fProviderName;
    std::vector<std::vector<Variant>> fPacket;  // the provider's records until they are loaded
};

class TwwClientDataSet : public TClientDataSet {
    PLAT_CLASS(TwwClientDataSet)
    explicit TwwClientDataSet(TComponent* owner) : TClientDataSet(owner) {}
};

}  // namespace plat
