// Form streams: a component's published properties, the properties it
// stores itself (TPersistent::DefineProperties) and those of the components
// it owns, as typed values after the signature "TPF0". Each component is
// its class name and name, its properties (name, value) up to an end
// marker, then its children up to another. A name with dots ("Items.Strings")
// reaches a property of an object property.
//
// TWriter writes what differs from an ancestor (a component like the root)
// or, without one, from the defaults. TReader applies a stream to
// components that already exist, finding the owned ones by name; a stream
// is untrusted input: every length is checked against the bytes that
// remain, nesting is bounded, and anything malformed raises EReadError.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "classlib/object.h"

class TComponent;
class TReader;
class TStream;
class TWriter;
struct TPropInfo;

// The type byte in front of every value.
enum TValueType : uint8_t {
  vaNull,  // the end of a list
  vaList,
  vaInt8,
  vaInt16,
  vaInt32,
  vaExtended,
  vaString,  // 8-bit, up to 255 bytes
  vaIdent,
  vaFalse,
  vaTrue,
  vaBinary,
  vaSet,
  vaLString,  // 8-bit, a 32-bit length
  vaNil,
  vaCollection,
  vaSingle,
  vaCurrency,
  vaDate,
  vaWString,  // a 32-bit count of UTF-16 units, little-endian
  vaInt64,
  vaUTF8String,
};

using TReaderProc = std::function<void(TReader& reader)>;
using TWriterProc = std::function<void(TWriter& writer)>;

class TFiler : public TObject {
public:
  explicit TFiler(TStream& stream) : stream_(stream) {}

  TStream& Stream() const { return stream_; }
  // The component whose stream this is.
  TComponent* Root() const { return root_; }
  // Writing: what the object being written is compared with (nullptr: its
  // defaults), and the root's counterpart.
  TPersistent* Ancestor() const { return ancestor_; }
  TComponent* RootAncestor() const { return rootAncestor_; }

  // A property the instance stores itself. Reading: readData reads its
  // value when the stream names it. Writing: writeData writes it when
  // hasData.
  virtual void DefineProperty(const std::string& name, const TReaderProc& readData, const TWriterProc& writeData,
                              bool hasData) = 0;

protected:
  TStream& stream_;
  TComponent* root_ = nullptr;
  TPersistent* ancestor_ = nullptr;
  TComponent* rootAncestor_ = nullptr;
};

class TReader : public TFiler {
public:
  using TFiler::TFiler;

  // Reads the signature and the root's values, then those of the
  // components the stream names (owned by root, found by name); the root is
  // loading meanwhile, and Loaded tells it and them when all is read.
  void ReadRootComponent(TComponent* root);
  // The component the stream is read for (the root).
  TComponent* Owner() const { return root_; }

  // Values. Each raises EReadError for a value of another type (or for
  // bytes the stream does not hold).
  TValueType NextValue();
  TValueType ReadValue();
  // The next byte is the end marker (a property or component name comes
  // otherwise, whose length byte may be any value).
  bool EndOfList() { return PeekByte() == vaNull; }
  void ReadListBegin();
  void ReadListEnd();
  // An 8-bit or wide string value (wide text converted).
  std::string ReadString();
  // A wide, UTF-8 or 8-bit string value (8-bit text converted).
  std::wstring ReadWideString();
  int64_t ReadInteger();
  bool ReadBoolean();
  std::string ReadIdent();
  double ReadFloat();
  // Skips one value, however it is made.
  void SkipValue();
  uint8_t PeekByte();

  void DefineProperty(const std::string& name, const TReaderProc& readData, const TWriterProc& writeData,
                      bool hasData) override;

private:
  void ReadComponent(TComponent* component, int depth);
  void ReadProperty(TPersistent* instance);
  void ReadPropValue(TPersistent* instance, const TPropInfo& prop);
  void ReadSetValue(TPersistent* instance, const TPropInfo& prop);
  void SkipValue(int depth);
  std::string ReadShortString();
  std::string ReadBytes(uint64_t count);
  void ReadData(void* buffer, uint64_t count);
  // A little-endian field (the byte order of every machine the program
  // runs on).
  template <class T>
  T ReadFixed() {
    T value{};
    ReadData(&value, sizeof value);
    return value;
  }
  uint64_t Remaining();
  [[noreturn]] void InvalidValue() const;

  std::string propName_;
  bool propFound_ = false;
};

class TWriter : public TFiler {
public:
  using TFiler::TFiler;

  void WriteRootComponent(TComponent* root) { WriteDescendent(root, nullptr); }
  // Writes root and its named components, each with what differs from its
  // counterpart in ancestor (the component of the same name).
  void WriteDescendent(TComponent* root, TComponent* ancestor);

  void WriteListBegin();
  void WriteListEnd();
  // vaString up to 255 bytes, vaLString beyond.
  void WriteString(const std::string& value);
  void WriteWideString(const std::wstring& value);
  // The smallest integer type that holds value.
  void WriteInteger(int64_t value);
  void WriteBoolean(bool value);
  void WriteIdent(const std::string& value);
  void WriteFloat(double value);

  void DefineProperty(const std::string& name, const TReaderProc& readData, const TWriterProc& writeData,
                      bool hasData) override;

private:
  void WriteComponent(TComponent* component);
  void WriteProperties(TPersistent* instance, TPersistent* ancestor, const std::string& path);
  void WriteProperty(TPersistent* instance, const TPropInfo& prop, TPersistent* ancestor, const std::string& path);
  void WritePropName(const std::string& name);
  void WriteShortString(const std::string& value);
  void WriteValue(TValueType type);
  void WriteData(const void* buffer, size_t count);

  std::string propPath_;
};
