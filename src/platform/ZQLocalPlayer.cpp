#include "platform/ZQLocalPlayer.h"

#include "platform/ZQLeaderboardStore.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

void ZQLocalPlayer::setAuthenticateHandler(const AuthenticateHandler& handler) {
    authenticated = store.signIn(name);
    if (authenticated) {
        handler(nullptr);
        return;
    }
    const ZQServiceError error{kErrorDomain, "The leaderboard file cannot be written",
                               "no write to " + store.path() + " succeeded"};
    handler(&error);
}

std::string ZQLocalPlayer::operatingSystemUser() {
    if (const passwd* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_name != nullptr && entry->pw_name[0] != '\0') {
        return entry->pw_name;
    }
    for (const char* variable : {"USER", "LOGNAME"}) {
        if (const char* value = std::getenv(variable); value != nullptr && value[0] != '\0') {
            return value;
        }
    }
    return "player";
}
