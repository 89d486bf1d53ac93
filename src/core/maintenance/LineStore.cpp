#include "maintenance/LineStore.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

namespace brivanto::maintenance {
namespace {

// Blocks grow from small, so a short result costs little, to a size at which a million lines
// need a few dozen of them and the unused end of each is negligible.
constexpr std::size_t kFirstBlockSize = 4096;
constexpr std::size_t kLargestBlockSize = std::size_t{1} << 20;

}  // namespace

void LineStore::Clear() {
  std::vector<Block>().swap(blocks_);
  std::vector<std::uint32_t>().swap(ends_);
  used_ = 0;
}

void LineStore::Append(std::string_view line) {
  if (line.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("LineStore takes no line of 4 GiB or more");
  }
  if (blocks_.empty() || blocks_.back().capacity - used_ < line.size()) {
    const std::size_t grown = blocks_.empty()
                                  ? kFirstBlockSize
                                  : std::min(2 * blocks_.back().capacity, kLargestBlockSize);
    const std::size_t capacity = std::max(grown, line.size());
    blocks_.push_back({std::make_unique_for_overwrite<char[]>(capacity), capacity, ends_.size()});
    used_ = 0;
  }
  if (!line.empty()) {
    std::memcpy(blocks_.back().bytes.get() + used_, line.data(), line.size());
  }
  used_ += line.size();
  // A block is no larger than its longest line or the largest block size, so this fits.
  ends_.push_back(static_cast<std::uint32_t>(used_));
}

std::string_view LineStore::Line(std::size_t index) const {
  if (index >= ends_.size()) {
    throw std::out_of_range("LineStore has no line " + std::to_string(index));
  }
  const auto block = std::upper_bound(blocks_.begin(), blocks_.end(), index,
                                      [](std::size_t line, const Block& candidate) {
                                        return line < candidate.firstLine;
                                      }) -
                     1;
  const std::size_t begin = index == block->firstLine ? 0 : ends_[index - 1];
  return {block->bytes.get() + begin, ends_[index] - begin};
}

}  // namespace brivanto::maintenance
