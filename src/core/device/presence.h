// Connecting to a programmer whose drive has appeared: mark the link
// connected and read its identity (firmware, hardware, serial, model).
#pragma once

namespace tq {

class DeviceContext;

enum class ConnectResult {
    Connected,
    NotFound,
    NoAnswer,
    InUse,  // another process or session has claimed it (Link.ClaimHolder() says which); nothing sent
};

// Finds the drive and identifies the programmer. NoAnswer resets the link
// (an identity command went unanswered); the identity texts then keep their
// previous values.
ConnectResult ConnectProgrammer(DeviceContext& device);

// The identity part alone, for a drive already found: claims the
// programmer, sets Connected, reads 0x10 (asking again when its text starts
// with 0xFF), 0x11, 0x12, 0x13 and makes the model the default model.
// NoAnswer, with the link reset and the identity untouched, when any of them
// is unanswered; InUse, with the link reset, when the claim is refused.
ConnectResult IdentifyProgrammer(DeviceContext& device);

}  // namespace tq
