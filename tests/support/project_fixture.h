// A session on the simulated programmer with the virtual clock, connected,
// with a fresh program folder holding the built chip database and recording views, for the offline project.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/chipdb/chip_database.h"
#include "core/platform/clock.h"
#include "core/device/presence.h"
#include "core/project/project_download.h"
#include "core/project/project_editor.h"
#include "core/app/session.h"
#include "sim/sim_programmer.h"
#include "support/program_folder.h"
#include "support/recording_views.h"

namespace tq::testing {

// Writes a binary file into a folder and returns its path.
inline std::filesystem::path WriteBinary(const ProgramFolder& folder, const std::string& name,
                                         const std::vector<uint8_t>& bytes) {
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return folder / name;
}

// Bytes that differ from block to block, so a misplaced block shows.
inline std::vector<uint8_t> PatternBytes(size_t count) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return bytes;
}

class RecordingLog final : public ProjectLogView {
public:
    struct Line {
        std::string text;
        LogColour colour;
    };
    std::vector<Line> lines;
    int clears = 0;
    void Clear() override {
        lines.clear();
        ++clears;
    }
    void AppendLine(const std::string& text, LogColour colour) override { lines.push_back({text, colour}); }
};

// sbPrj: every text of every panel, in order.
class RecordingPanels final : public StatusBarView {
public:
    std::vector<std::string> panel0, panel1;
    void SetPanelText(int panel, const std::string& text) override {
        (panel == 0 ? panel0 : panel1).push_back(text);
    }
};

class ScriptedFileDialog final : public FileDialogView {
public:
    std::string answer;  // empty = cancelled
    std::vector<std::vector<FileFilter>> filtersSeen;
    std::string ChooseOpenFile(const std::string&, const std::vector<FileFilter>& filters, const std::string&,
                               const std::string&) override {
        filtersSeen.push_back(filters);
        return answer;
    }
    std::string ChooseSaveFile(const std::string&, const std::vector<FileFilter>&, const std::string&,
                               const std::string&) override {
        return {};
    }
};

struct ProjectSession {
    ProgramFolder folder;
    VirtualClock clock;
    SimProgrammer sim{clock};
    Session session{sim.volumes(), clock, folder.path()};
    RecordingMessages messages;
    RecordingTrace trace;
    RecordingPanels sbPrj;
    RecordingProgress bar;
    ScriptedFileDialog fileDialog;
    ProjectDialogViews views{sbPrj, bar, messages};

    ProjectSession() {
        folder.CopyFromBin("login.dat");
        session.Chip.Database = ChipDatabase::Open(folder / "login.dat");
        session.Views.messages = &messages;
        session.Views.fileDialog = &fileDialog;
        session.Device.Link.SetTrace(&trace);
        EXPECT_EQ(ConnectProgrammer(session.Device), ConnectResult::Connected);
        trace.lines.clear();
    }

    // The bulk blocks the link moved, as "> 2048" (sent) and "< 1024" (read).
    std::vector<std::string> Blocks() const {
        std::vector<std::string> blocks;
        for (const std::string& line : trace.lines) {
            const size_t at = line.find("[block of ");
            if (at != std::string::npos) blocks.push_back(line.substr(0, 1) + " " + std::to_string(std::stoul(line.substr(at + 10))));
        }
        return blocks;
    }
};

}  // namespace tq::testing
