#pragma once
// Files, folders and fixed memory blocks. Paths keep the 259-byte limit of the song and
// settings formats' 260-byte buffers; a longer path is refused as a failed open. Failures
// the user must hear about are reported here, through the general message family.

#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t kMaxPathBytes = 259;

// 1 when a search for the path finds a file or folder; the last component may hold
// '*' and '?', matched without regard to case.
int FileExists(const std::string& path);

// 1 when the path names a regular file that opens for reading; no message. A FIFO, socket
// or device is refused without waiting for it.
int CanOpenFile(const std::string& path);

// A descriptor of the regular file open for reading, else -1 (no message): a path over the
// limit, a missing file, a folder, a FIFO, a socket or a device. Never blocks on the open.
int OpenRegularFile(const std::string& path);

// Size of the file of that name, else of the first entry its wildcards match; 0 for a folder or nothing; 4 GiB or more is reported and
// yields the low 32 bits.
uint32_t GetFileSize(const std::string& path);

// Reads byteCount bytes from the file's start. 0 (after a message) when it cannot be opened
// or is not a regular file;
// 1 otherwise, with a message when fewer bytes arrived. The rest of the buffer is untouched.
int ReadWholeFile(const std::string& path, void* buffer, size_t byteCount);
// Tests run `hook` at the start of every ReadWholeFile, to change the file between the
// caller's checks and the read; nullptr removes it.
void SetBeforeReadHookForTests(void (*hook)(const std::string& path));

// Replaces the file with the bytes. The data goes to a temporary file beside it that is
// renamed over the target, so the old file survives any failure. A symbolic link is written
// through to the file it names when that is a regular file; the file keeps its permissions; a
// file without any write permission bit, and anything that is not a regular file, is refused
// and kept. A write the disk or the file-size limit cuts short is never renamed into place.
// 0 after a message.
int WriteWholeFile(const std::string& path, const void* buffer, size_t byteCount);

// The same whole-or-nothing write for a writer that needs a file name (a PDF printer): the
// name of a new, empty temporary file beside the file `path` names, or "" when that file may
// not be replaced. The writer fills it; FinishReplacingFile then renames it over the file when
// `written` and its data reached the disk, and otherwise removes it. No message: the caller
// reports a failure in its own words.
std::string BeginReplacingFile(const std::string& path);
bool FinishReplacingFile(const std::string& path, const std::string& temp, bool written);

// Creates every missing level of the folder path; existing or uncreatable levels are passed
// over silently.
void CreateFolderPath(const std::string& folder);

// The per-user configuration folder: $XDG_CONFIG_HOME, or ~/.config when that is unset.
std::string UserConfigFolder();

// The per-user configuration folder with the sub-folder appended, created when missing.
std::string GetSettingsFolder(const std::string& subFolder);

// folder + "/" + name, without doubling a "/" the folder already ends in.
std::string JoinPath(const std::string& folder, const std::string& name);

// Whether the name ends in the suffix, ASCII letters of any case ("SONG.MwD" ends in ".mwd").
bool HasSuffix(const std::string& name, const std::string& suffix);

// A zero-filled block; nullptr after the out-of-memory message.
void* AllocZeroed(size_t byteCount);
void FreeBlock(void* block);
// Tests make every block allocation fail while this is set, to see the out-of-memory paths.
void FailBlockAllocationsForTests(bool fail);
