#pragma once
// MusicXML: partwise and timewise scores, plain (.musicxml, .xml) or compressed (.mxl).
// Reads the melody of one part: its upper staff's first voice with notes, ties merged, grace,
// cue and unpitched notes left out, transposing instruments at sounding pitch, and repeats,
// endings and the jumps marked with `sound` played out. Every staff's voice of every part is
// one of the melody's voices, played out in the melody part's order.

#include "import/Melody.h"

#include <cstdint>
#include <memory>
#include <vector>

// XML text in UTF-16 without a byte-order mark, told by a "<" with a zero byte beside it after
// any blanks, as some exporters write it.
enum class XmlByteOrder { None, LittleEndian, BigEndian };
XmlByteOrder XmlInUtf16WithoutMark(const std::vector<uint8_t>& bytes);
// XML text in UTF-32: its byte-order mark, or a "<" in four bytes after any blanks.
XmlByteOrder XmlInUtf32(const std::vector<uint8_t>& bytes);

// A score parsed once, so that listing its parts and reading one costs a single parse. The
// import reads every MusicXML file through it.
class MusicXmlScore {
public:
    MusicXmlScore();
    ~MusicXmlScore();
    MusicXmlScore(const MusicXmlScore&) = delete;
    MusicXmlScore& operator=(const MusicXmlScore&) = delete;

    // Ok, or Unreadable for malformed XML, a document that is not MusicXML or a broken
    // container.
    ImportStatus Open(const std::vector<uint8_t>& bytes);
    // The parts with their pitched-note counts (-1, not counted, when there is only one).
    const std::vector<MelodyChoice>& Parts() const;
    // choice: 1-based part, or kDefaultChoice for the first part with pitched notes.
    ImportStatus Read(int choice, Melody& out) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};
