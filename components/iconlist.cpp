#include "components/iconlist.h"

#include <memory>

#include "classlib/streams.h"
#include "classlib/updatescope.h"

namespace {

// A position's bytes: at most what a single ICO file may hold.
constexpr int32_t kMaxIconBytes = 64 * 1024 * 1024;

int32_t ReadInt32(TStream& stream) {
  int32_t value = 0;
  stream.ReadBuffer(&value, sizeof value);
  return value;
}

void WriteInt32(TStream& stream, int32_t value) { stream.WriteBuffer(&value, sizeof value); }

}  // namespace

TIconList::TIconList() = default;

TIconList::~TIconList() {
  OnChange = nullptr;
  Clear();
}

void TIconList::BeginUpdate() { ++updateCount_; }

void TIconList::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TIconList::Changed() {
  if (updateCount_ == 0 && OnChange) OnChange(this);
}

TIcon* TIconList::Get(int index) const { return static_cast<TIcon*>(items_.Get(index)); }

int TIconList::GetCount() const { return items_.Count(); }

void TIconList::Connect(TIcon* icon) {
  if (icon != nullptr) icon->OnChange = [this](TObject*) { Changed(); };
}

void TIconList::Place(int index, TIcon* icon) {
  items_.Insert(index, icon);
  Connect(icon);
}

template <class Fill>
void TIconList::InsertNew(int index, Fill fill) {
  if (index < 0 || index > Count()) RaiseListIndexError(index);
  auto icon = std::make_unique<TIcon>();
  fill(*icon);
  Place(index, icon.release());
  Changed();
}

void TIconList::Put(int index, TIcon* icon) {
  TUpdateScope<TIconList> batch(*this);
  if (index == Count()) items_.Add(nullptr);
  if (Get(index) == nullptr) items_.Put(index, new TIcon);
  TIcon* target = Get(index);
  Connect(target);
  target->Assign(icon);
}

int TIconList::Add(TIcon* icon) {
  const int index = Count();
  Insert(index, icon);
  return index;
}

void TIconList::Insert(int index, TIcon* icon) {
  InsertNew(index, [icon](TIcon& made) { made.Assign(icon); });
}

int TIconList::AddResource(HINSTANCE instance, const char* resName) {
  const int index = Count();
  InsertResource(index, instance, resName);
  return index;
}

void TIconList::InsertResource(int index, HINSTANCE instance, const char* resName) {
  InsertNew(index, [&](TIcon& made) { made.LoadFromResourceName(instance, resName); });
}

void TIconList::Delete(int index) {
  TIcon* icon = Get(index);
  items_.Delete(index);
  if (icon != nullptr) {
    icon->OnChange = nullptr;
    delete icon;
  }
  Changed();
}

void TIconList::Clear() {
  TUpdateScope<TIconList> batch(*this);
  for (int i = Count() - 1; i >= 0; --i) Delete(i);
}

void TIconList::Exchange(int index1, int index2) {
  items_.Exchange(index1, index2);
  Changed();
}

void TIconList::Move(int curIndex, int newIndex) {
  items_.Move(curIndex, newIndex);
  Changed();
}

int TIconList::IndexOf(TIcon* icon) const { return items_.IndexOf(icon); }

void TIconList::LoadFromStream(TStream& stream) {
  TUpdateScope<TIconList> batch(*this);
  Clear();
  const int32_t count = ReadInt32(stream);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t size = ReadInt32(stream);
    if (size <= 0) {
      items_.Add(nullptr);
      continue;
    }
    // A size beyond the bytes left is a damaged stream: nothing is sized by it.
    if (size > kMaxIconBytes || size > stream.Size() - stream.Position())
      throw EReadError("Stream read error");
    std::string bytes(static_cast<size_t>(size), '\0');
    stream.ReadBuffer(bytes.data(), size);
    TStringStream image(std::move(bytes));
    auto icon = std::make_unique<TIcon>();
    icon->LoadFromStream(image);
    Place(Count(), icon.release());
  }
}

void TIconList::SaveToStream(TStream& stream) {
  WriteInt32(stream, Count());
  for (int i = 0; i < Count(); ++i) {
    TIcon* icon = Get(i);
    TStringStream image;
    if (icon != nullptr && !icon->Empty()) icon->SaveToStream(image);
    WriteInt32(stream, static_cast<int32_t>(image.Size()));
    if (image.Size() > 0) stream.WriteBuffer(image.DataString().data(), static_cast<int32_t>(image.Size()));
  }
}

void TIconList::Assign(TPersistent* source) {
  if (source == nullptr) {
    Clear();
    return;
  }
  if (auto* list = dynamic_cast<TIconList*>(source)) {
    if (list == this) return;
    TUpdateScope<TIconList> batch(*this);
    Clear();
    for (int i = 0; i < list->Count(); ++i) Add(list->Get(i));
    return;
  }
  if (auto* icon = dynamic_cast<TIcon*>(source)) {
    TUpdateScope<TIconList> batch(*this);
    Clear();
    Add(icon);
    return;
  }
  TPersistent::Assign(source);
}
