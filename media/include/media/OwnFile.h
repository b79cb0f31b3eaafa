// Files a program creates or rewrites on its own, never named by the player: a log, a settings
// file, content seeded into a game folder. Whatever carries such a name may be the player's: a
// symbolic link to a document, a dangling link, a named pipe, a device, a folder, a file of
// someone else's. These calls open without following links and without waiting on a pipe, touch
// only plain files, and never truncate a file that is not ours; otherwise they leave the name
// alone and say why.
//
// Every call returns an open descriptor (close it, or hand it to fdopen) or -1 with *why set to
// a sentence naming the file and the cause, e.g. "\"log.txt\" is a symbolic link".
#pragma once

#include <string>

namespace media {

// Creates `path` as a new, empty plain file for writing; a name that exists in any form (a
// dangling link included) is refused.
int CreateOwnFile(const std::string& path, std::string* why);

// Opens `path` to be written afresh from its start: created when missing; when it exists, only a
// plain file that is empty or starts with `signature` (a file we wrote before) is accepted, and
// then truncated.
int RewriteOwnFile(const std::string& path, const std::string& signature, std::string* why);

// Opens an existing plain file that starts with `signature` to add to its end. Never creates.
int AppendToOwnFile(const std::string& path, const std::string& signature, std::string* why);

// The system's reason for an open or write failure as a sentence about `path`, with a hint
// where the bare message misleads: "No such file or directory (there is no folder \"a\")".
std::string DescribeFileError(const std::string& path, int errorCode);

}  // namespace media
