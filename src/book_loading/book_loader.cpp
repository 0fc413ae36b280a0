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

#include "book_items/item_reader.h"
#include "book_language/book_language.h"
#include "book_loading/book_title.h"
#include "book_loading/pick_file.h"
#include "platform/memory_budget.h"
#include "platform/runtime_error.h"
#include "text_decoding/text_decoder.h"
#include "texts/program_texts.h"

namespace orlavo {
namespace {

// What a load's job owns, shared with the command that waits for it: the command may give up on
// a file that stopped answering and go on, while the job is still inside the read.
struct Load {
    explicit Load(std::shared_ptr<FileReader> reader) : files(std::move(reader)) {}

    // Once the command has given up on this load, the job stops: a job whose file answers late
    // lets go of the bytes it read, and claims nothing more, before the next load takes its own.
    void GoOn() const {
        if (abandoned) {
            throw Abandoned();
        }
    }
    // Refuses unless the memory budget allows `bytes` more.
    void Claim(std::size_t bytes) const {
        GoOn();
        if (!MemoryAllows(bytes, files->MemoryAvailable())) {
            throw std::bad_alloc();
        }
    }

    struct Abandoned {};

    const std::shared_ptr<FileReader> files;
    ReadProgress bytesRead{0};
    std::atomic<bool> readDone{false};
    std::atomic<bool> abandoned{false};
    BookItems items;
    std::string language;
    std::exception_ptr error;
};

// Reads, decodes, names the language and splits the items, off the window's thread.
void ReadAndSplit(Load& load, const std::string& path) {
    try {
        std::string bytes = load.files->ReadAll(path, kLargestBook, load.bytesRead);
        load.readDone = true;
        load.GoOn();
        std::string charset;
        // A book in another encoding than UTF-8 costs its UTF-8 text beside its file for a
        // moment; every book the index of its items, an eighth of a byte a byte at most (as
        // measured over shapes from one line of 100 MB to 300 MB of commas).
        std::string text = DecodeBookText(std::move(bytes), &charset, [&load](std::size_t decoded) {
            load.Claim(decoded + decoded / 8);
        });
        load.language = GuessBookLanguage(text, charset);
        load.Claim(text.size() / 8);
        load.items = ReadBookItems(std::move(text));
    } catch (const Load::Abandoned&) {
        // Nobody waits for it any more.
    } catch (...) {
        load.error = std::current_exception();
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
    auto load = std::make_shared<Load>(m_services.files);
    const bool finished = m_services.background.Run(
        [load, path] { ReadAndSplit(*load, path); },
        [&load = *load, seen = std::uint64_t{0},
         lastNews = std::chrono::milliseconds{0}](std::chrono::milliseconds waited) mutable {
            // Decoding and splitting always move on; only the file itself can stop answering.
            if (load.readDone || load.bytesRead != seen) {
                seen = load.bytesRead;
                lastNews = waited;
            }
            return waited - lastNews < kLongestReadStall;
        });
    if (!finished) {
        load->abandoned = true;
    }
    try {
        if (!finished) {
            throw RuntimeError(kFileCannotBeRead, FileStoppedAnsweringText(kLongestReadStall));
        }
        if (load->error) {
            std::rethrow_exception(load->error);
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
    BookItems items = std::move(load->items);
    std::string language = std::move(load->language);

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
