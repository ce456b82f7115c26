#pragma once

#include "platform/ZQSnapshot.h"

#include <cstdint>
#include <map>
#include <string>

// The built game run as a player runs it, in a process of its own, and what
// it leaves behind: shared by the start-up, install, window and crash tests.

struct GameRun {
    int status = -1;    // exit status; -1 when it did not exit normally
    std::string output; // standard output and error together
};

// Runs `command` through sh, its standard output and error together.
GameRun runShell(const std::string& command);

// The build's game with `arguments` (shell words), in this process's
// environment.
GameRun runGame(const std::string& arguments);

// Reads a PNG as 8-bit RGBA, rows from the top.
bool readPng(const std::string& path, ZQImage& out);

// The first line of the game's `output` that tells of a resource of the
// bundle it could not read (texture, model, sound, music), or an empty
// string when there is none.
std::string missingResourceLine(const std::string& output);

// The counts the game prints with --report-input, in its order: began,
// moved, ended, cancelled, taps, double taps, swipes. False when `output`
// has no such line.
struct InputReport {
    long began = 0;
    long moved = 0;
    long ended = 0;
    long cancelled = 0;
    long taps = 0;
    long doubleTaps = 0;
    long swipes = 0;
};
bool readInputReport(const std::string& output, InputReport& report);

// Each change of the game flow's state that the game printed with
// --print-states ("state S NAME at frame F"): frame F -> state S. A line
// whose name is not its number's is not read.
std::map<long, int32_t> readStateTrail(const std::string& output);
