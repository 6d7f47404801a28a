// Answer frames: the command wrappers fed arbitrary answers through a
// scripted drive. Input: chunks of one selector byte (which command; high
// bit: no answer) and up to 512 answer bytes. Each result is checked
// against the answer's fields, and every frame sent must carry its CRC.
#include <cstring>

#include "core/device/commands.h"
#include "core/platform/clock.h"
#include "fuzz_support.h"
#include "support/fake_volumes.h"

using namespace tq::fuzz;

namespace {

// The protocol's number of a command result.
int Code(tq::CommandResult result) { return static_cast<int>(result); }
struct NullTrace final : tq::TraceView {
    void Trace(const std::string&) override {}
};

// CRC-16/MODBUS written out again, so a sealing fault cannot hide behind the engine's own routine.
uint16_t Crc(const uint8_t* bytes, size_t count) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = crc & 1 ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

// The text a query answer carries: up to `maximum` data bytes, ending at a zero.
std::string AnswerText(const std::vector<uint8_t>& a, size_t maximum) {
    const size_t length = std::min<size_t>({size_t{a[4]} << 8 | a[5], maximum, 506});
    const char* text = reinterpret_cast<const char*>(a.data() + 6);
    return std::string(text, strnlen(text, length));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tq::testing::FakeVolumes volumes;
    volumes.volumes = {tq::testing::ProgrammerVolume()};
    tq::VirtualClock clock;
    NullTrace trace;
    tq::DeviceLink link(volumes, clock);
    for (size_t at = 0; at < size; at += 513) {
        // The trace reads the answer's length field too; formatting every
        // byte of every frame would cost more than the rest, so only the
        // first exchange of an input is traced.
        link.SetTrace(at == 0 ? &trace : nullptr);
        const uint8_t selector = data[at];
        const bool answered = !(selector & 0x80);
        std::vector<uint8_t> a(512, 0);
        std::memcpy(a.data(), data + at + 1, std::min<size_t>(512, size - at - 1));
        volumes.drive.answers.clear();
        if (answered) volumes.drive.answers.push_back(a);
        if (!link.Uart.Connected) {
            Check(link.FindDeviceDrive(), "the scripted drive is found");
            link.Uart.Connected = 1;
        }
        const uint16_t length = static_cast<uint16_t>(a[4] << 8 | a[5]);
        std::string text = "untouched";
        uint32_t id = 0;
        uint8_t one = 0, two = 0;
        switch (selector % 8) {
            case 0:
            case 1: {
                const size_t maximum = selector % 8 == 0 ? 16 : 64;
                const int result = selector % 8 == 0 ? Code(tq::GetFwVersion(link, text)) : Code(tq::GetHwVersion(link, text));
                Check(result == (answered ? 0 : 1), "a text query succeeds exactly when answered");
                Check(text == (answered ? AnswerText(a, maximum) : "untouched"), "the text is the answer's");
                break;
            }
            case 2: {
                const int result = Code(tq::ReadChipId(link, id, one, two));
                Check(result == (!answered ? 1 : length == 6 ? 0 : 3), "chip ID result follows the answer's length");
                if (result == 0)
                    Check(id == (uint32_t{a[6]} << 24 | uint32_t{a[7]} << 16 | uint32_t{a[8]} << 8 | a[9]) &&
                              one == a[10] && two == a[11],
                          "chip ID fields are the answer's");
                break;
            }
            case 3: {
                const int result = Code(tq::SendErase(link, 1, static_cast<tq::ChipType>(selector), 1));
                Check(result == (!answered ? 0xFF : length != 1 ? 3 : a[6] == 0x55 ? 0 : 1), "erase result follows the answer");
                break;
            }
            case 4:
                Check(Code(tq::BlankCheck(link, 1, static_cast<tq::ChipType>(selector), 0, 0x100)) == (answered && a[1] == 0 ? 0 : 5),
                      "blank only when answered with status 0");
                break;
            case 5: {
                const int result = Code(tq::ChipPresence(link, static_cast<tq::ChipType>(selector), one, two));
                Check(result == (!answered ? 5 : length == 2 ? 0 : 6), "presence result follows the answer's length");
                if (result == 0) Check(one == a[6] && two == a[7], "socket states are the answer's");
                break;
            }
            case 6: Check(Code(tq::SetLanguage(link, selector)) == (answered ? 0 : 1), "set language answered or not"); break;
            default: Check(Code(tq::EnterBoot(link)) == (answered ? 0 : 0xFF), "enter boot answered or not"); break;
        }
        Check(link.Uart.Connected == (answered ? 1 : 0), "a missing answer drops the link, an answer keeps it");
    }
    for (const std::vector<uint8_t>& frame : volumes.drive.writes) {
        if (frame.size() < 8 || frame[0] != 0x02) continue;  // the first write extends the exchange file
        const size_t n = size_t{frame[4]} << 8 | frame[5];
        Check(n + 8 <= frame.size(), "the frame fits its transfer");
        const uint16_t crc = Crc(frame.data() + 1, n + 5);
        Check(frame[n + 6] == crc >> 8 && frame[n + 7] == (crc & 0xFF), "every frame sent carries its CRC");
    }
    return 0;
}
