// The volumes of the machine this runs on (Linux mount table or Windows
// drive letters), with the exchange file opened unbuffered.
#pragma once

#include <memory>

#include "core/platform/volumes.h"

namespace tq {

std::unique_ptr<Volumes> MakeSystemVolumes();

}  // namespace tq
