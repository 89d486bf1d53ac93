// Compiled with one target's include path and PROBE_HEADER set to a header that target may or
// may not reach; the layering tests build it and read the compiler's verdict.
#include PROBE_HEADER

int main() {
  return 0;
}
