// Choosing the chip to work on: the chip selection frame's three cascading
// lists (type, maker, name) and the name change handler every way of
// selecting a chip ends in. It copies the chip's row into PrjInfo, shows the
// chip's size and voltage, switches the socket picture, gives the buffer the
// chip's size when the chip changed and tells a connected programmer
// (command 0x39).
//
// The handlers a person reaches (choosing or typing in a list, selecting by
// name) refuse to run while a chip operation runs: the operation still works
// on the chip's buffer and parameters. They return false then and show the
// lists as they were.
#pragma once

#include <string>
#include <vector>

#include "core/app/chip_frame_view.h"

namespace tq {

class ChipDatabase;
class Session;
struct OperationContext;
struct WindowState;

// What choosing a chip works on: the chip, its buffer, the link told of the
// choice and the busy state (all in the operation context), the frame's
// lists and the frame's view. A session converts to its own frame.
struct ChipFrameContext {
    OperationContext& Operation;
    WindowState& Window;
    ChipFrameView& View;

    ChipFrameContext(OperationContext& operation, WindowState& window, ChipFrameView& view)
        : Operation(operation), Window(window), View(view) {}
    ChipFrameContext(Session& session);  // NOLINT(google-explicit-constructor): every handler's caller holds one
};

// The change handlers, each working on its list's current text.
bool ChooseChipType(const ChipFrameContext& frame);
bool ChooseMaker(const ChipFrameContext& frame);
bool ChooseChipName(const ChipFrameContext& frame);

// A person picks item `index` of a list, or types `text` into it; the list's
// change handler runs with the new text (a typed chip name: TypeChipName).
bool ChooseListItem(const ChipFrameContext& frame, ChipList list, int index);
bool TypeListText(const ChipFrameContext& frame, ChipList list, const std::string& text);

// Selects a chip by its name as the frame would after a search: the lists
// follow as far as they hold the chip's type, maker and name, then the name
// change handler runs with the name as stored. False (nothing changed) when
// no chip has that name or an operation runs.
bool SelectChipByName(const ChipFrameContext& frame, const std::string& name);

// A name typed into the name list (TypeListText for ChipList::Name): a name
// the database holds, in any letter case, selects that chip as
// SelectChipByName does; any other name is refused with a warning that names
// the chip that stays selected, and the lists show what they held. False
// when refused or while an operation runs.
bool TypeChipName(const ChipFrameContext& frame, const std::string& text);

// Puts a chip into the frame (search and detection): finds the type, fills
// and searches the maker list, fills and searches the name list, then runs
// the name change handler. Stops at the first list that lacks the text,
// leaving that list without selection; false then.
bool SelectChipInFrame(const ChipFrameContext& frame, const std::string& type, const std::string& manufacturer,
                       const std::string& name);

// The chip table changed (a user chip added, changed or deleted): the maker
// and name lists of the current type are filled again and keep the maker and
// chip they showed where those still exist. No chip is selected anew, so the
// buffer and the programmer are left alone.
void RefreshChipLists(const ChipFrameContext& frame);

// --- Steps the other parts of the program compose (no operation check). ---

// Tells a connected programmer which chip to drive (command 0x39), when a
// chip is chosen: on every choice, and again once a programmer connects.
void SendChipSelection(const ChipFrameContext& frame);

// The chip selection's buffer replacement: a new 0xFF buffer of `capacity`
// bytes, its checksum, and the auto-run counters back to 0. Does nothing while
// the chip frame sits in the offline project dialog.
void NewChipBuffer(const ChipFrameContext& frame, uint32_t capacity);

// Replaces the type list's items; nothing is selected and no handler runs.
void FillTypeList(const ChipFrameContext& frame, const std::vector<std::string>& types);
// Selects the item whose text equals `text`, or nothing; no handler runs.
bool FindListItem(const ChipFrameContext& frame, ChipList list, const std::string& text);
// Fills the maker list for a type, in the order the database returns.
void FillManufacturerList(const ChipFrameContext& frame, const std::string& type);
// Fills the name list for a type and maker, by capacity (or unsorted, as
// start-up does).
void FillNameList(const ChipFrameContext& frame, const std::string& type, const std::string& manufacturer, bool byCapacity = true);
// SelectChipByName's steps for a row of the database.
void PutNamedChip(const ChipFrameContext& frame, const ChipRow& row);
// SelectChipInFrame's steps, for a caller that has already claimed the frame.
bool PutChipInFrame(const ChipFrameContext& frame, const std::string& type, const std::string& manufacturer,
                    const std::string& name);
// The type change handler's steps: the frame's detect button, the makers of
// the type, the first maker's chips by capacity, the first chip selected.
void ApplyChipType(const ChipFrameContext& frame);
// The name change handler's steps for the name list's current text.
void ApplyChipName(const ChipFrameContext& frame);

// Start-up: brings back the chip last selected (PrjInfo.ChipName) through
// the frame, as a new chip, so its buffer is created.
enum class ChipRestore {
    Restored,
    NoRow,                // no chip of that name: the lists stay as they are
    TypeNotListed,        // the lists stopped here without selection
    ManufacturerNotListed,
    NameNotListed,
};
ChipRestore RestoreLastChip(const ChipFrameContext& frame);

}  // namespace tq
