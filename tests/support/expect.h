// The suite's assertions for what a person sees: texts that must hold a
// phrase, status lines, message boxes, command-line runs and frames. Each
// prints what was expected next to what came, so a failure reads without a
// debugger.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/run_cli.h"

namespace tq::testing {

// EXPECT_SAYS(run.err, "Connected") — the text holds the phrase.
#define EXPECT_SAYS(text, phrase) EXPECT_THAT((text), ::testing::HasSubstr(phrase))
#define ASSERT_SAYS(text, phrase) ASSERT_THAT((text), ::testing::HasSubstr(phrase))
// EXPECT_NOT_SAYS(run.out, "Firmware version") — the phrase is nowhere in it.
#define EXPECT_NOT_SAYS(text, phrase) EXPECT_THAT((text), ::testing::Not(::testing::HasSubstr(phrase)))

// One of the lines (status panel history, messages, log) holds the phrase.
inline ::testing::Matcher<const std::vector<std::string>&> HasLineSaying(const std::string& phrase) {
    return ::testing::Contains(::testing::HasSubstr(phrase));
}

// A command-line run ended with `status`; a mismatch prints both streams.
MATCHER_P(ExitedWith, status, "exited with status " + ::testing::PrintToString(status)) {
    if (arg.status == status) return true;
    *result_listener << "it exited with " << arg.status << "\nstdout:\n" << arg.out << "\nstderr:\n" << arg.err;
    return false;
}

// The trace (RecordingTrace::lines, or --trace output split in lines) shows
// a frame sent with the command code: "> 02 39 ...".
MATCHER_P(SentCommand, code, "sent command " + ::testing::PrintToString(static_cast<unsigned>(code))) {
    char needle[16];
    std::snprintf(needle, sizeof needle, "> 02 %02X ", static_cast<unsigned>(code));
    for (const std::string& line : arg)
        if (line.rfind(needle, 0) == 0) return true;
    *result_listener << "the trace holds " << arg.size() << " lines, none with " << needle;
    return false;
}

}  // namespace tq::testing
