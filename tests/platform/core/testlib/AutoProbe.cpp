// An automation class living in a loadable library, created through the installation's class file.
#include "platform/core/Automation.h"

namespace {

class TAutoProbe : public plat::TDispatchObject {
public:
    TAutoProbe() {
        // Twice(ByRef value): doubles the caller's value and answers where it runs.
        RegisterMethod("Twice", [](plat::TAutoArgs& a) {
            a.Out(0) = a[0].AsInteger() * 2;
            return plat::Variant("AutoProbe");
        });
    }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) plat::TAutoObject* CreateAutoProbe() { return new TAutoProbe; }
