#pragma once
// MusicXML written in code for the tests: small pieces that add up to a score, and the
// compressed form built with libzip.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace mx {

// "C4", "F#5", "Bb3" as a <pitch> element (C4 is middle C).
std::string Pitch(const std::string& name);
// A note of `duration` divisions; `extra` goes inside the note after the duration.
std::string Note(const std::string& pitch, int duration, const std::string& extra = "");
std::string ChordNote(const std::string& pitch, int duration, const std::string& extra = "");
std::string Rest(int duration, const std::string& extra = "");
std::string Lyric(const std::string& text, int number = 1);
std::string Attributes(int divisions, int beats = 4, int beatType = 4, int fifths = 0, const std::string& mode = "major");
std::string Measure(int number, const std::string& content);
std::string Part(const std::string& id, const std::vector<std::string>& measures);
// A partwise score; parts are (id, name) in the part list, `body` the <part> elements.
std::string XmlOfParts(const std::vector<std::pair<std::string, std::string>>& partList, const std::string& body,
                  const std::string& header = "");
// The one-part score most tests need.
std::string OnePart(const std::vector<std::string>& measures, const std::string& header = "");

std::vector<uint8_t> Bytes(const std::string& text);
// A zip archive of (name, content) entries, stored or deflated by libzip.
std::vector<uint8_t> Zip(const std::vector<std::pair<std::string, std::string>>& entries);
// The same archive written as streaming zip writers do: entries stored, their CRC and sizes
// in a data descriptor after the data; the local header gives only the compressed size.
std::vector<uint8_t> StreamedZip(const std::vector<std::pair<std::string, std::string>>& entries);
// A .mxl with a container naming `rootPath`.
std::vector<uint8_t> Mxl(const std::string& score, const std::string& rootPath = "score.musicxml");

} // namespace mx
