// Compiled by the boundary checks only: outside src/platform this include must not resolve.
#include <gst/gst.h>

int main() { return GST_VERSION_MAJOR > 0 ? 0 : 1; }
