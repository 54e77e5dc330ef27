// The loadable server module: the class file registers "ReportCounterS.dmReportCounter" with this
// library and its entry CreateReportCounter. The object serves the installation the registry
// names and administers it, as only a process with access to that installation can load it.
#include "platform/core/Automation.h"
#include "server/dmReportCounter.h"

extern "C" __attribute__((visibility("default"))) plat::TAutoObject* CreateReportCounter() {
    return new rcs::TdmReportCounter(rcs::InProcessServerContext(), true);
}
