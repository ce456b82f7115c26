#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace ZQ {

// One way to mend a refusal: what to do, and the command that does it if
// one does, which is safe to run blind (docs/stores.md).
struct Mend {
    std::string advice;  // "give the data folder back to alice"
    std::string command; // "sudo chown -R alice: '/home/alice/.local/share/velmora'"; empty for advice alone
    bool operator==(const Mend&) const = default;
};

// Why the game will not do what it was asked: what it cannot do, why, and
// each way to mend it, the likeliest first. Put into words here alone, from
// its parts: a reworded reason, or a path holding "; ", changes no box.
struct Refusal {
    std::string what; // "cannot keep progress in defaults.plist"; empty when `why` says it all
    std::string why;  // "the file ... belongs to root (uid 0), and the game runs as alice (uid 1000)"
    std::vector<Mend> mends;
    bool operator==(const Refusal&) const = default;
};

// "what: why; advice: command; or advice: command", on one line.
std::string line(const Refusal& refusal);
// The refusals as a box of `columns` shows them: each one's what and why a
// paragraph, then each mend a paragraph (one that two refusals share, once),
// its command on lines of its own, ready to be copied (commandLines). A
// paragraph begins with a capital unless its first word is a file's name.
std::string paragraphs(const std::vector<Refusal>& refusals, std::size_t columns);
// `command` in lines of at most `columns` characters that a shell reads as
// the one command: each but the last ends in " \", and a quoted word too
// long for a line is cut after a '/' into quoted pieces the shell joins
// again ('/a/'\ then 'b' is '/a/b'). Cut anywhere else, a command copied
// whole would run as its first line alone, or as another command.
std::string commandLines(const std::string& command, std::size_t columns);

// "<thing> cannot be <step> (<errno's words>)", with no mend.
Refusal cannot(const std::string& thing, const std::string& step, int error);
// Whether `owner` is the id a user namespace (bubblewrap, unshare --user)
// shows for every account it does not map: root and every other user
// outside the sandbox look alike there, and none of them can be named.
bool unmapped(uid_t owner);
// "<thing> belongs to bob (uid 1001), and the game runs as alice (uid 1000)";
// an unmapped owner is said to be outside the sandbox.
std::string ownedBy(const std::string& thing, uid_t owner);
// "alice (uid 1000)", or the number alone for an account without a name.
std::string accountName(uid_t uid);
// `path` as one word of a shell command: it's as 'it'\''s'.
std::string shellQuoted(const std::string& path);

// "give it back to alice: sudo chown -R alice: 'path'", for what root holds
// where the player's things belong: -R for a folder and all a sudo run left
// in it, -h for a link, which is given itself.
enum class Entry { file, folder, link };
Mend giveBack(const std::string& path, Entry entry);
// "run the game as bob (uid 1001)": the way to play on what is another
// user's without taking it. For an unmapped owner, to start the game once
// outside the sandbox, where the owner is known and the mend named.
Mend runAs(uid_t owner);
// "remove the link that leads there, or point it elsewhere: rm 'link'": the
// player's own link into a place that is another user's, undone.
Mend undoLink(const std::string& link);
// "free some space or inodes on its disk": what mends a write that found no
// room (ENOSPC, EDQUOT), in these words wherever one is refused.
Mend freeSpace();

} // namespace ZQ
