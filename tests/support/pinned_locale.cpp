// Without a Language setting the program follows the locale of messages;
// the suite runs in a Simplified Chinese one, whatever the machine's is, so
// that its expectations do not depend on where it runs.
#include "support/environment.h"

namespace {
const bool kPinned = (tq::testing::SetEnvironment("LC_ALL", "zh_CN.UTF-8"), true);
}  // namespace
