// The form-stream reader on arbitrary bytes, applied to a root with two
// named components whose properties have every kind the reader sets, wide
// companions and a wide list. The last byte picks whether the root is being
// designed (companions apply). Whatever was read must write and read back
// to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/component.h"
#include "classlib/exceptions.h"
#include "classlib/streams.h"
#include "classlib/typinfo.h"
#include "widecontrols/widefilers.h"
#include "widecontrols/widestringlist.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

const char* const kKinds[] = {"kOne", "kTwo", "kThree"};

class TFuzzThing : public TComponent {
public:
  using TComponent::TComponent;
  int number = 0;
  int64_t big = 0;
  bool flag = false;
  int kind = 0;
  int64_t kinds = 0;
  double ratio = 0;
  std::string text;
  std::wstring caption;
  wchar_t mark = L'x';
  char letter = 'a';
  TFuzzThing* buddy = nullptr;
  TWideStringList lines;

  TFuzzThing* Buddy() const { return buddy; }
  void SetBuddy(TFuzzThing* value) { buddy = value; }
  TWideStrings* Lines() { return &lines; }
  void SetLines(TWideStrings* value) { lines.Assign(value); }
  void Designing(bool on) { SetComponentState(csDesigning, on); }

  static const TPublishedClass* StaticPublishedClass() {
    static const TPropInfo props[] = {
        IntegerProperty<&TFuzzThing::number, &TFuzzThing::number>("Number", 0),
        Int64Property<&TFuzzThing::big, &TFuzzThing::big>("Big"),
        BooleanProperty<&TFuzzThing::flag, &TFuzzThing::flag>("Flag", 0),
        EnumProperty<&TFuzzThing::kind, &TFuzzThing::kind>("Kind", kKinds, 0),
        SetProperty<&TFuzzThing::kinds, &TFuzzThing::kinds>("Kinds", kKinds, 0),
        FloatProperty<&TFuzzThing::ratio, &TFuzzThing::ratio>("Ratio"),
        StringProperty<&TFuzzThing::text, &TFuzzThing::text>("Text"),
        WideStringProperty<&TFuzzThing::caption, &TFuzzThing::caption>("Caption"),
        WideCharProperty<&TFuzzThing::mark, &TFuzzThing::mark>("Mark", L'x'),
        CharProperty<&TFuzzThing::letter, &TFuzzThing::letter>("Letter", 'a'),
        ObjectProperty<&TFuzzThing::Buddy, &TFuzzThing::SetBuddy>("Buddy"),
        ObjectProperty<&TFuzzThing::Lines, &TFuzzThing::SetLines>("Lines"),
    };
    static const TPublishedClass table{"TFuzzThing", TComponent::StaticPublishedClass(), props};
    return &table;
  }
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }
  void DefineProperties(TFiler* filer) override { WidePersistent_AfterInherited_DefineProperties(filer, this); }
};

struct Form {
  TFuzzThing root{nullptr};
  Form() {
    root.SetName("Form1");
    (new TFuzzThing(&root))->SetName("First");
    (new TFuzzThing(&root))->SetName("Second");
  }
};

std::string Written(TComponent* root) {
  TStringStream stream;
  TWriter(stream).WriteRootComponent(root);
  return stream.DataString();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const bool designing = size > 0 && (data[size - 1] & 1) != 0;
  Form form;
  form.root.Designing(designing);
  try {
    TStringStream stream{std::string(reinterpret_cast<const char*>(data), size)};
    TReader(stream).ReadRootComponent(&form.root);
  } catch (const Exception&) {
  }
  form.root.Designing(false);
  std::string first;
  try {
    first = Written(&form.root);
  } catch (const EWriteError&) {
    return 0;  // a name the stream gave is too long to write again
  }
  // The same components, named as the stream left them.
  TFuzzThing again(nullptr);
  again.SetName(form.root.Name());
  for (int i = 0; i < form.root.ComponentCount(); ++i)
    (new TFuzzThing(&again))->SetName(form.root.Components(i)->Name());
  TStringStream stream(first);
  TReader(stream).ReadRootComponent(&again);
  Check(Written(&again) == first);
  return 0;
}
