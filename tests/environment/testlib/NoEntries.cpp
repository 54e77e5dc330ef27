// A loadable library that exports none of the entry points the environment looks up, loaded under
// the names of the conversion and web service libraries to show what a wrong library gives.
extern "C" __attribute__((visibility("default"))) int EnvTestNoEntries() { return 0; }
