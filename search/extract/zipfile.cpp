#include "search/extract/zipfile.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "classlib/bytereader.h"
#include "classlib/codepage.h"
#include "search/extract/textextractor.h"
#include "search/extract/zinflate.h"

// Format notes (all numbers little-endian):
//   local header      "PK" 3 4, then 26 bytes: version 0, flags 2, method 4,
//                     time 6, date 8, crc 10, compressed size 14,
//                     uncompressed size 18, name length 22, extra length 24;
//                     then the name, the extra field and the data.
//   flags             bit 3: crc and sizes are zero here and follow the data
//                     in a data descriptor ("PK" 7 8 optional, crc, sizes);
//                     bit 11: the name is UTF-8, else the DOS (OEM) code page.
//   extra field       records of tag (2), length (2), data. Tag 1 (zip64)
//                     holds 64-bit values for the fields that read
//                     0xFFFFFFFF: uncompressed size, compressed size, header
//                     offset, in that order; with it a data descriptor has
//                     64-bit sizes.
//   central directory "PK" 1 2 records of 46 bytes: flags 8, method 10,
//                     compressed size 20, uncompressed size 24, name length
//                     28, extra length 30, comment length 32, local header
//                     offset 42; then name, extra field, comment.
//   end record        "PK" 5 6, 22 bytes plus a comment of up to 64 KiB:
//                     directory size 12, directory offset 16; both 0xFFFFFFFF
//                     when a zip64 end record (found through the locator
//                     "PK" 6 7 just before it) holds them.

namespace {

constexpr uint32_t kSaturated = 0xFFFFFFFF;
constexpr uint16_t kFlagDataDescriptor = 1 << 3;
constexpr uint16_t kFlagUtf8Name = 1 << 11;
constexpr size_t kLocalFixedBytes = 26;
constexpr size_t kCentralFixedBytes = 46;
constexpr size_t kEndRecordBytes = 22;
constexpr size_t kMaxCommentBytes = 0xFFFF;
constexpr size_t kMaxNameBytes = 126;

bool HasSignature(const uint8_t* p, uint8_t third, uint8_t fourth) {
  return p[0] == 'P' && p[1] == 'K' && p[2] == third && p[3] == fourth;
}

// The data of the zip64 record of an extra field, or null.
const uint8_t* FindZip64(const uint8_t* extra, size_t length, size_t& dataLength) {
  ByteReader r(extra, length);
  while (r.Remaining() >= 4) {
    uint16_t tag = r.Le16();
    uint16_t size = r.Le16();
    if (size > r.Remaining()) return nullptr;
    if (tag == 1) {
      dataLength = size;
      return r.Current();
    }
    r.Skip(size);
  }
  return nullptr;
}

// Replaces each saturated value by the next 64-bit value of the zip64
// record, as long as the record has one.
void ResolveZip64(const uint8_t* extra, size_t length, uint64_t* values[], size_t count) {
  size_t dataLength = 0;
  const uint8_t* data = FindZip64(extra, length, dataLength);
  if (data == nullptr) return;
  ByteReader r(data, dataLength);
  for (size_t i = 0; i < count; ++i) {
    if (*values[i] != kSaturated) continue;
    if (r.Remaining() < 8) return;
    *values[i] = r.Le64();
  }
}

// ASCII letters in lower case, but not the second byte of a double-byte
// character: lowering it would make another character of it.
std::string LowerAsciiLetters(std::string_view name) {
  std::string lowered(name);
  for (size_t i = 0; i < lowered.size(); ++i) {
    char& c = lowered[i];
    if (IsAnsiLeadByte(static_cast<unsigned char>(c))) ++i;
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

TUnzipResult UnzipResultOf(TZInflateResult result) {
  switch (result) {
    case zrComplete: return urComplete;
    case zrTruncated: return urTruncated;
    case zrDamaged: return urDamaged;
    case zrStopped: return urStopped;
  }
  return urDamaged;
}

std::string ConvertName(const char* raw, uint16_t flags) {
  std::string name(raw, strnlen(raw, kMaxNameBytes));
  if (flags & kFlagUtf8Name) {
    name = WideToMultiByte(MultiByteToWide(name, kUtf8CodePage), kAnsiCodePage);
  } else {
    name = OemToCharString(name);
  }
  return ZipSlashToBackslash(LowerAsciiLetters(name));
}

}  // namespace

std::string ZipSlashToBackslash(std::string name) {
  for (char& c : name)
    if (c == '/') c = '\\';
  return name;
}

TZipFile::TZipFile() {
  names_.SetSorted(true);
  names_.SetDuplicates(dupIgnore);
  names_.SetOwnsObjects(true);
}

TZipFile::~TZipFile() { Close(); }

void TZipFile::Close() {
  header_ = nullptr;
  walk_ = 0;
  names_.Clear();
  central_.clear();
  mapping_.Close();
  view_ = nullptr;
  size_ = 0;
}

void TZipFile::Open(const std::string& fileName) {
  Close();
  fileName_ = fileName;
  switch (mapping_.Open(fileName)) {
    case mrMapped: break;
    case mrCannotOpen: throw EErrorInZip("Couldn't open: " + fileName);
    case mrMappingFailed: throw EErrorInZip("CreateFileMapping failed");
    case mrViewFailed: throw EErrorInZip("MapViewOfFile failed");
  }
  view_ = mapping_.View();
  size_ = static_cast<uint32_t>(mapping_.Size());
  List();
}

void TZipFile::OpenMemory(const void* data, size_t size) {
  Close();
  fileName_.clear();
  if (size > kSaturated) throw EErrorInZip("MapViewOfFile failed");
  view_ = size == 0 ? nullptr : static_cast<const uint8_t*>(data);
  size_ = static_cast<uint32_t>(size);
  List();
}

void TZipFile::List() {
  ReadCentralDirectory();
  TZipLocalHeader header;
  for (bool found = FindFirstHeader(header); found; found = FindNextHeader()) AddName(header);
  header_ = nullptr;
}

void TZipFile::AddName(const TZipLocalHeader& header) {
  std::string name = ConvertName(header.Name, header.Flags);
  int index;
  // The first header of a name wins.
  if (names_.Find(name, index)) return;
  auto entry = std::make_unique<TZipEntry>();
  entry->HeaderOffset = static_cast<uint32_t>(header.Place - view_);
  entry->DataOffset = static_cast<uint32_t>(entry->HeaderOffset + kLocalFixedBytes + header.NameLength +
                                            header.ExtraLength);
  entry->CompressedSize = header.CompressedSize;
  entry->UncompressedSize = header.UncompressedSize;
  entry->Method = header.Method;
  names_.AddObject(name, entry.get());
  entry.release();
}

// Only entries whose local header leaves its sizes open need the central
// directory; a damaged directory costs just those entries.
void TZipFile::ReadCentralDirectory() {
  central_.clear();
  if (size_ < kEndRecordBytes) return;
  size_t lowest = size_ > kEndRecordBytes + kMaxCommentBytes ? size_ - kEndRecordBytes - kMaxCommentBytes : 0;
  size_t end = size_ - kEndRecordBytes;
  while (!HasSignature(view_ + end, 5, 6)) {
    if (end == lowest) return;
    --end;
  }
  uint64_t directorySize = ReadLe32(view_, end + 12);
  uint64_t directoryOffset = ReadLe32(view_, end + 16);
  // The zip64 locator (20 bytes) lies just before the end record.
  if ((directorySize == kSaturated || directoryOffset == kSaturated) && end >= 20 &&
      HasSignature(view_ + end - 20, 6, 7)) {
    uint64_t record = ReadLe64(view_, end - 20 + 8);
    if (record > size_ || size_ - record < 56 || !HasSignature(view_ + record, 6, 6)) return;
    directorySize = ReadLe64(view_, record + 40);
    directoryOffset = ReadLe64(view_, record + 48);
  } else if (directoryOffset == kSaturated && directorySize <= end) {
    // zip streaming with zip64 forced saturates the offset without writing
    // a zip64 end record; the directory then ends where the end record starts.
    directoryOffset = end - directorySize;
  }
  if (directoryOffset > size_ || directorySize > size_ - directoryOffset) return;
  ByteReader directory(view_ + directoryOffset, directorySize);
  while (directory.Remaining() >= kCentralFixedBytes && HasSignature(directory.Current(), 1, 2)) {
    const uint8_t* p = directory.Current();
    uint64_t compressed = ReadLe32(p, 20);
    uint64_t uncompressed = ReadLe32(p, 24);
    uint64_t offset = ReadLe32(p, 42);
    size_t nameLength = ReadLe16(p, 28);
    size_t extraLength = ReadLe16(p, 30);
    size_t recordBytes = kCentralFixedBytes + nameLength + extraLength + ReadLe16(p, 32);
    if (recordBytes > directory.Remaining()) return;
    uint64_t* values[] = {&uncompressed, &compressed, &offset};
    ResolveZip64(p + kCentralFixedBytes + nameLength, extraLength, values, 3);
    if (offset < size_ && compressed <= kSaturated) {
      uint32_t usable = uncompressed < kSaturated ? static_cast<uint32_t>(uncompressed) : kSaturated;
      central_.emplace(static_cast<uint32_t>(offset), CentralSizes{static_cast<uint32_t>(compressed), usable});
    }
    directory.Skip(recordBytes);
  }
}

bool TZipFile::FindFirstHeader(TZipLocalHeader& header) {
  header_ = &header;
  walk_ = 0;
  return FindNextHeader();
}

bool TZipFile::FindNextHeader() {
  if (header_ == nullptr || view_ == nullptr) return false;
  // Every step checks the bytes that remain before it reads; walk_ <= size_.
  size_t pos = walk_;
  size_t headerOffset = pos;
  if (size_ - pos < 4 + kLocalFixedBytes) return false;
  if (!HasSignature(view_ + pos, 3, 4)) return false;
  pos += 4;
  const uint8_t* p = view_ + pos;
  TZipLocalHeader& h = *header_;
  h.Signature[0] = 'P';
  h.Signature[1] = 'K';
  h.Kind = 0x0403;
  h.VersionNeeded = ReadLe16(p, 0);
  h.Flags = ReadLe16(p, 2);
  h.Method = ReadLe16(p, 4);
  h.Time = ReadLe16(p, 6);
  h.Date = ReadLe16(p, 8);
  h.Crc32 = ReadLe32(p, 10);
  uint64_t compressed = ReadLe32(p, 14);
  uint64_t uncompressed = ReadLe32(p, 18);
  h.NameLength = ReadLe16(p, 22);
  h.ExtraLength = ReadLe16(p, 24);
  h.Place = p;
  pos += kLocalFixedBytes;

  if (h.NameLength > size_ - pos) return false;
  size_t copied = h.NameLength < kMaxNameBytes ? h.NameLength : kMaxNameBytes;
  std::memcpy(h.Name, view_ + pos, copied);
  h.Name[copied] = '\0';
  pos += h.NameLength;

  if (h.ExtraLength > size_ - pos) return false;
  const uint8_t* extra = view_ + pos;
  pos += h.ExtraLength;

  size_t zip64Length = 0;
  bool zip64 = FindZip64(extra, h.ExtraLength, zip64Length) != nullptr;
  uint64_t* values[] = {&uncompressed, &compressed};
  ResolveZip64(extra, h.ExtraLength, values, 2);
  bool descriptor = (h.Flags & kFlagDataDescriptor) != 0;
  if (descriptor || compressed == kSaturated || uncompressed == kSaturated) {
    auto it = central_.find(static_cast<uint32_t>(headerOffset));
    if (it != central_.end()) {
      compressed = it->second.compressed;
      uncompressed = it->second.uncompressed;
    } else if (descriptor && compressed == 0) {
      return false;  // the data's end is known to nobody
    }
  }
  if (compressed > size_ - pos) return false;
  h.CompressedSize = static_cast<uint32_t>(compressed);
  h.UncompressedSize = uncompressed < kSaturated ? static_cast<uint32_t>(uncompressed) : kSaturated;
  pos += compressed;

  if (descriptor) {
    if (size_ - pos >= 4 && HasSignature(view_ + pos, 7, 8)) pos += 4;
    size_t rest = zip64 ? 20 : 12;  // crc and two sizes
    pos = size_ - pos >= rest ? pos + rest : size_;
  }
  walk_ = static_cast<uint32_t>(pos);
  return true;
}

TZipMember::~TZipMember() { std::free(owned_); }

void TZipMember::Own(void* block, size_t size) {
  std::free(owned_);
  owned_ = block;
  SetPointer(block, static_cast<int64_t>(size));
  Seek(0, soBeginning);
}

void TZipMember::View(const uint8_t* data, size_t size) {
  std::free(owned_);
  owned_ = nullptr;
  // Read only: the stream refuses every write.
  SetPointer(const_cast<uint8_t*>(data), static_cast<int64_t>(size));
  Seek(0, soBeginning);
}

const TZipEntry& TZipFile::Entry(const std::string& name) const {
  int index;
  if (!names_.Find(LowerAsciiLetters(name), index)) throw EErrorInZip("File not found (in UnzipFileToBuffer)");
  return *static_cast<const TZipEntry*>(names_.Objects(index));
}

TUnzipResult TZipFile::OpenMember(const std::string& name, TZipMember& member) {
  const TZipEntry& entry = Entry(name);
  member.View(nullptr, 0);
  // The walk checked that the data lies within the view.
  const uint8_t* data = view_ + entry.DataOffset;
  switch (entry.Method) {
    case 0:
      // Read where it lies: its size costs nothing.
      member.View(data, entry.CompressedSize);
      return urComplete;
    case 8: {
      if (entry.UncompressedSize > kMaxInflatedBytes) return urDamaged;
      void* out = nullptr;
      size_t outBytes = 0;
      // More than the member declares is damage, however much there is.
      TZInflateResult result =
          ZDecompressRaw(data, entry.CompressedSize, out, entry.UncompressedSize, outBytes, entry.UncompressedSize);
      if (result == zrDamaged) return urDamaged;
      member.Own(out, outBytes);
      return UnzipResultOf(result);
    }
    default: return urUnsupported;
  }
}

TUnzipResult TZipFile::ReadMember(const std::string& name, const TInflatedPieceSink& take) {
  const TZipEntry& entry = Entry(name);
  const uint8_t* data = view_ + entry.DataOffset;
  switch (entry.Method) {
    case 0: return entry.CompressedSize == 0 || take(data, entry.CompressedSize) ? urComplete : urStopped;
    case 8: return UnzipResultOf(ZDecompressRawInPieces(data, entry.CompressedSize, entry.UncompressedSize, take));
    default: return urUnsupported;
  }
}

TUnzipResult TZipFile::UnzipFileToBuffer(const std::string& name, TStream& stream) {
  TZipMember member;
  const TUnzipResult result = OpenMember(name, member);
  WriteBytes(stream, std::string_view(static_cast<const char*>(member.Memory()), static_cast<size_t>(member.Size())));
  return result;
}
