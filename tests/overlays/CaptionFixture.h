#pragma once

#include "overlays/ZQCaptionGenerator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

// A captions list written into a temporary folder from the XML a test gives
// (the body of the root dictionary), and a generator that has read it. The
// folder lies in the test process's own (TempDir()), so that one a process
// leaves when it ends without its destructors (a death test's) goes with
// the process's folders.
class CaptionListFile {
public:
    explicit CaptionListFile(const std::string& body) {
        std::string pattern = testing::TempDir() + "velmora-captions-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "cannot make " << pattern;
        }
        folder = pattern;
        path = folder + "/captions.plist";
        std::ofstream(path) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               "<plist version=\"1.0\"><dict>"
                            << body << "</dict></plist>\n";
    }
    ~CaptionListFile() { std::filesystem::remove_all(folder); }
    CaptionListFile(const CaptionListFile&) = delete;
    CaptionListFile& operator=(const CaptionListFile&) = delete;

    std::unique_ptr<ZQ::ZQCaptionGenerator> generator(int scale) const {
        auto made = std::make_unique<ZQ::ZQCaptionGenerator>("captions", scale, path);
        made->setUp();
        return made;
    }

    std::string folder;
    std::string path;
};

// One caption group of the "en" list: `width` x `height` points, a font size,
// white letters; `leaves` is the XML of its texts.
inline std::string englishGroup(const std::string& group, double width, double height, double size,
                                const std::string& leaves) {
    return "<key>en</key><dict><key>" + group +
           "</key><dict><key>attributes</key><dict>"
           "<key>width</key><real>" +
           std::to_string(width) + "</real><key>height</key><real>" + std::to_string(height) +
           "</real><key>size</key><real>" + std::to_string(size) +
           "</real><key>font</key><string>DejaVuSans</string>"
           "<key>fillcolor</key><array><real>1</real><real>1</real><real>1</real><real>1</real></array>"
           "</dict>" +
           leaves + "</dict></dict>";
}

inline std::string leaf(const std::string& key, const std::string& text) {
    return "<key>" + key + "</key><string>" + text + "</string>";
}
