#include "game/SavedState.h"

#include "engine/Assert.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>


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
    const std::string message = authMessage(record);
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

} // namespace ZQ
