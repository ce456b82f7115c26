#pragma once

#include "engine/PlistFileStore.h"
#include "support/TempFolder.h"

#include <functional>
#include <gtest/gtest.h>
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

inline struct stat lstatOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}

// What `part` writes to stderr, kept out of the test's output.
inline std::string logOf(const std::function<void()>& part) {
    testing::internal::CaptureStderr();
    part();
    return testing::internal::GetCapturedStderr();
}
