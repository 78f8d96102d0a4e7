// The test binary never writes the user's audit journal: without a
// KDV578_AUDIT of the caller's, the journal is off for it and every
// program it starts.
#include <cstdlib>

namespace {

const bool kAuditOff = ::setenv("KDV578_AUDIT", "off", 0) == 0;

}  // namespace
