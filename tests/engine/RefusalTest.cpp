#include "engine/Refusal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>
#include <string>

// A mend's command in a box is wrapped to the box's width, and copied whole
// from there: wrapped at a space, `cmake --install 'B' --prefix 'P'` ran as
// `cmake --install 'B'`, into the default prefix.

namespace {

// What sh makes of `words` as the arguments of printf: each word between bars.
std::string shellWords(const std::string& words) {
    std::FILE* shell = ::popen(("printf '|%s' " + words).c_str(), "r");
    std::string out;
    char buffer[512];
    for (std::size_t n = 0; shell != nullptr && (n = std::fread(buffer, 1, sizeof buffer, shell)) > 0;) {
        out.append(buffer, n);
    }
    if (shell != nullptr) {
        ::pclose(shell);
    }
    return out;
}

std::size_t columnsOf(const std::string& line) {
    std::size_t columns = 0;
    for (const char c : line) {
        columns += (c & 0xC0) != 0x80 ? 1 : 0;
    }
    return columns;
}

TEST(RefusalTest, ACommandWrappedToTheBoxIsTheSameCommandToTheShell) {
    const char* const pieces[] = {"home", "alice", "it's", "a b", "設定", ".local", "share", "velmora"};
    std::mt19937 random(20261210);
    for (int round = 0; round < 200; ++round) {
        std::string command = "chown -R alice:";
        for (int word = 1 + static_cast<int>(random() % 3); word > 0; --word) {
            std::string path;
            for (int part = static_cast<int>(random() % 12); part >= 0; --part) {
                path += "/" + std::string(pieces[random() % std::size(pieces)]);
            }
            command += (random() % 2 == 0 ? " --flag " : " ") + ZQ::shellQuoted(path);
        }
        const std::size_t columns = 30 + random() % 50;
        const std::string lines = ZQ::commandLines(command, columns);
        SCOPED_TRACE(lines);
        EXPECT_EQ(shellWords(lines), shellWords(command));
        std::istringstream text(lines);
        for (std::string line; std::getline(text, line);) {
            // Only a piece with no '/' to cut at may be wider.
            EXPECT_TRUE(columnsOf(line) <= columns || line.find('/', 5) == std::string::npos) << line;
        }
    }
    EXPECT_EQ(ZQ::commandLines("rm 'short'", 72), "rm 'short'");
}

} // namespace
