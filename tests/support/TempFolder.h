#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the object goes. Store tests write only here.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmora-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            folder = pattern;
        }
    }
    ~TempFolder() {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool ok() const { return !folder.empty(); }
    const std::string& path() const { return folder; }
    std::string file(const std::string& name) const { return folder + "/" + name; }

    // Names of the entries of `sub` (the folder itself when empty), sorted.
    std::vector<std::string> entries(const std::string& sub = "") const {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry :
             std::filesystem::directory_iterator(sub.empty() ? folder : file(sub), error)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void write(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }

private:
    std::string folder;
};
