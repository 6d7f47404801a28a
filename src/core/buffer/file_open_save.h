// Loading a data file into the buffer and saving the buffer to a file, each
// in the format the file's extension names (image_formats.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/buffer/buffer_texts.h"
#include "core/buffer/caption_view.h"
#include "core/buffer/chip_buffer.h"
#include "core/buffer/image_formats.h"
#include "core/buffer/buffer_context.h"

namespace tq {

// The program folder's temp folder, where the open dialog starts after a cancel.
std::filesystem::path TempFolder(const BufferContext& buffer);

// What is left out of a file of `total` bytes when only `kept` fit the chip
// from `start`: how many bytes from which address of the file.
std::string FileCutText(int32_t language, const std::string& path, uint64_t total, uint32_t start, uint32_t kept,
                        uint64_t firstLeftOut);

// How a file arrives in the buffer: the open command and the import differ
// in the start address; the command line says itself what does not fit.
struct LoadOptions {
    uint32_t ramStartAddr = 0;
    bool reportOverCapacity = true;  // a warning says what of a longer-than-chip file is left out
    // An import can be undone; an opened file starts the buffer's history afresh.
    bool undoable = false;
};

// Reads the chosen file in the format its extension names, puts as much of
// its image as fits the chip from the start address into the buffer from
// offset 0 and shows it from the top: DataLen, RamStartAddr, FileName,
// FileOpened, FileCheckSum, Holding (how much of the file is kept), the
// checksum text and the caption (on `caption`, else the buffer's own) change
// only when everything was read. False with `error` naming the file that
// failed, or the start address when it lies at or past the chip's end; the
// buffer is then untouched.
bool LoadIntoBuffer(BufferContext& buffer, const std::string& chosenPath, const LoadOptions& options,
                    CaptionView* caption, std::string& error);

// The open command's loading without any dialog, for scripted use.
bool LoadDataFile(BufferContext& buffer, const std::string& path, std::string& error);

// Open: asks before unsaved edits are lost, runs the open dialog and loads
// the chosen file; errors go to the message view.
void ChooseAndOpenFile(BufferContext& buffer, CaptionView& caption, const TextLookup& texts);

// What open does with a chosen file (also a file named on the command line):
// loads it with the caption, remembers it in the open dialog, reports errors.
bool OpenDataFile(BufferContext& buffer, CaptionView& caption, const std::string& path);

// The path a save writes: ".bin" appended when the path holds no "." at all.
std::string SavePath(const std::string& chosenPath);

// Writes bytes 0 to DataLen - 1 of the buffer to `path` in the format its
// extension names, replacing the file whole. False with `error` naming the file on failure.
bool SaveBufferFile(const BufferContext& buffer, const std::filesystem::path& path, std::string& error);

// Save: runs the save dialog and writes the buffer; errors go to the message
// view. True when the buffer was written; the buffer then holds the saved
// file, and the caption names it.
bool SaveBufferAs(BufferContext& buffer);

}  // namespace tq
