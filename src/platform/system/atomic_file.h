#pragma once

// Replacing a file so that a crash leaves either the old content or the new one, never a part:
// a temporary file in the same folder, fsync, rename over the file, fsync of the folder.

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// The steps of replacing a file, in order (kCreateFolder is the caller's, before the others).
enum class WriteStep { kCreateFolder, kCreateTemp, kWriteTemp, kSyncTemp, kRename, kSyncFolder };
// Called before each step; a nonzero errno makes the step fail with it as the system would (a
// full disk, a read-only folder: permissions do not stop the superuser who runs tests).
using WriteStepHook = std::function<int(WriteStep)>;

// What the temporary files of ReplaceFileAtomically(path) start with, six characters following:
// "<path>.tmp.", the name cut short where it would pass the 255 bytes a name may have.
std::string TemporaryFilePrefix(const std::string& path);

// Replaces `path` with `text`. The temporary file is TemporaryFilePrefix(path) + "XXXXXX" and
// takes the old file's
// mode (a new file's follows the umask, as open(2) would give it); it is removed when a step fails.
// A failed fsync of the folder does not count: the new content is in place by then. False with
// "<file>: <reason>" in *error ("<file>: cannot create a file in <folder>: <reason>").
bool ReplaceFileAtomically(const std::string& path, std::string_view text, std::string* error,
                           const WriteStepHook& hook = {});

// The regular file `path` names through symbolic links, or the file still to come that a link
// names (replacing the link itself would cut it off from the file it stands for); `path` itself
// when it names something else (a device, a folder, a loop of links).
std::string FileBehindLinks(const std::string& path);

// Writes `data` to `path` as a person means it: a regular file, or one still to come, is replaced
// whole (through a symbolic link, the file it names), so that a failed write keeps the old
// content; a device or a pipe (/dev/usb/lp0), or a file whose folder takes no new file, is
// written in place. False with "<file or folder>: <reason>" in *error.
bool WriteFileOrDevice(const std::string& path, std::string_view data, std::string* error);

// Whether files can be made in the folder `dir` (permission, a file system not mounted
// read-only); false with the system's reason in *reason.
bool CanCreateFilesIn(const std::string& dir, std::string* reason);

// The folder part of `path` ("." for a bare name, "/" for a file in the root).
std::string DirectoryOf(const std::string& path);
// write(2) until all of `data` is written or a write fails (EINTR is retried).
bool WriteAllToFd(int fd, const char* data, size_t length);

}  // namespace platform
