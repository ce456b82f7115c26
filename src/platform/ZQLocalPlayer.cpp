#include "platform/ZQLocalPlayer.h"

#include "platform/ZQLeaderboardStore.h"

#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <unistd.h>

void ZQLocalPlayer::setAuthenticateHandler(const AuthenticateHandler& handler) {
    authenticated = store.signIn(name);
    if (authenticated) {
        handler(nullptr);
        return;
    }
    const ZQServiceError error{kErrorDomain, "The leaderboard file cannot be used",
                               ZQ::line(store.file().refusal().value_or(ZQ::Refusal{}))};
    handler(&error);
}

std::string ZQLocalPlayer::operatingSystemUser() {
    // A name longer than the leaderboard file takes is no login name.
    const auto usable = [](const char* name) {
        return name != nullptr && name[0] != '\0' && std::strlen(name) <= ZQLeaderboardStore::kPlayerMaxBytes;
    };
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && usable(entry->pw_name)) {
        return entry->pw_name;
    }
    for (const char* variable : {"USER", "LOGNAME"}) {
        if (const char* value = std::getenv(variable); usable(value)) {
            return value;
        }
    }
    return "player";
}
