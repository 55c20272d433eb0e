#include "tools/demo/sample_content.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "update/file_list.h"

namespace demo {

namespace {

enum class Kind { Binary, Text };

Kind kindOf(const char* name) {
    const char* dot = std::strrchr(name, '.');
    if (dot && (std::strcmp(dot, ".cfg") == 0 || std::strcmp(dot, ".txt") == 0 ||
                std::strcmp(dot, ".lng") == 0))
        return Kind::Text;
    return Kind::Binary;
}

// xorshift: fast, and the same sequence on every platform.
struct Random {
    std::uint32_t state;
    explicit Random(std::uint32_t seed) : state(seed * 2654435761u + 0x9E3779B9u) {}
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

// Sizes vary from a few hundred bytes to more than one 64 KiB copy chunk, so the
// update crosses chunk boundaries and small files alike.
std::size_t sizeOf(int index, int version) {
    Random random(static_cast<std::uint32_t>(index * 31 + version));
    if (index == 0)
        return 1'400'000 + version * 3'000 + random.next() % 4096;
    switch (random.next() % 4) {
    case 0:
        return 200 + random.next() % 800;
    case 1:
        return 2'000 + random.next() % 6'000;
    case 2:
        return 20'000 + random.next() % 40'000;
    default:
        return 65'536 + random.next() % 200'000;
    }
}

std::string makeContents(int index, int version, const char* versionText) {
    const UpdateFileEntry& entry = UpdateFileList[index];
    std::size_t size = sizeOf(index, version);
    std::string out;
    out.reserve(size + 128);
    Random random(static_cast<std::uint32_t>(index * 7919 + version * 104729));
    if (kindOf(entry.name) == Kind::Text) {
        int line = 1;
        while (out.size() < size) {
            out += "; ";
            out += entry.name;
            out += " for Tactico ";
            out += versionText;
            out += ", line ";
            out += std::to_string(line++);
            out += ", value ";
            out += std::to_string(random.next() % 100000);
            out += "\r\n";
        }
    } else {
        out = "TACTICO ";
        out += versionText;
        out += ' ';
        out += entry.name;
        out += '\0';
        while (out.size() < size)
            out += static_cast<char>(random.next() & 0xFF);
    }
    out.resize(size);
    return out;
}

const char* const ReadmeBodies[8] = {
    "Tactico 3.84 data update\r\n\r\nThis update brings the new season's clubs, players "
    "and competitions.\r\nSaved quick-start games of the old version should be removed.\r\n",
    "Actualizaci\xF3n de datos de Tactico 3.84\r\n\r\nEsta actualizaci\xF3n trae los clubes, "
    "jugadores y competiciones de la nueva temporada.\r\n",
    "Mise \xE0 jour des donn\xE9"
    "es de Tactico 3.84\r\n\r\nCette mise \xE0 jour apporte les "
    "clubs, joueurs et comp\xE9titions de la nouvelle saison.\r\n",
    "Aggiornamento dei dati di Tactico 3.84\r\n\r\nQuesto aggiornamento porta i club, i "
    "giocatori e le competizioni della nuova stagione. Perch\xE9 no?\r\n",
    "Tactico 3.84 dataoppdatering\r\n\r\nDenne oppdateringen gir nye klubber, spillere og "
    "turneringer for sesongen. L\xF8pende kamper p\xE5virkes ikke.\r\n",
    "Actualiza\xE7\xE3o de dados do Tactico 3.84\r\n\r\nEsta actualiza\xE7\xE3o traz os "
    "clubes, jogadores e competi\xE7\xF5"
    "es da nova \xE9poca.\r\n",
    "Tactico 3.84 datauppdatering\r\n\r\nDenna uppdatering ger s\xE4songens nya klubbar, "
    "spelare och t\xE4vlingar. F\xF6rb\xE4ttrad databas.\r\n",
    "Tactico 3.84 gegevensupdate\r\n\r\nDeze update bevat de clubs, spelers en competities "
    "van het nieuwe seizoen. Ge\xEFnstalleerd in \xE9\xE9n keer.\r\n",
};

} // namespace

namespace {

// Made once per entry and version: the tests build and compare whole samples
// hundreds of times.
const std::string& madeOnce(int index, int generation, const char* versionText) {
    static std::map<std::pair<int, int>, std::string> made;
    const auto [place, added] = made.try_emplace({index, generation});
    if (added) {
        place->second = makeContents(index, generation, versionText);
    }
    return place->second;
}

} // namespace

std::string oldContents(int index) {
    if (isReadmeEntry(index))
        return "Tactico 3.69 readme\r\n\r\nThe installed version's notes.\r\n";
    return madeOnce(index, 0, "3.69");
}

std::string newContents(int index) {
    return madeOnce(index, 1, "3.84");
}

std::string readmeContents(int language) {
    return ReadmeBodies[language & 7];
}

const ExtraFile QuickStartFiles[QuickStartFileCount] = {
    {"qstart/premier.qst", "quick-start game saved by Tactico 3.69\r\n", false},
    {"qstart/cup_run.qst", "another quick-start game of the old version\r\n", true},
};
const ExtraFile QuickStartNotes = {"qstart/notes.txt", "not a quick-start game\r\n", false};

} // namespace demo
