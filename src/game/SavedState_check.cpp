#include "game/SavedState.h"

#include "engine/Assert.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <limits>

// Whether a stored record is to be trusted: its integrity code, and the
// kinds and ranges of its values.

namespace ZQ {

namespace {

// The HMAC-SHA1 key: 48 bytes, no terminator.
constexpr char kIntegrityKey[] = "Vb7tQm2RxZ4kLp9WcN3sHd6FgJ8yTe5Ua1oXi0MvBq4nRz7K";
constexpr std::size_t kIntegrityKeyLength = sizeof kIntegrityKey - 1;
static_assert(kIntegrityKeyLength == 48);

// The digest sits at the start of this many zero bytes, all of them encoded:
// 26 full Base64 groups and one of two bytes, 108 characters.
constexpr std::size_t kCodeBytes = 80;
constexpr std::size_t kCodeCharacters = 108;
static_assert((kCodeBytes + 2) / 3 * 4 == kCodeCharacters);

void appendNumber(std::string& message, int32_t value) {
    message += std::to_string(value);
    message += '-';
}

std::string codeOf(const std::string& message) {
    unsigned char code[kCodeBytes] = {};
    unsigned int digestLength = 0;
    const unsigned char* digest =
        HMAC(EVP_sha1(), kIntegrityKey, static_cast<int>(kIntegrityKeyLength),
             reinterpret_cast<const unsigned char*>(message.data()), message.size(), code, &digestLength);
    // Only a broken crypto library fails here; a zero code would reject every record.
    ZQ_ASSERT(digest != nullptr && digestLength == 20);
    char text[kCodeCharacters + 1] = {};
    EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text), code, static_cast<int>(kCodeBytes));
    return std::string(text, kCodeCharacters);
}

} // namespace

std::string SavedState::authMessage(const SavedState& record) {
    const int32_t v = record.version;
    std::string message;
    if (v < 0) {
        return message;
    }
    appendNumber(message, record.level);
    if (v >= 1) {
        appendNumber(message, record.points);
        for (int32_t count : record.tangles) {
            appendNumber(message, count);
        }
    }
    if (v >= 2) {
        appendNumber(message, record.max_level);
    }
    if (v >= 3) {
        for (int32_t grade : record.tangleForlevel) {
            appendNumber(message, grade);
        }
    }
    if (v >= 4) {
        for (int32_t seconds : record.timerForlevel) {
            appendNumber(message, seconds);
        }
        appendNumber(message, record.difficulty);
    }
    return message;
}

std::string SavedState::authCode(const SavedState& record) {
    return codeOf(authMessage(record));
}

namespace {

// Reads the numbers of one stored dictionary, stopping at the first value
// that is of the wrong kind, out of range or missing from an array; `why`
// then names it. A missing number reads as 0, as every earlier version of
// the record relied on.
class StoredReader {
public:
    explicit StoredReader(const StoreValue::Dictionary& entries) : entries(entries) {}

    bool number(const char* key, int32_t low, int32_t high, int32_t& out) {
        const auto found = entries.find(key);
        if (found == entries.end()) {
            out = 0;
            return inRange(key, 0, low, high);
        }
        const int64_t* value = found->second.asInteger();
        if (value == nullptr) {
            return fail(std::string(key) + " is " + found->second.describe());
        }
        if (!inRange(key, *value, low, high)) {
            return false;
        }
        out = static_cast<int32_t>(*value);
        return true;
    }

    template <std::size_t N>
    bool numbers(const char* key, int32_t low, int32_t high, std::array<int32_t, N>& out) {
        const auto found = entries.find(key);
        if (found == entries.end()) {
            return fail(std::string(key) + " is missing");
        }
        const StoreValue::Array* items = found->second.asArray();
        if (items == nullptr) {
            return fail(std::string(key) + " is " + found->second.describe());
        }
        if (items->size() < N) {
            return fail(std::string(key) + " has " + std::to_string(items->size()) + " entries, not " +
                        std::to_string(N));
        }
        for (std::size_t i = 0; i < N; ++i) {
            const int64_t* value = (*items)[i].asInteger();
            const std::string name = std::string(key) + "[" + std::to_string(i) + "]";
            if (value == nullptr) {
                return fail(name + " is " + (*items)[i].describe());
            }
            if (!inRange(name.c_str(), *value, low, high)) {
                return false;
            }
            out[i] = static_cast<int32_t>(*value);
        }
        return true;
    }

    bool text(const char* key, std::string& out) {
        const auto found = entries.find(key);
        if (found == entries.end()) {
            out.clear();
            return true;
        }
        const std::string* value = found->second.asString();
        if (value == nullptr) {
            return fail(std::string(key) + " is " + found->second.describe());
        }
        out = *value;
        return true;
    }

    std::string why;

private:
    bool inRange(const char* key, int64_t value, int32_t low, int32_t high) {
        if (value >= low && value <= high) {
            return true;
        }
        return fail(std::string(key) + " is " + std::to_string(value) + ", outside " + std::to_string(low) +
                    ".." + std::to_string(high));
    }
    bool fail(std::string reason) {
        why = "Saved state rejected: " + std::move(reason);
        return false;
    }

    const StoreValue::Dictionary& entries;
};

constexpr int32_t kAny = std::numeric_limits<int32_t>::max();

} // namespace

std::optional<SavedState> SavedState::fromStored(const StoreValue& stored, int32_t levelCount,
                                                 std::string& why) {
    const StoreValue::Dictionary* entries = stored.asDictionary();
    if (entries == nullptr) {
        why = "Saved state rejected: it is " + stored.describe();
        return std::nullopt;
    }
    SavedState record(levelCount);
    // One version of the game counted a "generation" up at each new game and
    // covered it by the code after the other values; its records still load,
    // and are written back as every other version writes them.
    int32_t generation = 0;
    StoredReader read(*entries);
    const int32_t lastLevel = levelCount - 1;
    const int32_t lastGrade = kGradeCount - 1;
    // A negative version would make the code cover nothing at all, so any
    // level and points would pass: no record the game wrote has one.
    bool ok =
        read.number("version", 0, kAny, record.version) && read.number("level", 0, lastLevel, record.level) &&
        (record.version < 2 || read.number("max_level", 0, lastLevel, record.max_level)) &&
        read.number("points", 0, kAny, record.points) && read.numbers("tangles", 0, kAny, record.tangles) &&
        (record.version < 3 || read.numbers("tangleForlevel", 0, lastGrade, record.tangleForlevel)) &&
        (record.version < 4 || (read.number("difficulty", 0, kMaxDifficulty, record.difficulty) &&
                                read.numbers("timerForlevel", 0, kAny, record.timerForlevel))) &&
        read.number("generation", 0, kAny, generation) && read.text("auth_code", record.auth_code);
    if (!ok) {
        why = read.why;
        return std::nullopt;
    }
    std::string message = authMessage(record);
    if (generation > 0) {
        appendNumber(message, generation);
    }
    // Byte for byte, lengths included.
    if (codeOf(message) != record.auth_code) {
        why = "(auth_code!=pState->auth_code)";
        return std::nullopt;
    }
    if (generation > 0) {
        record.auth_code = authCode(record);
    }
    return record;
}

} // namespace ZQ
