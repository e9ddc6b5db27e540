#include "tests/support/MusicXmlText.h"

#include <stdexcept>
#include <zip.h>

namespace mx {

std::string Pitch(const std::string& name)
{
    std::string alter;
    size_t at = 1;
    if (name.size() > 1 && (name[1] == '#' || name[1] == 'b')) {
        alter = name[1] == '#' ? "<alter>1</alter>" : "<alter>-1</alter>";
        at = 2;
    }
    return "<pitch><step>" + name.substr(0, 1) + "</step>" + alter + "<octave>" + name.substr(at) + "</octave></pitch>";
}

std::string Note(const std::string& pitch, int duration, const std::string& extra)
{
    return "<note>" + Pitch(pitch) + "<duration>" + std::to_string(duration) + "</duration>" + extra + "</note>";
}

std::string ChordNote(const std::string& pitch, int duration, const std::string& extra)
{
    return "<note><chord/>" + Pitch(pitch) + "<duration>" + std::to_string(duration) + "</duration>" + extra +
           "</note>";
}

std::string Rest(int duration, const std::string& extra)
{
    return "<note><rest/><duration>" + std::to_string(duration) + "</duration>" + extra + "</note>";
}

std::string Lyric(const std::string& text, int number)
{
    return "<lyric number=\"" + std::to_string(number) + "\"><syllabic>single</syllabic><text>" + text +
           "</text></lyric>";
}

std::string Attributes(int divisions, int beats, int beatType, int fifths, const std::string& mode)
{
    return "<attributes><divisions>" + std::to_string(divisions) + "</divisions><key><fifths>" +
           std::to_string(fifths) + "</fifths><mode>" + mode + "</mode></key><time><beats>" + std::to_string(beats) +
           "</beats><beat-type>" + std::to_string(beatType) + "</beat-type></time><clef><sign>G</sign><line>2</line></clef></attributes>";
}

std::string Measure(int number, const std::string& content)
{
    return "<measure number=\"" + std::to_string(number) + "\">" + content + "</measure>";
}

std::string Part(const std::string& id, const std::vector<std::string>& measures)
{
    std::string s = "<part id=\"" + id + "\">";
    for (const std::string& m : measures)
        s += m;
    return s + "</part>";
}

std::string XmlOfParts(const std::vector<std::pair<std::string, std::string>>& partList, const std::string& body,
                  const std::string& header)
{
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 Partwise//EN\" "
                    "\"http://www.musicxml.org/dtds/partwise.dtd\">\n"
                    "<score-partwise version=\"4.0\">" +
                    header + "<part-list>";
    for (const auto& [id, name] : partList)
        s += "<score-part id=\"" + id + "\"><part-name>" + name + "</part-name></score-part>";
    return s + "</part-list>" + body + "</score-partwise>\n";
}

std::string OnePart(const std::vector<std::string>& measures, const std::string& header)
{
    return XmlOfParts({{"P1", "Melody"}}, Part("P1", measures), header);
}

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> Zip(const std::vector<std::pair<std::string, std::string>>& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(target);
    zip_t* z = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    if (!z)
        throw std::runtime_error("zip_open_from_source");
    for (const auto& [name, content] : entries) {
        zip_source_t* s = zip_source_buffer(z, content.data(), content.size(), 0);
        if (zip_file_add(z, name.c_str(), s, ZIP_FL_OVERWRITE) < 0)
            throw std::runtime_error("zip_file_add");
    }
    if (zip_close(z) != 0)
        throw std::runtime_error("zip_close");
    zip_stat_t st;
    zip_source_stat(target, &st);
    std::vector<uint8_t> out(st.size);
    zip_source_open(target);
    zip_source_read(target, out.data(), out.size());
    zip_source_close(target);
    zip_source_free(target);
    zip_error_fini(&error);
    return out;
}

namespace {

uint32_t Crc32(const std::string& data)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= static_cast<uint8_t>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(i < 4 ? static_cast<uint8_t>(value >> (8 * i)) : 0);
}

} // namespace

std::vector<uint8_t> StreamedZip(const std::vector<std::pair<std::string, std::string>>& entries)
{
    constexpr uint16_t kDescriptorFlag = 1u << 3;
    std::vector<uint8_t> out, central;
    for (const auto& [name, content] : entries) {
        const uint32_t offset = static_cast<uint32_t>(out.size());
        const uint32_t crc = Crc32(content), size = static_cast<uint32_t>(content.size());
        Put(out, 0x04034b50, 4);
        Put(out, 20, 2);
        Put(out, kDescriptorFlag, 2);
        Put(out, 0, 2);  // stored
        Put(out, 0, 4);  // time, date
        // CRC and sizes follow the data; the compressed size is given early as well, as the
        // archiver of one desktop system writes it.
        Put(out, 0, 4);
        Put(out, size, 4);
        Put(out, 0, 4);
        Put(out, static_cast<uint32_t>(name.size()), 2);
        Put(out, 0, 2);
        out.insert(out.end(), name.begin(), name.end());
        out.insert(out.end(), content.begin(), content.end());
        Put(out, 0x08074b50, 4);
        Put(out, crc, 4);
        Put(out, size, 4);
        Put(out, size, 4);

        Put(central, 0x02014b50, 4);
        Put(central, 20, 2);
        Put(central, 20, 2);
        Put(central, kDescriptorFlag, 2);
        Put(central, 0, 2);
        Put(central, 0, 4);
        Put(central, crc, 4);
        Put(central, size, 4);
        Put(central, size, 4);
        Put(central, static_cast<uint32_t>(name.size()), 2);
        Put(central, 0, 2 + 2 + 2 + 2 + 4); // extra, comment, disk, attributes
        Put(central, offset, 4);
        central.insert(central.end(), name.begin(), name.end());
    }
    const uint32_t centralAt = static_cast<uint32_t>(out.size());
    out.insert(out.end(), central.begin(), central.end());
    Put(out, 0x06054b50, 4);
    Put(out, 0, 4);
    Put(out, static_cast<uint32_t>(entries.size()), 2);
    Put(out, static_cast<uint32_t>(entries.size()), 2);
    Put(out, static_cast<uint32_t>(central.size()), 4);
    Put(out, centralAt, 4);
    Put(out, 0, 2);
    return out;
}

std::vector<uint8_t> Mxl(const std::string& score, const std::string& rootPath)
{
    const std::string container =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><container><rootfiles>"
        "<rootfile full-path=\"" + rootPath + "\" media-type=\"application/vnd.recordare.musicxml+xml\"/>"
        "</rootfiles></container>";
    return Zip({{"mimetype", "application/vnd.recordare.musicxml"}, {"META-INF/container.xml", container},
                {rootPath, score}});
}

} // namespace mx
