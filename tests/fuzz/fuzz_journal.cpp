// The two small files the program reads from folders it does not trust, on
// arbitrary bytes: the commit's journal and the package's digest file. Whatever
// either parser accepts must be written back by the program the same way.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "update/digest.h"
#include "update/file_list.h"
#include "update/journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto journal = parseJournal(text)) {
        const auto again = parseJournal(journalText(*journal));
        if (!again || again->entries.size() != journal->entries.size() ||
            journal->entries.size() > static_cast<std::size_t>(UpdateFileCount)) {
            std::abort();
        }
        for (std::size_t i = 0; i < journal->entries.size(); ++i) {
            const JournalEntry& a = journal->entries[i];
            const JournalEntry& b = again->entries[i];
            if (a.index != b.index || a.hadOld != b.hadOld || a.size != b.size || a.index < 0 ||
                a.index >= UpdateFileCount) {
                std::abort();
            }
        }
    }
    if (const auto digests = parseDigestFile(text)) {
        std::string written;
        for (const auto& [name, digest] : *digests) {
            written += digestLine(name, digest);
        }
        const auto again = parseDigestFile(written);
        if (!again || *again != *digests) {
            std::abort();
        }
    }
    return 0;
}
