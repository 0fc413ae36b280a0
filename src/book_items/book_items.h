#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace orlavo {

// The items of one book, kept as one UTF-8 text in which the items follow each other, one line
// end between two, and a small index into it. An item never holds a line end, so the text alone
// tells where each item ends; the index only has to say where every 128th item starts, and at(i)
// walks from there with memchr. That costs an eighth of a byte an item, so even a book of
// one-byte items stays within about 1.13 times its text, where a table of spans cost 16 bytes an
// item. A block of 128 items that spans many kilobytes keeps all its starts, so at(i) never walks
// far, however long an item is.
class BookItems {
  public:
    // Where the items of a text start, told one item at a time, in order.
    class Index {
      public:
        // Room for a text of `textSize` bytes, taken as address space only: pages never used
        // cost no memory, and the index never has to be copied as it grows.
        void ReserveFor(std::size_t textSize);
        // The next item, `length` bytes long, starting one line end after the previous one (at 0
        // for the first). A book of more items than an int32 list holds is refused with a
        // RuntimeError.
        void Add(std::size_t length) {
            // Inline: the item reader calls it a million times for a large book.
            if (m_count == kMostItems) {
                RefuseMoreItems();
            }
            const std::size_t inBlock = static_cast<std::size_t>(m_count) % kBlock;
            m_open[inBlock] = m_next;
            if (inBlock == kBlock - 1) {
                CloseBlock(m_next + length);
            }
            m_next += length + 1;
            ++m_count;
        }

        std::int32_t size() const { return m_count; }
        // How long the text of the items told so far is.
        std::size_t TextSize() const { return m_count == 0 ? 0 : m_next - 1; }
        std::string_view At(std::string_view text, std::int32_t index) const;

      private:
        static constexpr std::size_t kBlock = 128;
        static constexpr std::size_t kNoStarts = static_cast<std::size_t>(-1);
        static constexpr std::int32_t kMostItems = std::numeric_limits<std::int32_t>::max();

        [[noreturn]] static void RefuseMoreItems();
        // Files the full block being filled, whose last item ends at `end`.
        void CloseBlock(std::size_t end);

        struct Block {
            std::size_t start;   // of its first item
            std::size_t starts;  // where its items' starts are in m_starts, or kNoStarts
        };

        std::int32_t m_count = 0;
        std::size_t m_next = 0;  // where the next item starts
        std::vector<Block> m_blocks;
        std::vector<std::size_t> m_starts;         // of every item of the blocks that span far
        std::array<std::size_t, kBlock> m_open{};  // the starts in the block being filled
    };

    // A block of 128 items longer than this keeps the start of each of them, for 1 KiB: at most 3
    // per cent of its text, and at(i) never searches more than this many bytes.
    static constexpr std::size_t kFarSpan = 32 * 1024;

    BookItems() = default;
    // `text` holds the items `index` tells, one line end between two, and nothing else.
    BookItems(std::string text, Index index);

    std::int32_t size() const { return m_index.size(); }
    bool empty() const { return m_index.size() == 0; }
    // The item at `index`; std::out_of_range when there is none.
    std::string_view at(std::int32_t index) const;

  private:
    std::string m_text;
    Index m_index;
};

}  // namespace orlavo
