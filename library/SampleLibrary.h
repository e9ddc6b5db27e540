#pragma once
// The installed program's samples and the player's own library. The package puts the sample
// songs into a folder the player cannot write; the desktop entry starts the program there.
// Started so, the program takes the player's own base folder instead and, while its library
// holds no song, stocks it with copies of the samples, so that the library lists them and
// ライブラリに追加 can write. No file the player has is ever replaced.

#include <string>

// The player's own base folder: $XDG_DATA_HOME/DovrelPlinvara, or
// ~/.local/share/DovrelPlinvara when that is unset.
std::string UserLibraryBase();

// Whether the folder holds a file the library lists: a song file or one of its score formats.
bool HoldsSongFiles(const std::string& folder);

// Copies each regular file of `samples` into `library` (made when missing) unless `library`
// already holds a song file; a name the library already has is passed over. False after the
// message when the folder cannot be made or a copy cannot be written whole; a copy cut short
// is removed again.
bool CopySampleLibrary(const std::string& samples, const std::string& library);

// The base folder the window starts with. `startFolder` stays unless it is `installedData`,
// the installed samples' folder (both resolved); then `ownBase` with its "Archive" stocked
// from the samples. When that cannot be made, the installed folder stays after the message,
// so the samples are still listed.
std::string ChooseLibraryBase(const std::string& startFolder, const std::string& installedData,
                              const std::string& ownBase);
