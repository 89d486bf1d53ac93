#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace brivanto::maintenance {

// The lines of the result list, packed: a million rows cost their bytes and a four-byte offset
// each, not an allocation each. Lines live in blocks that never move once written, so appending
// never copies what is already stored.
class LineStore {
 public:
  // Gives all memory back: a cleared list holds nothing of a long result.
  void Clear();
  // Throws std::length_error for a line of 4 GiB or more.
  void Append(std::string_view line);
  std::size_t Count() const { return ends_.size(); }
  // Throws std::out_of_range past the last line. The view stays valid until Clear().
  std::string_view Line(std::size_t index) const;

 private:
  struct Block {
    std::unique_ptr<char[]> bytes;
    std::size_t capacity;
    std::size_t firstLine;  // the index of the first line it holds; every block holds one
  };

  std::vector<Block> blocks_;
  // Where each line ends in its block; a line begins where the one before it in the same block
  // ends, the first of a block at its start.
  std::vector<std::uint32_t> ends_;
  std::size_t used_ = 0;  // bytes written into the last block
};

}  // namespace brivanto::maintenance
