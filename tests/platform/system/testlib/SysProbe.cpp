// Entry points the library-loading tests call through GetProcAddress.
extern "C" __attribute__((visibility("default"))) int SysProbeAdd(int a, int b) { return a + b; }
extern "C" __attribute__((visibility("default"))) const char* SysProbeName() { return "SysProbe"; }
