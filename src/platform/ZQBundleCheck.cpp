#include "platform/ZQBundleCheck.h"

#include "engine/Bundle.h"
#include "overlays/CaptionBox.h"
#include "overlays/ZQCaptionGenerator.h"
#include "platform/OpenALSoundGateway.h"
#include "platform/ZQSoundEffectsModel.h"
#include "platform/ZQSoundFile.h"
#include "render/KnotGoochProgram.h"
#include "render/PVRTResourceFile.h"
#include "render/PVRTTexture.h"
#include "render/PngTextureLoader.h"
#include "render/PodBox.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

namespace ZQBundleCheck {

namespace {

// Enough names to see what kind of files a reason strikes, on one line.
constexpr std::size_t kNamesShown = 4;

constexpr const char* kMissing = "not there";

constexpr const char* kRemedy =
    "set VELMORA_BUNDLE to the folder of the game's textures, models, sounds and captions";

std::string captionsProblem(const ZQ::ZQCaptionGenerator& captions) {
    // An empty, unreadable or foreign list leaves every text blank, as a
    // missing one would.
    return captions.captionAttrs().empty() ? "it lacks the captions: none the game can read" : std::string();
}

// The background pictures the captions list names: the caption producer
// draws <name>@<scale>.png behind a caption's text, and none when the file
// is missing.
std::vector<NeededFile> backgroundPictures(const ZQ::ZQCaptionGenerator& captions, int32_t scale) {
    std::set<std::string> names;
    for (const auto& [key, attributes] : captions.captionAttrs()) {
        const auto found = attributes.find("bgimage");
        if (found != attributes.end() && found->second.kind == ZQ::CaptionValue::Kind::Text &&
            !found->second.text.empty()) {
            names.insert(found->second.text + "@" + std::to_string(scale) + ".png");
        }
    }
    std::vector<NeededFile> files;
    for (const std::string& name : names) {
        files.push_back({name, Reader::Png, true});
    }
    return files;
}

// The clause of one reason: its files, the first few by name, then the
// reason in brackets.
std::string clause(const std::vector<std::string>& files, const std::string& reason) {
    std::string names;
    for (std::size_t i = 0; i < files.size() && i < kNamesShown; ++i) {
        names += (i == 0 ? "" : ", ") + files[i];
    }
    if (files.size() > kNamesShown) {
        names += " and " + std::to_string(files.size() - kNamesShown) + " more";
    }
    return names + " (" + reason + ")";
}

} // namespace

std::vector<NeededFile> neededFiles(int32_t scale) {
    std::vector<NeededFile> files = {
        {std::string(ZQ::CaptionBox::kCaptionsList) + ".plist", Reader::Captions, false}};
    for (const ZQ::CaptionPicture& picture : ZQ::CaptionBox::pictures(scale)) {
        const bool pvr = std::string(picture.extension) == "pvr";
        files.push_back({picture.file + "." + picture.extension, pvr ? Reader::Pvr : Reader::Png, false});
    }
    for (const char* name : ZQ::KnotGoochProgram::kNormalMapNames) {
        files.push_back({std::string(name) + ".pvr", Reader::Pvr, false});
    }
    for (int32_t id = 0; id < ZQ::PodBox::kModelCount; ++id) {
        files.push_back({std::string(ZQ::PodBox::modelName(id)) + ".pod", Reader::Pod, false});
    }
    // The effects list names one sample twice; the player loads it once.
    std::set<std::string> effects;
    for (const std::string& name : ZQSoundEffectsModel::soundNames()) {
        if (effects.insert(name).second) {
            files.push_back({name + ".caf", Reader::Effect, true});
        }
    }
    for (const std::string& name : ZQ::OpenALSoundGateway::musicNames()) {
        files.push_back({name + ".caf", Reader::Music, true});
    }
    return files;
}

std::string judgeFile(const std::string& path, Reader reader, int32_t scale) {
    switch (reader) {
    case Reader::Captions: {
        ZQ::ZQCaptionGenerator captions(ZQ::CaptionBox::kCaptionsList, scale);
        captions.load(path);
        return captionsProblem(captions);
    }
    case Reader::Png: {
        ZQ::PngPixels picture;
        std::string error;
        return ZQ::decodePng(path, true, picture, error) ? std::string()
                                                         : "libpng cannot decode it: " + error;
    }
    case Reader::Pvr: {
        const CPVRTResourceFile file(path.c_str());
        if (!file.isOpen()) {
            return "the file cannot be read, or is empty";
        }
        const char* why = ZQ::refusePVRTexture(file.getData(), file.getSize());
        return why != nullptr ? why : std::string();
    }
    case Reader::Pod:
        return ZQ::PodBox::refuseModelFile(path);
    case Reader::Effect:
        return ZQSoundFile::problem(path, ZQSoundFile::Use::Effect);
    case Reader::Music:
        return ZQSoundFile::problem(path, ZQSoundFile::Use::Music);
    }
    return "no reader judges it";
}

bool check(const std::string& folder, int32_t scale, std::string& problem) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        problem = "the bundle folder " + folder + " is not there; " + kRemedy;
        return false;
    }
    std::vector<NeededFile> needed = neededFiles(scale);
    // Reasons in the order they are first met, each with its files.
    std::vector<std::pair<std::string, std::vector<std::string>>> refused;
    std::size_t refusedCount = 0;
    const auto refuse = [&](const std::string& file, const std::string& reason) {
        auto at =
            std::find_if(refused.begin(), refused.end(), [&](const auto& r) { return r.first == reason; });
        if (at == refused.end()) {
            at = refused.insert(refused.end(), {reason, {}});
        }
        at->second.push_back(file);
        ++refusedCount;
    };
    for (std::size_t i = 0; i < needed.size(); ++i) {
        // A copy: the captions list's pictures join the list meanwhile.
        const NeededFile file = needed[i];
        const std::string path = ZQ::pathForResourceIn(folder, file.file, "");
        if (path.empty()) {
            if (!file.mayBeMissing) {
                refuse(file.file, kMissing);
            }
            continue;
        }
        if (file.reader == Reader::Captions) {
            ZQ::ZQCaptionGenerator captions(ZQ::CaptionBox::kCaptionsList, scale);
            captions.load(path);
            if (const std::string why = captionsProblem(captions); !why.empty()) {
                refuse(file.file, why);
            }
            const std::vector<NeededFile> backgrounds = backgroundPictures(captions, scale);
            needed.insert(needed.end(), backgrounds.begin(), backgrounds.end());
            continue;
        }
        if (const std::string why = judgeFile(path, file.reader, scale); !why.empty()) {
            refuse(file.file, why);
        }
    }
    if (refused.empty()) {
        return true;
    }
    problem = "the bundle folder " + folder + " lacks " + std::to_string(refusedCount) + " of the " +
              std::to_string(needed.size()) + " files the game needs or cannot read them: ";
    for (const auto& [reason, files] : refused) {
        problem += clause(files, reason) + "; ";
    }
    problem += kRemedy;
    return false;
}

} // namespace ZQBundleCheck
