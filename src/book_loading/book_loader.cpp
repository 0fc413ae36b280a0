#include "book_loading/book_loader.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "book_language/book_language.h"
#include "book_loading/book_title.h"
#include "book_items/item_reader.h"
#include "book_loading/pick_file.h"
#include "text_decoding/text_decoder.h"
#include "platform/runtime_error.h"
#include "texts/program_texts.h"

namespace orlavo {
namespace {

// Asked before the memory is taken: on a system that has not got it, taking it would not fail but
// have the kernel end the program once the pages are touched. Refused, the person keeps the book
// they had and is told there is not enough memory.
void RefuseUnlessMemoryFor(FileReader& files, std::size_t bytes) {
    const std::optional<std::size_t> available = files.MemoryAvailable();
    if (available && bytes + kMemoryMargin > *available) {
        throw std::bad_alloc();
    }
}

}  // namespace

BookLoader::BookLoader(Form1Members& members, LoadingServices services)
    : m_members(members), m_services(services) {}

void BookLoader::LoadEBook_Click() {
    const std::vector<std::string> patterns{"*.TxT", ""};
    const std::vector<std::string> descriptions{"TxT", ""};
    std::string chosen = PickFile(kLoadDialogTitle, patterns, descriptions, 1.0F,
                                  m_services.fileDialog, m_services.app);
    // Cancel leaves only spaces: no path, nothing to do.
    if (chosen.find(kPathSeparator) == std::string::npos) {
        return;
    }
    const std::string path = chosen.substr(0, chosen.find('\0'));

    // Everything that can fail happens before anything on screen changes, so a file that cannot
    // be used never costs the person the book they had.
    struct Loaded {
        ReadProgress bytesRead{0};
        std::atomic<bool> readDone{false};
        BookItems items;
        std::string language;
        std::exception_ptr error;
    };
    auto loaded = std::make_shared<Loaded>();
    const bool finished = m_services.background.Run(
        [loaded, &files = m_services.files, path] {
            try {
                std::string bytes = files.ReadAll(path, kLargestBook, loaded->bytesRead);
                loaded->readDone = true;
                std::string charset;
                // A book in another encoding than UTF-8 costs its UTF-8 text beside its file for a
                // moment; every book the index of its items, an eighth of a byte a byte at most (as
                // measured over shapes from one line of 100 MB to 300 MB of commas).
                std::string text =
                    DecodeBookText(std::move(bytes), &charset, [&files](std::size_t decoded) {
                        RefuseUnlessMemoryFor(files, decoded + decoded / 8);
                    });
                loaded->language = GuessBookLanguage(text, charset);
                RefuseUnlessMemoryFor(files, text.size() / 8);
                loaded->items = ReadBookItems(std::move(text));
            } catch (...) {
                loaded->error = std::current_exception();
            }
        },
        [&loaded = *loaded, seen = std::uint64_t{0},
         lastNews = std::chrono::milliseconds{0}](std::chrono::milliseconds waited) mutable {
            // Decoding and splitting always move on; only the file itself can stop answering.
            if (loaded.readDone || loaded.bytesRead != seen) {
                seen = loaded.bytesRead;
                lastNews = waited;
            }
            return waited - lastNews < kLongestReadStall;
        });
    try {
        if (!finished) {
            throw RuntimeError(kFileCannotBeRead, FileStoppedAnsweringText(kLongestReadStall));
        }
        if (loaded->error) {
            std::rethrow_exception(loaded->error);
        }
    } catch (const RuntimeError& error) {
        m_services.dialogs.MsgBox(CouldNotLoadText(path, error.what()), MessageStyle::kExclamation,
                                  kProgramName);
        return;
    } catch (const std::bad_alloc&) {
        m_services.dialogs.MsgBox(CouldNotLoadText(path, kNotEnoughMemory),
                                  MessageStyle::kExclamation, kProgramName);
        return;
    }
    BookItems items = std::move(loaded->items);
    std::string language = std::move(loaded->language);

    m_members.SourcePath = std::move(chosen);
    m_members.m_bookLanguage = std::move(language);
    // A new book is read from its start; a reading loop still running over the old one sees the
    // generation change and ends.
    m_members.LinePos = 0;
    ++m_members.m_bookGeneration;

    m_services.pathBox.SetText(path);
    m_services.list.ReplaceItems(std::move(items));
    m_members.m_bookTitle = BookTitle(path);
    m_services.title.SetCaption(m_members.m_bookTitle);
    m_services.dialogs.MsgBox(std::string(kLoadedFrom) + "\r\n" + path, MessageStyle::kExclamation,
                              kProgramName);
}

}  // namespace orlavo
