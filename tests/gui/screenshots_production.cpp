// The production view in the three languages: three simulated programmers
// after one run, the middle one pulled mid-write, and the log below.
#include "production_rig.h"
#include "screenshot_set.h"
#include "sim/sim_programmer.h"

namespace tq::testing {
namespace {

bool ProductionShots(const QDir& dir) {
    bool ok = true;
    for (int language = 0; language < 3; ++language) {
        ProductionRig line;
        if (!line.Start(language)) return false;
        line.sims->programmer(1).faults.removeAfterTransfers = 80;
        if (!line.RunAll()) return false;
        ok &= SaveShot(*line.view, dir, QString("ProductionView-") + kLanguageCodes[language]);
    }
    return ok;
}

TQ_SCREENSHOTS(ProductionShots);

}  // namespace
}  // namespace tq::testing
