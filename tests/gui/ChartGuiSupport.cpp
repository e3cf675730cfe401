// Fontconfig keeps a cache of its own for the life of the process, which the leak checker of
// the sanitizer build reports at exit; it is not the program's to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
