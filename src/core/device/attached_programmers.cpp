#include "core/device/attached_programmers.h"

#include "core/device/device_context.h"
#include "core/device/presence.h"

namespace tq {

std::vector<AttachedProgrammer> ListAttachedProgrammers(DeviceContext& device) {
    std::vector<AttachedProgrammer> programmers;
    for (const DeviceLink::DeviceDrive& drive : device.Link.DeviceDrives()) {
        AttachedProgrammer programmer{drive.root, drive.exchangeFile, false, {}, {}};
        DeviceContext probe(device.Link.volumes(), device.clock());
        probe.Link.SetTrace(device.Link.trace());
        probe.Link.Uart.ReadPath = drive.exchangeFile;
        probe.Link.Uart.WritePath = drive.exchangeFile;
        const ConnectResult result = IdentifyProgrammer(probe);
        programmer.answered = result == ConnectResult::Connected;
        if (result == ConnectResult::InUse) programmer.inUseBy = probe.Link.ClaimHolder();
        if (programmer.answered) programmer.identity = probe.DevInf;
        probe.Link.DeviceReset();  // closes the exchange file
        programmers.push_back(std::move(programmer));
    }
    return programmers;
}

}  // namespace tq
