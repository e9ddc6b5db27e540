// Score import next to the bare parse of the same bytes: a 256-measure single-part MusicXML
// file of sixteenths with chords, chord symbols and lyrics, plain and compressed.

#include "import/ScoreImport.h"
#include "song/CSongData.h"
#include "tests/support/MusicXmlText.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>
#include <zip.h>

namespace {

std::string LongScore()
{
    using namespace mx;
    static const char* const kSteps[] = {"C5", "D5", "E5", "F5", "G5", "A5", "B5", "C6"};
    std::vector<std::string> measures;
    for (int m = 1; m <= 256; ++m) {
        std::string content = m == 1 ? Attributes(4, 4, 4, 0) : "";
        content += "<harmony><root><root-step>F</root-step></root><kind>major</kind></harmony>";
        for (int s = 0; s < 16; ++s) {
            const std::string pitch = kSteps[(m + s) % 8];
            content += Note(pitch, 1, "<voice>1</voice><type>16th</type><stem>up</stem>" + Lyric("ら"));
            if (s % 4 == 0) {
                content += ChordNote("E4", 1, "<voice>1</voice><type>16th</type>");
                content += ChordNote("G4", 1, "<voice>1</voice><type>16th</type>");
            }
        }
        measures.push_back(Measure(m, content));
    }
    return OnePart(measures, "<work><work-title>bench</work-title></work>");
}

const std::vector<uint8_t>& PlainBytes()
{
    static const std::vector<uint8_t> bytes = mx::Bytes(LongScore());
    return bytes;
}

const std::vector<uint8_t>& CompressedBytes()
{
    static const std::vector<uint8_t> bytes = mx::Mxl(LongScore());
    return bytes;
}

void Import_MusicXml(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ImportScoreBytes(ScoreFormat::MusicXml, PlainBytes(), "bench.musicxml"));
    state.counters["bytes"] = static_cast<double>(PlainBytes().size());
}
BENCHMARK(Import_MusicXml)->Unit(benchmark::kMillisecond);

void Baseline_PugixmlParse(benchmark::State& state)
{
    for (auto _ : state) {
        pugi::xml_document doc;
        benchmark::DoNotOptimize(doc.load_buffer(PlainBytes().data(), PlainBytes().size()));
    }
}
BENCHMARK(Baseline_PugixmlParse)->Unit(benchmark::kMillisecond);

void Import_Mxl(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ImportScoreBytes(ScoreFormat::MusicXml, CompressedBytes(), "bench.mxl"));
}
BENCHMARK(Import_Mxl)->Unit(benchmark::kMillisecond);

// Opening the archive, unpacking the score entry and parsing it: nothing else.
void Baseline_UnzipParse(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = CompressedBytes();
    for (auto _ : state) {
        zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, nullptr);
        zip_t* z = zip_open_from_source(source, ZIP_RDONLY, nullptr);
        zip_stat_t st;
        zip_stat(z, "score.musicxml", 0, &st);
        std::vector<uint8_t> xml(st.size);
        zip_file_t* f = zip_fopen(z, "score.musicxml", 0);
        zip_fread(f, xml.data(), xml.size());
        zip_fclose(f);
        zip_discard(z);
        pugi::xml_document doc;
        benchmark::DoNotOptimize(doc.load_buffer(xml.data(), xml.size()));
    }
}
BENCHMARK(Baseline_UnzipParse)->Unit(benchmark::kMillisecond);

} // namespace
