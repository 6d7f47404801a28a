// The claim on a programmer whose exchange file lies on a real disk: an
// exclusive flock on the exchange file itself (on Windows a range lock past
// its end), so it needs no file of its
// own on the programmer's tiny volume and ends with the process, however
// the process ends. Two sessions in one process conflict as two processes
// do, because each takes its lock through its own open file.
#pragma once

#include <memory>
#include <string>

#include "core/platform/volumes.h"

namespace tq {

// Null with `holder` set ("1234 (tqprog-cli)": process id and name; empty
// when the holder cannot be seen) when the file is locked already. A file
// that cannot be opened is granted without a lock: opening it for the
// transfers fails and says why.
std::unique_ptr<DeviceClaim> ClaimExchangeFileOnDisk(const std::string& path, std::string& holder);

#ifndef _WIN32
// The process holding a flock on the file with this device and inode, as
// /proc/locks lists it; 0 when none is listed or it is not visible here.
long FlockHolder(unsigned long deviceMajor, unsigned long deviceMinor, unsigned long inode);
#endif

}  // namespace tq
