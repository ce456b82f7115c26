#pragma once

#include "engine/PlistFileStore.h"
#include "support/TempFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <sys/stat.h>

// Another writer's read, change and write.
inline bool storeValue(const std::string& path, const std::string& key, int64_t value) {
    return ZQ::PlistFileStore(path).update([&](ZQ::KeyValueStore& store) { store.setInteger(key, value); });
}

// Whether `store` writes `value` at `key` where a store opened after reads it.
inline bool writesThrough(ZQ::PlistFileStore& store, const std::string& key, int64_t value) {
    store.setInteger(key, value);
    return store.synchronize() && ZQ::PlistFileStore(store.path()).integerForKey(key) == value;
}

// The copies of the file `name` in `folder` that were set aside as damage.
inline std::vector<std::string> asideFiles(const TempFolder& folder, const std::string& name) {
    std::vector<std::string> found = folder.entries();
    std::erase_if(found, [&](const std::string& entry) { return !entry.starts_with(name + ".corrupt-"); });
    return found;
}

// A list of the integers `values`, to compare a whole file's contents with.
inline ZQ::StoreValue::Dictionary integers(const std::map<std::string, int64_t>& values) {
    ZQ::StoreValue::Dictionary list;
    for (const auto& [key, value] : values) {
        list.emplace(key, ZQ::StoreValue::integer(value));
    }
    return list;
}

inline struct stat lstatOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}

// Whether the store owes its changes for the reason and mends it refuses with.
inline bool owesAsItRefuses(const ZQ::KeyValueStore& store) {
    const std::optional<ZQ::Refusal> owed = store.unsaved();
    return owed && store.refusal() && owed->why == store.refusal()->why &&
           owed->mends == store.refusal()->mends;
}

// The refusal's words, when the store also reads and writes nothing and owes it.
inline std::string refusalOf(const std::string& path) {
    testing::internal::CaptureStderr();
    ZQ::PlistFileStore store(path);
    store.setInteger("sound", 1);
    const bool kept = store.contents().size() == 1 && !store.synchronize() && owesAsItRefuses(store);
    testing::internal::GetCapturedStderr();
    return kept ? ZQ::line(*store.refusal()) : "read or written";
}

// What `part` writes to stderr, kept out of the test's output.
inline std::string logOf(const std::function<void()>& part) {
    testing::internal::CaptureStderr();
    part();
    return testing::internal::GetCapturedStderr();
}
