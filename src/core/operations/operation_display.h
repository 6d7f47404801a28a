// What every chip operation shares: the tests made before a command is sent,
// the socket check, the indicator codes, status lines in panel 0, the
// progress pair pbDLChip1/labelCh1, the stop request and the guard that keeps
// two operations from running inside each other.
#pragma once

#include <cstdint>
#include "core/base/number_text.h"
#include <functional>
#include <string>

#include "core/device/commands.h"
#include "core/texts/language.h"
#include "core/texts/status_line.h"

namespace tq {

struct OperationContext;

// How a handler ended, for the front-ends (a CLI exit status, say). What a
// person sees has already been shown by the handler itself.
enum class OperationOutcome {
    Succeeded,
    Busy,             // another operation is running: nothing done, nothing shown
    NotConnected,     // the not-connected warning was shown
    NoChipSelected,   // nothing shown, nothing sent
    EmptySocket,      // the no-chip line was shown (blank check: nothing shown)
    Failed,           // the operation ran and its own display shows the failure
    NothingSelected,  // auto run with no step chosen; a line says so
    NoData,           // write, verify or auto with an empty buffer; a line says so, nothing sent
    DoesNotFit,       // the image reaches past the chip's end; a line says how far, nothing sent
    Declined,         // the person kept the buffer's unsaved edits: nothing read
    Stopped,          // the person stopped it; its line says how far it got
};

// Reads one text of the current language file: (section, key, fallback).
// The dialogs that label themselves from the language file take one.
using LanguageTextLookup = std::function<std::string(const std::string&, const std::string&, const std::string&)>;

// Result codes of the chip routines.
inline constexpr int kOpSuccess = 0;
inline constexpr int kOpStopped = 0x55;  // the user's stop request ended it
inline constexpr int kOpFailed = 0xFF;   // (255) failed: timeout, mismatch, stop inside WriteOnChannel
// A transfer to or from the drive failed (link dropped, nothing moved).
inline constexpr int kOpTransferFailed = 0xFE;
// The chip left the socket while the operation ran (its line is shown).
inline constexpr int kOpChipRemoved = 0xFD;

// What a routine was doing when it ended early, for the line that says so.
enum class ChipWork { Erase, BlankCheck, Write, Read, Verify };

// The outcome a front-end gets for a routine's result code.
OperationOutcome OutcomeOfResult(int result);

// Waits like Clock::Wait10us but returns as soon as a stop is requested
// (true then; the request stays raised for the caller to take).
bool WaitUnlessStopped(OperationContext& operation, uint32_t wait10us);
// Takes a raised stop request: true when the person asked to stop.
bool TakeStopRequest(OperationContext& operation);

// A stopped operation: panel 0 says how far it got and what that leaves,
// the bar shows its stopped state. Returns kOpStopped.
int ShowStopped(OperationContext& operation, ChipWork work, uint32_t done, uint32_t total);
// After a stream ended: asks whether the chip is still in the socket. When
// it is not, says so (bar in error) and returns false.
bool ChipStayedInSocket(OperationContext& operation);

// Before anything goes to the chip: an erase the host stopped waiting for
// may still run. Polls until it ends, showing so; Stopped when the person
// stops the wait, Failed when it does not end in time or the link is lost
// (either said), Succeeded when the chip may be used.
OperationOutcome AwaitRunningErase(OperationContext& operation);

// Claims the session for one operation; refused while another holds it.
// Releasing also drops a stop request nobody acted on, so a stale request
// never ends the next operation.
class OperationScope {
public:
    explicit OperationScope(OperationContext& operation);
    ~OperationScope();
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;
    bool claimed() const { return claimed_; }

private:
    OperationContext& operation_;
    bool claimed_;
};

// Milliseconds since a TickCount reading (wrap-safe).
uint32_t ElapsedSince(OperationContext& operation, uint32_t startTick);

// "hh:mm:ss " + text + seconds + LogOperatTime, and the speed of a byte
// transfer that just ended.
std::string TimedStatusLine(OperationContext& operation, const std::string& text, uint32_t milliseconds);
// Puts a line into status panel 0.
void ShowStatus(OperationContext& operation, const std::string& line);

// The modal warning shown when no programmer is connected.
void ShowNotConnected(OperationContext& operation);
// True when a programmer is connected; otherwise shows that warning.
bool RequireConnected(OperationContext& operation);
enum class SocketCheck {
    ChipPresent = 0,
    NoChip = 255,  // the operation must end; the no-chip line has been shown
};
// Asks the programmer whether socket 1 holds a chip.
SocketCheck CheckSocket(OperationContext& operation);
// BlockSize of 16 or more means a chip has been selected.
bool ChipSelected(const OperationContext& operation);
// Sends an indicator code (command 0x20); the answer is not looked at.
void Indicate(OperationContext& operation, IndicatorCode code);

// labelCh1 and pbDLChip1 at the start of a transfer: bar normal, label in
// the window-text colour showing "0%".
void ResetProgressLabel(OperationContext& operation);
// Bar position plus "N%" in labelCh1, and the time left once there is
// enough progress to judge it. The position shown never passes the
// maximum (a padded last block moves further than the bytes it carries).
void ShowProgress(OperationContext& operation, uint32_t position, uint32_t maximum);
// Bar in error state, labelCh1 red with the given text ("ERROR" or "Error").
void ShowProgressFailure(OperationContext& operation, const std::string& label);
// Bar in its stopped state, labelCh1 saying so.
void ShowProgressStopped(OperationContext& operation);

// The Stop button: raises the stop request of the running operation.
// Returns false (and raises nothing) when no operation runs.
bool RequestStop(OperationContext& operation);

}  // namespace tq
