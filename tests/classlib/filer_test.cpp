#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "classlib/component.h"
#include "classlib/filer.h"
#include "classlib/streams.h"
#include "classlib/typinfo.h"

#include "formstreams.h"

using namespace formstreams;

namespace {

enum TShape { shNone, shCircle, shSquare };
const char* const kShapes[] = {"shNone", "shCircle", "shSquare"};

// An object a component holds itself: its values are written with a path.
class TFrame : public TPersistent {
public:
  int width = 1;
  static const TPublishedClass* StaticPublishedClass() {
    static const TPropInfo props[] = {IntegerProperty<&TFrame::width, &TFrame::width>("Width", 1)};
    static const TPublishedClass table{"TFrame", nullptr, props};
    return &table;
  }
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }
};

class TSample : public TComponent {
public:
  using TComponent::TComponent;
  int count = 0;
  int64_t big = 0;
  bool visible = true;
  TShape shape = shNone;
  int64_t shapes = 0;
  double ratio = 0;
  std::string caption;
  std::wstring title;
  TSample* buddy = nullptr;
  TFrame frame;
  std::string extra;  // kept through DefineProperties

  TFrame* Frame() { return &frame; }
  TSample* Buddy() const { return buddy; }
  void SetBuddy(TSample* value) { buddy = value; }

  static const TPublishedClass* StaticPublishedClass() {
    static const TPropInfo props[] = {
        IntegerProperty<&TSample::count, &TSample::count>("Count", 0),
        Int64Property<&TSample::big, &TSample::big>("Big"),
        BooleanProperty<&TSample::visible, &TSample::visible>("Visible", 1),
        EnumProperty<&TSample::shape, &TSample::shape>("Shape", kShapes, shNone),
        SetProperty<&TSample::shapes, &TSample::shapes>("Shapes", kShapes, 0),
        FloatProperty<&TSample::ratio, &TSample::ratio>("Ratio"),
        StringProperty<&TSample::caption, &TSample::caption>("Caption"),
        WideStringProperty<&TSample::title, &TSample::title>("Title"),
        ObjectProperty<&TSample::Buddy, &TSample::SetBuddy>("Buddy"),
        ObjectProperty<&TSample::Frame>("Frame"),
    };
    static const TPublishedClass table{"TSample", TComponent::StaticPublishedClass(), props};
    return &table;
  }
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }
  void DefineProperties(TFiler* filer) override {
    filer->DefineProperty(
        "Extra", [this](TReader& r) { extra = r.ReadString(); }, [this](TWriter& w) { w.WriteString(extra); },
        !extra.empty());
  }
};

// A root with two named components.
struct Form {
  TSample root{nullptr};
  TSample* first = new TSample(&root);
  TSample* second = new TSample(&root);
  Form() {
    root.SetName("Form1");
    first->SetName("First");
    second->SetName("Second");
  }
};

// A stream of the root "Form1" (class TSample) with one property.
std::string OneProperty(const std::string& name, const std::string& value) {
  return std::string("TPF0\x07TSample\x05" "Form1", 18) + Name(name) + value + std::string("\0\0", 2);
}

}  // namespace

TEST(Filer, ValuesOfEveryKindComeBackAndDefaultsAreNotWritten) {
  Form saved;
  const std::string empty = Written(&saved.root);
  EXPECT_FALSE(Holds(empty, "Count") || Holds(empty, "Visible") || Holds(empty, "Frame.Width"));
  EXPECT_TRUE(Holds(empty, "First") && Holds(empty, "Second"));

  TSample* s = saved.first;
  s->count = -70000;
  s->big = int64_t{1} << 40;
  s->visible = false;
  s->shape = shSquare;
  s->shapes = 0b101;
  s->ratio = 2.75;
  s->caption = std::string(300, 'c');  // beyond a short string
  s->title = L"\x0416\x0443\x043A";
  s->buddy = saved.second;
  s->frame.width = 7;
  s->extra = "kept";
  saved.root.count = 3;
  const std::string bytes = Written(&saved.root);
  EXPECT_TRUE(Holds(bytes, "Frame.Width"));

  Form loaded;
  Read(bytes, &loaded.root);
  TSample* t = loaded.first;
  EXPECT_EQ(t->count, -70000);
  EXPECT_EQ(t->big, int64_t{1} << 40);
  EXPECT_FALSE(t->visible);
  EXPECT_EQ(t->shape, shSquare);
  EXPECT_EQ(t->shapes, 0b101);
  EXPECT_EQ(t->ratio, 2.75);
  EXPECT_EQ(t->caption, std::string(300, 'c'));
  EXPECT_EQ(t->title, L"\x0416\x0443\x043A");
  EXPECT_EQ(t->buddy, loaded.second);
  EXPECT_EQ(t->frame.width, 7);
  EXPECT_EQ(t->extra, "kept");
  EXPECT_EQ(loaded.root.count, 3);
  EXPECT_FALSE(loaded.first->HasState(csLoading | csReading));
  EXPECT_EQ(Written(&loaded.root), bytes);
}

TEST(Filer, OnlyWhatDiffersFromTheAncestorIsWritten) {
  Form ancestor, descendant;
  ancestor.first->caption = descendant.first->caption = "same";
  ancestor.first->count = 1;
  descendant.first->count = 2;
  const std::string bytes = Written(&descendant.root, &ancestor.root);
  EXPECT_TRUE(Holds(bytes, "Count"));
  EXPECT_FALSE(Holds(bytes, "Caption"));
  ancestor.first->count = 2;
  EXPECT_FALSE(Holds(Written(&descendant.root, &ancestor.root), "Count"));
}

TEST(Filer, ATruncatedStreamRaisesAndLeavesNothingLoading) {
  Form saved;
  saved.first->caption = "a caption";
  saved.first->title = L"\x0416";
  saved.first->shapes = 3;
  const std::string bytes = Written(&saved.root);
  for (size_t length = 0; length < bytes.size(); ++length) {
    Form loaded;
    EXPECT_THROW(Read(bytes.substr(0, length), &loaded.root), EReadError) << length;
    EXPECT_FALSE(loaded.first->HasState(csLoading));
  }
}

TEST(Filer, AHostileStreamRaisesAClearError) {
  auto message = [](const std::string& bytes) {
    Form loaded;
    try {
      Read(bytes, &loaded.root);
    } catch (const Exception& e) {
      return e.Message();
    }
    return std::string("read");
  };
  EXPECT_EQ(message("TPF1"), "Invalid stream format");
  EXPECT_EQ(message(OneProperty("Count", "\x02\x05")), "read");
  EXPECT_EQ(message(OneProperty("Nope", "\x02\x05")), "Property Nope does not exist");
  EXPECT_EQ(message(OneProperty("Count", "\x06\x01x")), "Invalid property value");
  EXPECT_EQ(message(OneProperty("Shape", "\x07\x04shOx")), "Invalid property value");
  EXPECT_EQ(message(OneProperty("Count", "\x7F")), "Invalid stream format");
  // A length far beyond the stream is refused before anything is made for it.
  EXPECT_EQ(message(OneProperty("Caption", std::string("\x0C\xF0\xFF\xFF\xFF", 5))), "Stream read error");
  EXPECT_EQ(message(OneProperty("Title", std::string("\x12\xFF\xFF\xFF\x7F", 5))), "Stream read error");
  EXPECT_EQ(message(OneProperty("Buddy", "\x07\x05Ghost")), "Invalid property value");
  EXPECT_EQ(message(OneProperty("Frame", "\x0D")), "Invalid property value");
  EXPECT_EQ(message(OneProperty("Count.X", "\x02\x05")), "Invalid property path Count.X");
  std::string nested = "TPF0\x07TSample\x05" "Form1";
  nested += std::string(1, '\0');
  for (int i = 0; i < 100; ++i) nested += std::string("\x07TSample\x05" "First\0", 15);
  EXPECT_EQ(message(nested), "Invalid stream format");
  std::string ghost = std::string("TPF0\x07TSample\x05" "Form1\0", 19) + std::string("\x07TSample\x05" "Ghost\0\0\0", 17);
  EXPECT_EQ(message(ghost), "Component Ghost not found");
}
