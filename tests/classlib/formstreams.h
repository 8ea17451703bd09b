// Writing and reading form streams in memory, for the tests of the filers
// and of the components they stream.
#pragma once

#include <string>

#include "classlib/component.h"
#include "classlib/filer.h"
#include "classlib/streams.h"

namespace formstreams {

inline std::string Written(TComponent* root, TComponent* ancestor = nullptr) {
  TStringStream stream;
  TWriter(stream).WriteDescendent(root, ancestor);
  return stream.DataString();
}

inline void Read(const std::string& bytes, TComponent* root) {
  TStringStream stream(bytes);
  TReader(stream).ReadRootComponent(root);
}

// A property name as a stream holds it: its length byte, then the name.
inline std::string Name(const std::string& name) { return static_cast<char>(name.size()) + name; }

inline bool Holds(const std::string& bytes, const std::string& name) {
  return bytes.find(Name(name)) != std::string::npos;
}

}  // namespace formstreams
