#include "JetFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string_view>

namespace brivanto::testing::jet {
namespace {

using Bytes = std::vector<std::uint8_t>;

// What differs between the two versions of the format.
struct Format {
  std::size_t pageSize;
  std::size_t rowCountOffset;  // where a data page's header ends with its row count
  std::size_t maskedLength;    // bytes of the database page, from 0x18, under the RC4 mask
  std::size_t usageMapSize;    // every usage map record has this size, as Access writes them
  bool wide;                   // UCS-2 text; 2-byte row counts, row offsets and name lengths
  std::size_t DataHeaderSize() const { return rowCountOffset + 2; }
};

const Format kJet3{2048, 8, 126, 128, false};
const Format kJet4{4096, 12, 128, 64, true};

constexpr std::uint16_t kGeneralSortOrder = 0x409;
constexpr std::uint16_t kWindows1252CodePage = 1252;
constexpr std::size_t kMaxRowsPerPage = 255;  // a record pointer has one byte for the row

[[noreturn]] void Fail(const std::string& why) {
  throw std::runtime_error("cannot write the Jet file: " + why);
}

void Put(Bytes& bytes, std::size_t at, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) {
    bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

void Append(Bytes& bytes, std::uint32_t value, int width) {
  bytes.resize(bytes.size() + width);
  Put(bytes, bytes.size() - width, value, width);
}

void AppendZeros(Bytes& bytes, std::size_t count) {
  bytes.resize(bytes.size() + count);
}

// ---- Text -------------------------------------------------------------------------------------

std::u32string DecodeUtf8(std::string_view text) {
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};  // by sequence length
  std::u32string decoded;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<std::uint8_t>(text[i]);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x06 ? 2
                               : (lead >> 4) == 0x0E ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || i + length > text.size()) {
      Fail("invalid UTF-8 in \"" + std::string(text) + "\"");
    }
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<std::uint8_t>(text[i + k]);
      if ((next & 0xC0) != 0x80) {
        Fail("invalid UTF-8 in \"" + std::string(text) + "\"");
      }
      code = (code << 6) | (next & 0x3F);
    }
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      Fail("invalid UTF-8 in \"" + std::string(text) + "\"");
    }
    decoded.push_back(code);
    i += length;
  }
  return decoded;
}

// 0x80 to 0x9F; the rest of Windows-1252 is Latin-1. Zero marks the five unassigned bytes.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::uint8_t ToWindows1252(char32_t code, std::string_view text) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
    return static_cast<std::uint8_t>(code);
  }
  const auto* found = std::find(kWindows1252High.begin(), kWindows1252High.end(), code);
  if (found == kWindows1252High.end()) {
    Fail("\"" + std::string(text) + "\" has a character outside Windows-1252");
  }
  return static_cast<std::uint8_t>(0x80 + (found - kWindows1252High.begin()));
}

// Jet 4 text is uncompressed UCS-2, Jet 3 text is in the database's code page.
Bytes EncodeText(std::string_view text, const Format& format, std::size_t maxLength) {
  const std::u32string codes = DecodeUtf8(text);
  if (codes.size() > maxLength) {
    Fail("\"" + std::string(text) + "\" is longer than " + std::to_string(maxLength));
  }
  Bytes bytes;
  for (const char32_t code : codes) {
    if (!format.wide) {
      bytes.push_back(ToWindows1252(code, text));
    } else if (code > 0xFFFF) {
      Fail("\"" + std::string(text) + "\" has a character outside UCS-2");
    } else {
      Append(bytes, code, 2);
    }
  }
  return bytes;
}

Bytes EncodeName(std::string_view name, const Format& format) {
  constexpr std::size_t kMaxNameLength = 64;
  if (name.empty()) {
    Fail("a table or column has no name");
  }
  const Bytes text = EncodeText(name, format, kMaxNameLength);
  Bytes bytes;
  Append(bytes, static_cast<std::uint32_t>(text.size()), format.wide ? 2 : 1);
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}

std::int32_t ParseInteger(const std::string& text, std::int32_t low, std::int32_t high) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    Fail("\"" + text + "\" is not a number the column holds");
  }
  return value;
}

// ---- Tables as stored ---------------------------------------------------------------------------

// LongBinary is always NULL here: there is no long-value page to hold its data.
enum class StoredType : std::uint8_t {
  Integer = 0x03,
  Long = 0x04,
  Text = 0x0A,
  LongBinary = 0x0B
};

struct StoredColumn {
  std::string name;
  StoredType type;
  std::size_t maxLength = 0;  // characters, Text only

  bool IsFixed() const { return type != StoredType::Text && type != StoredType::LongBinary; }
  std::size_t FixedSize() const { return type == StoredType::Integer ? 2 : 4; }
};

struct StoredTable {
  std::string name;
  bool system = false;
  std::vector<StoredColumn> columns;
  const std::vector<Row>* rows = nullptr;
  std::uint32_t definitionPage = 0;
  std::vector<std::uint32_t> dataPages;
  std::uint32_t usedPagesMap = 0;  // record pointers: page << 8 | row
  std::uint32_t freePagesMap = 0;

  std::size_t VariableCount() const {
    return std::count_if(columns.begin(), columns.end(), [](auto& c) { return !c.IsFixed(); });
  }
};

StoredColumn StoreColumn(const Column& column) {
  if (column.type == ColumnType::Long) {
    return {column.name, StoredType::Long};
  }
  if (column.maxLength < 1 || column.maxLength > 255) {
    Fail("Text column " + column.name + " must hold 1 to 255 characters");
  }
  return {column.name, StoredType::Text, static_cast<std::size_t>(column.maxLength)};
}

// ---- Rows ---------------------------------------------------------------------------------------

// Jet 3 keeps one byte of each offset; its jump table names the entry at which each further 256
// bytes of the row begin, and its size follows from the row's length. Whether a row of exactly a
// multiple of 256 bytes takes one more entry is unclear, so such a row gets a byte of padding
// after its data, where no reader looks.
void AppendJet3Offsets(Bytes& row, const std::vector<std::size_t>& offsets, std::size_t maskSize) {
  std::size_t jumps = 0;
  for (;;) {
    const std::size_t length = row.size() + offsets.size() + jumps + 1 + maskSize;
    if (length % 256 == 0) {
      row.push_back(0);
    } else if (length / 256 != jumps) {
      jumps = length / 256;
    } else {
      break;
    }
  }
  for (auto offset = offsets.rbegin(); offset != offsets.rend(); ++offset) {
    row.push_back(static_cast<std::uint8_t>(*offset & 0xFF));
  }
  for (std::size_t jump = jumps; jump-- > 0;) {
    const auto first = std::find_if(offsets.begin(), offsets.end(),
                                    [&](std::size_t offset) { return offset >= 256 * (jump + 1); });
    row.push_back(first == offsets.end() ? 0xFF
                                         : static_cast<std::uint8_t>(first - offsets.begin()));
  }
}

// The fixed columns, then the variable ones, then from the end backwards: the null mask, the
// count of variable columns and their offsets from the row's start, last (end of data) first.
Bytes EncodeRow(const StoredTable& table, const Row& values, const Format& format) {
  const std::size_t count = table.columns.size();
  if (values.size() != count) {
    Fail("a row of " + table.name + " does not have " + std::to_string(count) + " values");
  }
  const int width = format.wide ? 2 : 1;
  Bytes row;
  Append(row, static_cast<std::uint32_t>(count), width);
  Bytes nullMask((count + 7) / 8);
  for (std::size_t i = 0; i < count; ++i) {
    if (values[i]) {
      nullMask[i / 8] |= static_cast<std::uint8_t>(1 << (i % 8));
    }
  }
  for (std::size_t i = 0; i < count; ++i) {
    const StoredColumn& column = table.columns[i];
    if (column.IsFixed()) {
      const bool isShort = column.type == StoredType::Integer;
      const std::int32_t value =
          !values[i] ? 0
          : isShort  ? ParseInteger(*values[i], std::numeric_limits<std::int16_t>::min(),
                                    std::numeric_limits<std::int16_t>::max())
                     : ParseInteger(*values[i], std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max());
      Append(row, static_cast<std::uint32_t>(value), static_cast<int>(column.FixedSize()));
    }
  }
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < count; ++i) {
    if (!table.columns[i].IsFixed()) {
      offsets.push_back(row.size());
      if (values[i]) {
        const Bytes text = EncodeText(*values[i], format, table.columns[i].maxLength);
        row.insert(row.end(), text.begin(), text.end());
      }
    }
  }
  if (!offsets.empty()) {
    const auto variableCount = static_cast<std::uint32_t>(offsets.size());
    offsets.push_back(row.size());
    if (format.wide) {
      for (auto offset = offsets.rbegin(); offset != offsets.rend(); ++offset) {
        Append(row, static_cast<std::uint32_t>(*offset), 2);
      }
    } else {
      AppendJet3Offsets(row, offsets, nullMask.size());
    }
    Append(row, variableCount, width);
  }
  row.insert(row.end(), nullMask.begin(), nullMask.end());
  return row;
}

// ---- Pages --------------------------------------------------------------------------------------

// A data page: row offsets grow from the header down, rows from the page's end up.
class DataPage {
 public:
  DataPage(const Format& format, std::uint32_t owner)
      : format_(&format), bytes_(format.pageSize), top_(format.pageSize) {
    bytes_[0] = 0x01;
    bytes_[1] = 0x01;
    Put(bytes_, 4, owner, 4);
    Update();
  }

  bool Add(const Bytes& row) {
    if (rows_ == kMaxRowsPerPage || row.size() + 2 > FreeSpace()) {
      return false;
    }
    top_ -= row.size();
    std::copy(row.begin(), row.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(top_));
    Put(bytes_, format_->DataHeaderSize() + 2 * rows_, static_cast<std::uint32_t>(top_), 2);
    ++rows_;
    Update();
    return true;
  }

  std::size_t RowCount() const { return rows_; }
  const Bytes& Contents() const { return bytes_; }

 private:
  std::size_t FreeSpace() const { return top_ - format_->DataHeaderSize() - 2 * rows_; }
  void Update() {
    Put(bytes_, 2, static_cast<std::uint32_t>(FreeSpace()), 2);
    Put(bytes_, format_->rowCountOffset, static_cast<std::uint32_t>(rows_), 2);
  }

  const Format* format_;
  Bytes bytes_;
  std::size_t top_;
  std::size_t rows_ = 0;
};

Bytes ColumnDescriptor(const StoredTable& table, std::size_t index, const Format& format) {
  const StoredColumn& column = table.columns[index];
  std::size_t fixedOffset = 0;
  std::size_t variableIndex = 0;
  for (std::size_t i = 0; i < index; ++i) {
    table.columns[i].IsFixed() ? fixedOffset += table.columns[i].FixedSize() : ++variableIndex;
  }
  const bool text = column.type == StoredType::Text;
  const bool fixed = column.IsFixed();
  const std::size_t length = text    ? column.maxLength * (format.wide ? 2 : 1)
                             : fixed ? column.FixedSize()
                                     : 0;          // long values have no limit
  const std::uint8_t flags = fixed ? 0x03 : 0x02;  // fixed length, nullable
  Bytes bytes{static_cast<std::uint8_t>(column.type)};
  if (format.wide) {
    AppendZeros(bytes, 4);
  }
  Append(bytes, static_cast<std::uint32_t>(index), 2);
  Append(bytes, fixed ? 0 : static_cast<std::uint32_t>(variableIndex), 2);
  Append(bytes, static_cast<std::uint32_t>(index), 2);
  Append(bytes, text ? kGeneralSortOrder : 0, 2);
  if (format.wide) {
    AppendZeros(bytes, 2);
    bytes.push_back(flags);
    AppendZeros(bytes, 5);  // not compressed
  } else {
    Append(bytes, text ? kWindows1252CodePage : 0, 2);
    AppendZeros(bytes, 2);
    bytes.push_back(flags);
  }
  Append(bytes, fixed ? static_cast<std::uint32_t>(fixedOffset) : 0, 2);
  Append(bytes, static_cast<std::uint32_t>(length), 2);
  return bytes;
}

Bytes TableDefinition(const StoredTable& table, const Format& format) {
  const auto columnCount = static_cast<std::uint32_t>(table.columns.size());
  Bytes page{0x02, 0x01, format.wide ? std::uint8_t{0} : std::uint8_t{'V'},
             format.wide ? std::uint8_t{0} : std::uint8_t{'C'}};
  Append(page, 0, 4);  // no further definition page
  Append(page, 0, 4);  // the definition's length, filled in below
  if (format.wide) {
    Append(page, 0, 4);
  }
  Append(page, static_cast<std::uint32_t>(table.rows->size()), 4);
  AppendZeros(page, format.wide ? 20 : 4);  // no autonumbers
  page.push_back(table.system ? 0x53 : 0x4E);
  Append(page, columnCount, 2);
  Append(page, static_cast<std::uint32_t>(table.VariableCount()), 2);
  Append(page, columnCount, 2);
  Append(page, 0, 4);  // no indexes
  Append(page, 0, 4);
  Append(page, table.usedPagesMap, 4);
  Append(page, table.freePagesMap, 4);
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const Bytes descriptor = ColumnDescriptor(table, i, format);
    page.insert(page.end(), descriptor.begin(), descriptor.end());
  }
  for (const StoredColumn& column : table.columns) {
    const Bytes name = EncodeName(column.name, format);
    page.insert(page.end(), name.begin(), name.end());
  }
  if (page.size() > format.pageSize) {
    Fail("the definition of " + table.name + " does not fit on one page");
  }
  Put(page, 8, static_cast<std::uint32_t>(page.size() - 8), 4);
  if (format.wide) {
    Put(page, 2, static_cast<std::uint32_t>(format.pageSize - page.size() - 8), 2);
  }
  page.resize(format.pageSize);
  return page;
}

// The database page hides its settings under RC4 with a fixed key; a database key of zero
// (once unmasked) says the other pages are not encrypted.
void MaskDatabasePage(Bytes& page, const Format& format) {
  constexpr std::array<std::uint8_t, 4> kKey = {0xC7, 0xDA, 0x39, 0x6B};
  std::array<std::uint8_t, 256> state;
  for (std::size_t i = 0; i < state.size(); ++i) {
    state[i] = static_cast<std::uint8_t>(i);
  }
  for (std::size_t i = 0, j = 0; i < state.size(); ++i) {
    j = (j + state[i] + kKey[i % kKey.size()]) % 256;
    std::swap(state[i], state[j]);
  }
  for (std::size_t n = 0, i = 0, j = 0; n < format.maskedLength; ++n) {
    i = (i + 1) % 256;
    j = (j + state[i]) % 256;
    std::swap(state[i], state[j]);
    page[0x18 + n] ^= state[(state[i] + state[j]) % 256];
  }
}

Bytes DatabasePage(const Format& format) {
  constexpr std::string_view kSignature = "Standard Jet DB";
  Bytes page(format.pageSize);
  page[1] = 0x01;
  std::copy(kSignature.begin(), kSignature.end(), page.begin() + 4);
  page[0x14] = format.wide ? 0x01 : 0x00;
  Put(page, format.wide ? 0x6E : 0x3A, kGeneralSortOrder, 2);
  Put(page, 0x3C, kWindows1252CodePage, 2);
  Put(page, 0x3E, 0, 4);  // the database key
  MaskDatabasePage(page, format);
  return page;
}

// ---- The file -----------------------------------------------------------------------------------

constexpr std::uint32_t kCatalogPage = 2;  // where every reader looks for MSysObjects
constexpr std::uint32_t kFirstMapPage = 1;
constexpr std::int32_t kTablesContainerId = 0x0F000001;
constexpr std::int32_t kSystemObjectFlags = static_cast<std::int32_t>(0x80000002u);

class JetWriter {
 public:
  explicit JetWriter(const Format& format) : format_(format), mapPage_(format, 0) {}

  void Write(const std::filesystem::path& file, const std::vector<Table>& tables) {
    std::vector<StoredTable> stored = StoreTables(tables);
    pages_.resize(kCatalogPage + stored.size());
    for (StoredTable& table : stored) {
      WriteRows(table);
    }
    for (StoredTable& table : stored) {
      table.usedPagesMap = AddMapRecord(UsageMap(table.dataPages));
      table.freePagesMap = AddMapRecord(UsageMap({}));  // no free space to offer
      pages_[table.definitionPage] = TableDefinition(table, format_);
    }
    pages_[mapPageNumber_] = mapPage_.Contents();
    pages_[0] = DatabasePage(format_);
    Save(file);
  }

 private:
  std::vector<StoredTable> StoreTables(const std::vector<Table>& tables) {
    std::vector<StoredTable> stored(1);
    StoredTable& catalog = stored.front();
    catalog.name = "MSysObjects";
    catalog.system = true;
    catalog.columns = {{"Id", StoredType::Long},        {"ParentId", StoredType::Long},
                       {"Name", StoredType::Text, 128}, {"Type", StoredType::Integer},
                       {"Flags", StoredType::Long},     {"LvProp", StoredType::LongBinary}};
    catalog.rows = &catalogRows_;
    catalog.definitionPage = kCatalogPage;
    catalogRows_ = {
        CatalogRow(kTablesContainerId, 0x0F000000, "Tables", 3, kSystemObjectFlags),
        CatalogRow(kCatalogPage, kTablesContainerId, "MSysObjects", 1, kSystemObjectFlags)};
    for (const Table& table : tables) {
      StoredTable& next = stored.emplace_back();
      next.name = table.name;
      std::transform(table.columns.begin(), table.columns.end(), std::back_inserter(next.columns),
                     StoreColumn);
      next.rows = &table.rows;
      next.definitionPage = kCatalogPage + static_cast<std::uint32_t>(stored.size()) - 1;
      catalogRows_.push_back(CatalogRow(static_cast<std::int32_t>(next.definitionPage),
                                        kTablesContainerId, table.name, 1, 0));
    }
    return stored;
  }

  static Row CatalogRow(std::int32_t id, std::int32_t parentId, const std::string& name, int type,
                        std::int32_t flags) {
    return {std::to_string(id),   std::to_string(parentId), name,
            std::to_string(type), std::to_string(flags),    std::nullopt};
  }

  std::uint32_t AddPage(Bytes contents) {
    pages_.push_back(std::move(contents));
    return static_cast<std::uint32_t>(pages_.size() - 1);
  }

  void WriteRows(StoredTable& table) {
    if (table.columns.empty() || table.columns.size() > 255) {
      Fail(table.name + " must have 1 to 255 columns");
    }
    DataPage page(format_, table.definitionPage);
    for (const Row& values : *table.rows) {
      const Bytes row = EncodeRow(table, values, format_);
      if (!page.Add(row)) {
        table.dataPages.push_back(AddPage(page.Contents()));
        page = DataPage(format_, table.definitionPage);
        if (!page.Add(row)) {
          Fail("a row of " + table.name + " does not fit on a page");
        }
      }
    }
    if (page.RowCount() > 0) {
      table.dataPages.push_back(AddPage(page.Contents()));
    }
  }

  // Type 0 holds a bitmap of the pages from a start page on; pages spread wider than that get
  // type 1, which points to whole pages of bitmap, each for its own range of page numbers.
  Bytes UsageMap(const std::vector<std::uint32_t>& pages) {
    const std::size_t inlineBits = (format_.usageMapSize - 5) * 8;
    const std::uint32_t start = pages.empty() ? 0 : pages.front();
    Bytes map(format_.usageMapSize);
    if (pages.empty() || pages.back() - start < inlineBits) {
      Put(map, 1, start, 4);
      for (const std::uint32_t page : pages) {
        map[5 + (page - start) / 8] |= static_cast<std::uint8_t>(1 << ((page - start) % 8));
      }
      return map;
    }
    map[0] = 0x01;
    const std::size_t bitsPerPage = (format_.pageSize - 4) * 8;
    std::vector<std::uint32_t> bitmapPages((format_.usageMapSize - 1) / 4);
    for (const std::uint32_t page : pages) {
      const std::size_t slot = page / bitsPerPage;
      if (slot >= bitmapPages.size()) {
        Fail("the database is too large for a usage map");
      }
      if (bitmapPages[slot] == 0) {
        Bytes bitmap(format_.pageSize);
        bitmap[0] = 0x05;
        bitmap[1] = 0x01;
        bitmapPages[slot] = AddPage(std::move(bitmap));
        Put(map, 1 + 4 * slot, bitmapPages[slot], 4);
      }
      const std::size_t bit = page % bitsPerPage;
      pages_[bitmapPages[slot]][4 + bit / 8] |= static_cast<std::uint8_t>(1 << (bit % 8));
    }
    return map;
  }

  // Usage maps are rows of data pages that belong to no table: page 1, then more at the end.
  std::uint32_t AddMapRecord(const Bytes& map) {
    if (!mapPage_.Add(map)) {
      pages_[mapPageNumber_] = mapPage_.Contents();
      mapPageNumber_ = AddPage({});
      mapPage_ = DataPage(format_, 0);
      mapPage_.Add(map);
    }
    return mapPageNumber_ << 8 | static_cast<std::uint32_t>(mapPage_.RowCount() - 1);
  }

  void Save(const std::filesystem::path& file) const {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (const Bytes& page : pages_) {
      out.write(reinterpret_cast<const char*>(page.data()),
                static_cast<std::streamsize>(page.size()));
    }
    if (!out.flush()) {
      Fail("cannot write " + file.string());
    }
  }

  const Format& format_;
  std::vector<Row> catalogRows_;
  std::vector<Bytes> pages_;
  DataPage mapPage_;
  std::uint32_t mapPageNumber_ = kFirstMapPage;
};

}  // namespace

void WriteJetFile(const std::filesystem::path& file, Version version,
                  const std::vector<Table>& tables) {
  JetWriter(version == Version::Jet3 ? kJet3 : kJet4).Write(file, tables);
}

}  // namespace brivanto::testing::jet
