// Sanitizer builds only. OpenImageIO 2.4's PNG reader reports a file cut short through
// libpng's error jump, which skips the destructor of a string it has just built: a leak
// inside the library on that error path, which the tool cannot free. Its stack runs
// through libraries built without frame pointers, so it is taken the slow way to be seen.
extern "C" [[gnu::visibility("default")]] const char* __asan_default_options() {
  return "fast_unwind_on_malloc=0";
}
extern "C" [[gnu::visibility("default")]] const char* __lsan_default_options() {
  return "print_suppressions=0";
}
extern "C" [[gnu::visibility("default")]] const char* __lsan_default_suppressions() {
  return "leak:PNGInput::PngReadCallback\n";
}
