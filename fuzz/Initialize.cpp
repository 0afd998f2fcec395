// Run once before the first input, in every fuzz target.
#include <fontconfig/fontconfig.h>
#include <sanitizer/lsan_interface.h>

// fontconfig loads its configuration once per process and never hands all of it back; loading it
// here, out of the leak checker's sight, keeps that from being taken for a leak of some input.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  __lsan_disable();
  FcInit();
  __lsan_enable();
  return 0;
}
