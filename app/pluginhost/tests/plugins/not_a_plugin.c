/* A shared library without the plug-in entry. */
int NotAPluginEntry(void);
__attribute__((visibility("default"))) int NotAPluginEntry(void) { return 1; }
