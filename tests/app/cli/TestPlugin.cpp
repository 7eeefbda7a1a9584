// A plugin for the loader's tests: one exported function with a known answer.

extern "C" __attribute__((visibility("default"))) int dtusms_test_plugin_answer() {
    return 42;
}
