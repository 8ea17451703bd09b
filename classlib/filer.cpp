#include "classlib/filer.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "classlib/codepage.h"
#include "classlib/component.h"
#include "classlib/exceptions.h"
#include "classlib/streams.h"
#include "classlib/strutils.h"
#include "classlib/typinfo.h"

namespace {

const char kSignature[4] = {'T', 'P', 'F', '0'};
// Components and lists nest no deeper: a hostile stream cannot exhaust the
// stack.
constexpr int kMaxDepth = 64;

[[noreturn]] void StreamReadError() { throw EReadError("Stream read error"); }
[[noreturn]] void InvalidFormat() { throw EReadError("Invalid stream format"); }

// The x87 80-bit extended value of a stream, to and from a double.
double ExtendedToDouble(const uint8_t bytes[10]) {
  uint64_t mantissa = 0;
  for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | bytes[i];
  const unsigned top = bytes[8] | (bytes[9] << 8);
  const bool negative = (top & 0x8000) != 0;
  const int exponent = static_cast<int>(top & 0x7FFF);
  double value;
  if (exponent == 0x7FFF) value = (mantissa << 1) == 0 ? HUGE_VAL : std::nan("");
  else value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
  return negative ? -value : value;
}

void DoubleToExtended(double value, uint8_t bytes[10]) {
  uint64_t mantissa = 0;
  unsigned top = std::signbit(value) ? 0x8000 : 0;
  if (std::isnan(value)) {
    top |= 0x7FFF;
    mantissa = 0xC000000000000000u;
  } else if (std::isinf(value)) {
    top |= 0x7FFF;
    mantissa = 0x8000000000000000u;
  } else if (value != 0) {
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);  // in [0.5, 1)
    mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
    top |= static_cast<unsigned>(exponent - 1 + 16383) & 0x7FFF;
  }
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(mantissa >> (8 * i));
  bytes[8] = static_cast<uint8_t>(top);
  bytes[9] = static_cast<uint8_t>(top >> 8);
}

bool IsOrdinal(TTypeKind kind) {
  return kind == tkInteger || kind == tkChar || kind == tkWChar || kind == tkEnumeration || kind == tkSet ||
         kind == tkInt64;
}

// The ancestor's property of the same name, when the ancestor has one of
// the same kind.
const TPropInfo* AncestorProp(TPersistent* ancestor, const TPropInfo& prop) {
  if (ancestor == nullptr) return nullptr;
  const TPropInfo* same = GetPropInfo(ancestor, prop.Name);
  return same != nullptr && same->Kind == prop.Kind ? same : nullptr;
}

}  // namespace

// --- reading ----------------------------------------------------------------------------

uint64_t TReader::Remaining() {
  const int64_t size = stream_.Size();
  const int64_t position = stream_.Position();
  return size > position ? static_cast<uint64_t>(size - position) : 0;
}

void TReader::ReadData(void* buffer, uint64_t count) {
  if (count > Remaining()) StreamReadError();
  auto* out = static_cast<char*>(buffer);
  while (count > 0) {
    const int32_t chunk = static_cast<int32_t>(std::min<uint64_t>(count, 1u << 30));
    stream_.ReadBuffer(out, chunk);
    out += chunk;
    count -= static_cast<uint64_t>(chunk);
  }
}

std::string TReader::ReadBytes(uint64_t count) {
  // Checked before the allocation: a length is only as good as the bytes behind it.
  if (count > Remaining()) StreamReadError();
  std::string bytes(static_cast<size_t>(count), '\0');
  ReadData(bytes.data(), count);
  return bytes;
}

std::string TReader::ReadShortString() {
  uint8_t length = 0;
  ReadData(&length, 1);
  return ReadBytes(length);
}

void TReader::InvalidValue() const { throw EReadError("Invalid property value"); }

uint8_t TReader::PeekByte() {
  uint8_t byte = 0;
  ReadData(&byte, 1);
  stream_.Seek(-1, soCurrent);
  return byte;
}

TValueType TReader::NextValue() {
  if (PeekByte() > vaUTF8String) InvalidFormat();
  return static_cast<TValueType>(PeekByte());
}

TValueType TReader::ReadValue() {
  uint8_t type = 0;
  ReadData(&type, 1);
  if (type > vaUTF8String) InvalidFormat();
  return static_cast<TValueType>(type);
}

void TReader::ReadListBegin() {
  if (ReadValue() != vaList) InvalidValue();
}

void TReader::ReadListEnd() {
  if (ReadValue() != vaNull) InvalidValue();
}

std::string TReader::ReadString() {
  switch (NextValue()) {
    case vaString:
    case vaLString:
      break;
    case vaWString:
    case vaUTF8String:
      return WideToMultiByte(ReadWideString());
    default:
      InvalidValue();
  }
  if (ReadValue() == vaString) return ReadShortString();
  uint32_t length = 0;
  ReadData(&length, 4);
  return ReadBytes(length);
}

std::wstring TReader::ReadWideString() {
  uint32_t count = 0;
  switch (ReadValue()) {
    case vaWString: {
      ReadData(&count, 4);
      std::string bytes = ReadBytes(uint64_t{count} * 2);
      std::wstring text(count, L'\0');
      for (uint32_t i = 0; i < count; ++i)
        text[i] = static_cast<wchar_t>(static_cast<uint8_t>(bytes[2 * i]) | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
      return text;
    }
    case vaUTF8String:
      ReadData(&count, 4);
      return MultiByteToWide(ReadBytes(count), kUtf8CodePage);
    case vaString:
      return MultiByteToWide(ReadShortString());
    case vaLString:
      ReadData(&count, 4);
      return MultiByteToWide(ReadBytes(count));
    default:
      InvalidValue();
  }
}

int64_t TReader::ReadInteger() {
  switch (ReadValue()) {
    case vaInt8:
      return ReadFixed<int8_t>();
    case vaInt16:
      return ReadFixed<int16_t>();
    case vaInt32:
      return ReadFixed<int32_t>();
    case vaInt64:
      return ReadFixed<int64_t>();
    default:
      InvalidValue();
  }
}

bool TReader::ReadBoolean() {
  switch (ReadValue()) {
    case vaFalse:
      return false;
    case vaTrue:
      return true;
    default:
      InvalidValue();
  }
}

std::string TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent:
      return ReadShortString();
    case vaFalse:
      return "False";
    case vaTrue:
      return "True";
    case vaNil:
      return "nil";
    case vaNull:
      return "Null";
    default:
      InvalidValue();
  }
}

double TReader::ReadFloat() {
  switch (NextValue()) {
    case vaExtended: {
      ReadValue();
      uint8_t bytes[10];
      ReadData(bytes, 10);
      return ExtendedToDouble(bytes);
    }
    case vaSingle:
      ReadValue();
      return ReadFixed<float>();
    default:
      return static_cast<double>(ReadInteger());
  }
}

void TReader::SkipValue() { SkipValue(0); }

void TReader::SkipValue(int depth) {
  if (depth > kMaxDepth) InvalidFormat();
  uint32_t length = 0;
  switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      return;
    case vaList:
      while (!EndOfList()) SkipValue(depth + 1);
      ReadListEnd();
      return;
    case vaInt8:
      return (void)ReadBytes(1);
    case vaInt16:
      return (void)ReadBytes(2);
    case vaInt32:
    case vaSingle:
      return (void)ReadBytes(4);
    case vaInt64:
    case vaCurrency:
    case vaDate:
      return (void)ReadBytes(8);
    case vaExtended:
      return (void)ReadBytes(10);
    case vaString:
    case vaIdent:
      return (void)ReadShortString();
    case vaLString:
    case vaBinary:
    case vaUTF8String:
      ReadData(&length, 4);
      return (void)ReadBytes(length);
    case vaWString:
      ReadData(&length, 4);
      return (void)ReadBytes(uint64_t{length} * 2);
    case vaSet:
      while (!ReadShortString().empty()) {
      }
      return;
    case vaCollection:
      // Items, each an optional index and its properties up to an end marker.
      while (!EndOfList()) {
        if (NextValue() >= vaInt8 && NextValue() <= vaInt32) ReadInteger();
        ReadListBegin();
        while (!EndOfList()) {
          ReadShortString();
          SkipValue(depth + 1);
        }
        ReadListEnd();
      }
      ReadListEnd();
      return;
  }
}

void TReader::ReadRootComponent(TComponent* root) {
  char signature[4];
  ReadData(signature, 4);
  if (std::memcmp(signature, kSignature, 4) != 0) InvalidFormat();
  root_ = root;
  auto reached = [root] {
    std::vector<TComponent*> list;
    for (int i = -1; i < root->ComponentCount(); ++i) {
      TComponent* c = i < 0 ? root : root->Components(i);
      if (c->HasState(csLoading)) list.push_back(c);
    }
    return list;
  };
  try {
    ReadComponent(root, 0);
  } catch (...) {
    // A stream that fails leaves nothing half loaded.
    for (TComponent* c : reached()) c->SetComponentState(csLoading | csReading, false);
    throw;
  }
  // Every component the stream reached hears that loading is over.
  for (TComponent* c : reached()) {
    c->SetComponentState(csReading, false);
    c->Loaded();
  }
}

void TReader::ReadComponent(TComponent* component, int depth) {
  if (depth > kMaxDepth) InvalidFormat();
  // A prefix of flags (and a child position) may come first.
  if ((PeekByte() & 0xF0) == 0xF0) {
    uint8_t flags = 0;
    ReadData(&flags, 1);
    if (flags & 0x02) ReadInteger();
  }
  ReadShortString();  // the class name: the component exists already
  const std::string name = ReadShortString();
  if (component == nullptr) {
    component = root_->FindComponent(name);
    if (component == nullptr) throw EReadError("Component " + name + " not found");
  }
  component->SetComponentState(csLoading | csReading, true);
  while (!EndOfList()) ReadProperty(component);
  ReadListEnd();
  while (!EndOfList()) ReadComponent(nullptr, depth + 1);
  ReadListEnd();
}

void TReader::ReadProperty(TPersistent* instance) {
  const std::string path = ReadShortString();
  size_t start = 0;
  for (size_t dot = path.find('.'); dot != std::string::npos; dot = path.find('.', start)) {
    const std::string part = path.substr(start, dot - start);
    const TPropInfo* prop = GetPropInfo(instance, part);
    auto* next = prop != nullptr && prop->Kind == tkClass ? dynamic_cast<TPersistent*>(GetObjectProp(instance, *prop))
                                                         : nullptr;
    if (next == nullptr) throw EReadError("Invalid property path " + path);
    instance = next;
    start = dot + 1;
  }
  const std::string name = path.substr(start);
  if (const TPropInfo* prop = GetPropInfo(instance, name)) {
    ReadPropValue(instance, *prop);
    return;
  }
  propName_ = name;
  propFound_ = false;
  instance->DefineProperties(this);
  if (!propFound_) throw EReadError("Property " + path + " does not exist");
}

void TReader::DefineProperty(const std::string& name, const TReaderProc& readData, const TWriterProc&, bool) {
  if (propFound_ || !SameText(name, propName_)) return;
  propFound_ = true;
  if (readData) readData(*this);
  else SkipValue();
}

void TReader::ReadSetValue(TPersistent* instance, const TPropInfo& prop) {
  if (ReadValue() != vaSet) InvalidValue();
  int64_t bits = 0;
  for (std::string member = ReadShortString(); !member.empty(); member = ReadShortString()) {
    const int value = GetEnumValue(prop, member);
    if (value < 0 || value >= 64) InvalidValue();
    bits |= int64_t{1} << value;
  }
  SetOrdProp(instance, prop, bits);
}

void TReader::ReadPropValue(TPersistent* instance, const TPropInfo& prop) {
  switch (prop.Kind) {
    case tkInteger:
    case tkInt64:
      SetOrdProp(instance, prop, ReadInteger());
      return;
    case tkChar:
    case tkWChar: {
      if (NextValue() >= vaInt8 && NextValue() <= vaInt32) {
        SetOrdProp(instance, prop, ReadInteger());
        return;
      }
      int64_t value = 0;
      if (prop.Kind == tkWChar) {
        const std::wstring text = ReadWideString();
        if (text.size() > 1) InvalidValue();
        if (!text.empty()) value = static_cast<uint16_t>(text[0]);
      } else {
        const std::string text = ReadString();
        if (text.size() > 1) InvalidValue();
        if (!text.empty()) value = static_cast<uint8_t>(text[0]);
      }
      SetOrdProp(instance, prop, value);
      return;
    }
    case tkEnumeration: {
      const int value = GetEnumValue(prop, ReadIdent());
      if (value < 0) InvalidValue();
      SetOrdProp(instance, prop, value);
      return;
    }
    case tkSet:
      ReadSetValue(instance, prop);
      return;
    case tkFloat:
      SetFloatProp(instance, prop, ReadFloat());
      return;
    case tkString:
    case tkLString:
    case tkVariant:
      SetStrProp(instance, prop, ReadString());
      return;
    case tkWString:
      SetWideStrProp(instance, prop, ReadWideString());
      return;
    case tkClass: {
      // A reference to a component of the root, by name; an object the
      // instance holds itself takes only values of its own properties.
      TObject* current = GetObjectProp(instance, prop);
      if (current != nullptr && dynamic_cast<TComponent*>(current) == nullptr) InvalidValue();
      const std::string ident = ReadIdent();
      TComponent* target = ident == "nil" ? nullptr : root_->FindComponent(ident);
      if (ident != "nil" && target == nullptr) InvalidValue();
      SetObjectProp(instance, prop, target);
      return;
    }
    default:
      InvalidValue();
  }
}

// --- writing ----------------------------------------------------------------------------

void TWriter::WriteData(const void* buffer, size_t count) { stream_.WriteBuffer(buffer, static_cast<int32_t>(count)); }

void TWriter::WriteValue(TValueType type) {
  const auto byte = static_cast<uint8_t>(type);
  WriteData(&byte, 1);
}

void TWriter::WriteShortString(const std::string& value) {
  if (value.size() > 255) throw EWriteError("Name too long: " + value.substr(0, 32));
  const auto length = static_cast<uint8_t>(value.size());
  WriteData(&length, 1);
  WriteData(value.data(), value.size());
}

void TWriter::WriteListBegin() { WriteValue(vaList); }
void TWriter::WriteListEnd() { WriteValue(vaNull); }

void TWriter::WriteString(const std::string& value) {
  if (value.size() <= 255) {
    WriteValue(vaString);
    WriteShortString(value);
    return;
  }
  WriteValue(vaLString);
  const auto length = static_cast<uint32_t>(value.size());
  WriteData(&length, 4);
  WriteData(value.data(), value.size());
}

void TWriter::WriteWideString(const std::wstring& value) {
  WriteValue(vaWString);
  const auto count = static_cast<uint32_t>(value.size());
  WriteData(&count, 4);
  std::string bytes;
  bytes.reserve(value.size() * 2);
  for (wchar_t unit : value) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>((unit >> 8) & 0xFF);
  }
  WriteData(bytes.data(), bytes.size());
}

void TWriter::WriteInteger(int64_t value) {
  if (value >= INT8_MIN && value <= INT8_MAX) {
    WriteValue(vaInt8);
    const auto v = static_cast<int8_t>(value);
    WriteData(&v, 1);
  } else if (value >= INT16_MIN && value <= INT16_MAX) {
    WriteValue(vaInt16);
    const auto v = static_cast<int16_t>(value);
    WriteData(&v, 2);
  } else if (value >= INT32_MIN && value <= INT32_MAX) {
    WriteValue(vaInt32);
    const auto v = static_cast<int32_t>(value);
    WriteData(&v, 4);
  } else {
    WriteValue(vaInt64);
    WriteData(&value, 8);
  }
}

void TWriter::WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }

void TWriter::WriteIdent(const std::string& value) {
  if (SameText(value, "False")) return WriteValue(vaFalse);
  if (SameText(value, "True")) return WriteValue(vaTrue);
  if (SameText(value, "nil")) return WriteValue(vaNil);
  WriteValue(vaIdent);
  WriteShortString(value);
}

void TWriter::WriteFloat(double value) {
  WriteValue(vaExtended);
  uint8_t bytes[10];
  DoubleToExtended(value, bytes);
  WriteData(bytes, 10);
}

void TWriter::WritePropName(const std::string& name) { WriteShortString(propPath_ + name); }

void TWriter::DefineProperty(const std::string& name, const TReaderProc&, const TWriterProc& writeData, bool hasData) {
  if (!hasData || !writeData) return;
  WritePropName(name);
  writeData(*this);
}

void TWriter::WriteDescendent(TComponent* root, TComponent* ancestor) {
  root_ = root;
  rootAncestor_ = ancestor;
  WriteData(kSignature, 4);
  WriteComponent(root);
}

void TWriter::WriteComponent(TComponent* component) {
  TComponent* ancestor = nullptr;
  if (rootAncestor_ != nullptr)
    ancestor = component == root_ ? rootAncestor_ : rootAncestor_->FindComponent(component->Name());
  const TPublishedClass* table = component->PublishedClass();
  WriteShortString(table != nullptr ? table->ClassName : "TComponent");
  WriteShortString(component->Name());
  component->SetComponentState(csWriting, true);
  WriteProperties(component, ancestor, std::string());
  component->SetComponentState(csWriting, false);
  WriteListEnd();
  if (component == root_)
    for (int i = 0; i < root_->ComponentCount(); ++i)
      if (!root_->Components(i)->Name().empty()) WriteComponent(root_->Components(i));
  WriteListEnd();
}

void TWriter::WriteProperties(TPersistent* instance, TPersistent* ancestor, const std::string& path) {
  const bool component = dynamic_cast<TComponent*>(instance) != nullptr;
  for (const TPropInfo* prop : GetPropInfos(instance, tkProperties)) {
    // A component's name is in the component's header.
    if (component && SameText(prop->Name, "Name")) continue;
    if (IsStoredProp(instance, *prop)) WriteProperty(instance, *prop, ancestor, path);
  }
  const std::string savedPath = propPath_;
  TPersistent* savedAncestor = ancestor_;
  propPath_ = path;
  ancestor_ = ancestor;
  instance->DefineProperties(this);
  propPath_ = savedPath;
  ancestor_ = savedAncestor;
}

void TWriter::WriteProperty(TPersistent* instance, const TPropInfo& prop, TPersistent* ancestor,
                            const std::string& path) {
  if (!prop.HasGetter()) return;
  const TPropInfo* same = AncestorProp(ancestor, prop);
  const std::string name = path + prop.Name;
  if (prop.Kind == tkClass) {
    TObject* value = GetObjectProp(instance, prop);
    if (auto* reference = dynamic_cast<TComponent*>(value)) {
      TObject* before = same != nullptr ? GetObjectProp(ancestor, *same) : nullptr;
      auto* beforeComponent = dynamic_cast<TComponent*>(before);
      if (beforeComponent != nullptr && beforeComponent->Name() == reference->Name()) return;
      if (!prop.HasSetter() || reference->Name().empty()) return;
      WriteShortString(name);
      WriteIdent(reference->Name());
    } else if (auto* object = dynamic_cast<TPersistent*>(value)) {
      auto* before = same != nullptr ? dynamic_cast<TPersistent*>(GetObjectProp(ancestor, *same)) : nullptr;
      WriteProperties(object, before, name + ".");
    }
    return;
  }
  if (!prop.HasSetter()) return;
  if (IsOrdinal(prop.Kind)) {
    const int64_t value = GetOrdProp(instance, prop);
    if (same != nullptr ? value == GetOrdProp(ancestor, *same) : prop.Default != kNoDefault && value == prop.Default)
      return;
    WriteShortString(name);
    switch (prop.Kind) {
      case tkChar:
        return WriteString(std::string(1, static_cast<char>(value)));
      case tkWChar:
        return WriteWideString(std::wstring(1, static_cast<wchar_t>(value)));
      case tkEnumeration:
        return WriteIdent(GetEnumName(prop, value));
      case tkSet:
        WriteValue(vaSet);
        for (size_t i = 0; i < prop.Identifiers.size() && i < 64; ++i)
          if (value & (int64_t{1} << i)) WriteShortString(prop.Identifiers[i]);
        return WriteShortString(std::string());
      default:
        return WriteInteger(value);
    }
  }
  switch (prop.Kind) {
    case tkFloat: {
      const double value = GetFloatProp(instance, prop);
      if (same != nullptr ? value == GetFloatProp(ancestor, *same) : value == 0) return;
      WriteShortString(name);
      return WriteFloat(value);
    }
    case tkString:
    case tkLString: {
      const std::string value = GetStrProp(instance, prop);
      if (same != nullptr ? value == GetStrProp(ancestor, *same) : value.empty()) return;
      WriteShortString(name);
      return WriteString(value);
    }
    case tkWString: {
      const std::wstring value = GetWideStrProp(instance, prop);
      if (same != nullptr ? value == GetWideStrProp(ancestor, *same) : value.empty()) return;
      WriteShortString(name);
      return WriteWideString(value);
    }
    default:
      return;  // variants and the like are not streamed
  }
}
