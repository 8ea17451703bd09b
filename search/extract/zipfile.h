// The zip reader: lists an archive's entries by walking its local file
// headers over a read-only view of the file, and writes one named entry,
// stored or deflated, into a stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "classlib/exceptions.h"
#include "classlib/streams.h"
#include "classlib/stringlist.h"
#include "search/extract/filemapping.h"
#include "search/extract/zinflate.h"

class EErrorInZip : public Exception { using Exception::Exception; };

// The local file header as it lies in the archive after its signature, plus
// the name, decoded field by field.
struct TZipLocalHeader {
  char Signature[2];
  uint16_t Kind;  // 0x0403 for a local file header
  uint16_t VersionNeeded;
  uint16_t Flags;
  uint16_t Method;  // 0 stored, 8 deflated
  uint16_t Time;
  uint16_t Date;
  uint32_t Crc32;
  // The sizes the entry really has: taken from the central directory when
  // the local header leaves them to a data descriptor or to zip64 fields.
  uint32_t CompressedSize;
  uint32_t UncompressedSize;
  uint16_t NameLength;
  uint16_t ExtraLength;
  char Name[127];        // the first at most 126 bytes of the name, NUL-terminated
  const uint8_t* Place;  // the 26-byte fixed part in the view
};

// One listed member: the object of its line in Names.
class TZipEntry : public TObject {
public:
  uint32_t HeaderOffset = 0;  // of the fixed part, in the view
  uint32_t DataOffset = 0;
  uint32_t CompressedSize = 0;
  uint32_t UncompressedSize = 0;
  uint16_t Method = 0;
};

enum TUnzipResult {
  urComplete,     // the whole entry was written
  urTruncated,    // its compressed data stops short: what was inflated was written
  urDamaged,      // corrupt or oversized data: nothing written
  urUnsupported,  // a compression method other than stored or deflated: nothing written
  urStopped,      // the caller of ReadMember took no more of it
};

// One member's bytes as a stream, copied no more than inflating needs: a
// stored member is read where it lies in the archive (so only while the
// archive stays open), a deflated one from a block of its own.
class TZipMember : public TCustomMemoryStream {
public:
  TZipMember() = default;
  ~TZipMember() override;
  TZipMember(const TZipMember&) = delete;
  TZipMember& operator=(const TZipMember&) = delete;

private:
  friend class TZipFile;
  // The stream reads block (allocated with malloc, now owned) or data.
  void Own(void* block, size_t size);
  void View(const uint8_t* data, size_t size);

  void* owned_ = nullptr;
};

class TZipFile : public TObject {
public:
  TZipFile();
  ~TZipFile() override;

  // Closes any open archive, then opens, maps and lists fileName. Raises
  // EErrorInZip when the file cannot be opened or mapped. A file that is
  // empty or no zip archive lists nothing.
  void Open(const std::string& fileName);
  // Lists an archive held in memory; the caller keeps the bytes alive and
  // unchanged until the next Open, Close or the reader's end.
  void OpenMemory(const void* data, size_t size);
  void Close();

  // The local-header walk: fills header with the next entry whose data lies
  // within the archive; false at the end of the entries or at the first
  // damaged header.
  bool FindFirstHeader(TZipLocalHeader& header);
  bool FindNextHeader();

  // Appends the data of the entry listed as name (ASCII case ignored) to
  // stream. Raises EErrorInZip "File not found (in UnzipFileToBuffer)".
  TUnzipResult UnzipFileToBuffer(const std::string& name, TStream& stream);
  // The same data as member, at its start, without a copy. A deflated member
  // declaring more than kMaxInflatedBytes, or one that inflates past the size
  // it declares, is damaged and leaves member empty; a stored one is read
  // where it lies, whatever its size.
  TUnzipResult OpenMember(const std::string& name, TZipMember& member);
  // The same data handed to take a piece at a time, however large: a stored
  // member in one piece where it lies, a deflated one as it inflates, never
  // held whole. Inflating past the size the member declares is damage, which
  // may come after pieces were taken.
  TUnzipResult ReadMember(const std::string& name, const TInflatedPieceSink& take);

  const std::string& FileName() const { return fileName_; }
  uint32_t Size() const { return size_; }
  // Entry names in ASCII lower case with "\" separators, sorted with case
  // ignored, each once; the objects are TZipEntry records owned by the list.
  TStringList& Names() { return names_; }

private:
  struct CentralSizes {
    uint32_t compressed;
    uint32_t uncompressed;
  };
  void List();
  void ReadCentralDirectory();
  void AddName(const TZipLocalHeader& header);
  const TZipEntry& Entry(const std::string& name) const;

  std::string fileName_;
  TFileMapping mapping_;
  uint32_t size_ = 0;
  const uint8_t* view_ = nullptr;
  TZipLocalHeader* header_ = nullptr;
  uint32_t walk_ = 0;  // offset in the view where the walk reads next
  TStringList names_;
  // Sizes of the central directory, by the offset of each local header.
  std::map<uint32_t, CentralSizes> central_;
};

// "/" to "\" in an entry name.
std::string ZipSlashToBackslash(std::string name);
